// Drives the page for the browser test (index.html?test): hands the program its input script, sends
// the frames the script names to the test's server (RGBA, rows from the bottom) and says when the
// script has run out.
(function () {
  var sent = [];
  // The canvas at the size the test compares, whatever the window's.
  var query = new URLSearchParams(location.search);
  if (query.has('width')) {
    canvas.style.width = query.get('width') + 'px';
    canvas.style.height = query.get('height') + 'px';
  }
  function post(path, body) { return fetch(path, {method: 'POST', body: body}); }
  Module.print = function (text) { console.log(text); };
  Module.printErr = function (text) { console.log(text); };
  Module.velmoraCapture = function (frame, width, height, pixels) {
    sent.push(post('/capture?frame=' + frame + '&width=' + width + '&height=' + height, pixels));
    if (frame == 425) loseContext();
  };
  // Once the menu is captured the drawing context is lost and given back; the later frames must match.
  function loseContext() {
    var lose = canvas.getContext('webgl').getExtension('WEBGL_lose_context');
    canvas.addEventListener('webglcontextlost', function () {
      sent.push(post('/context?lost', ''));
      setTimeout(function () { lose.restoreContext(); }, 300);
    }, {once: true});
    canvas.addEventListener('webglcontextrestored', function () { sent.push(post('/context?restored', '')); },
                            {once: true});
    lose.loseContext();
  }
  // &fixed: the drawing buffer stays at the device's resolution whatever the pace.
  Module.velmoraFixedResolution = query.has('fixed');
  // With &times: when each frame ended, its application state and season and how long its update and
  // draw calls took in the program (the browser draws afterwards), sent at the end (and kept in
  // window.velmoraTimes).
  var times = window.velmoraTimes = [];
  if (query.has('times')) {
    Module.velmoraFrame = function (frame, state, season, ms) {
      times.push([frame, state, season, performance.now(), ms]);
    };
  }
  var ended = Module.velmoraEnded;
  Module.velmoraEnded = function () {
    ended();
    sent.push(post('/ended', document.getElementById('note').textContent));
  };
  Module.velmoraTestDone = function () {
    if (times.length) sent.push(post('/times', JSON.stringify(times)));
    Promise.all(sent).then(function () { post('/done', 'ok'); });
  };
  // The first frame's time on the page's clock, which starts with the navigation.
  Module.velmoraStarted = function () {
    note.style.display = 'none';
    requestAnimationFrame(function () { post('/started?ms=' + performance.now().toFixed(1), ''); });
  };
  window.addEventListener('error', function (e) { post('/error', String(e.message)); });
  function load() {
    var program = document.createElement('script');
    program.src = 'velmora.js';
    document.body.appendChild(program);
  }
  // With &dom the page takes the browser's own input (sent by the test through the DevTools protocol)
  // and the program keeps a journal of what reached it; otherwise the input script drives it.
  if (query.has('dom')) {
    Module.velmoraJournal = true;
    load();
  } else {
    fetch('visit.script').then(function (r) { return r.text(); }).then(function (text) {
      Module.velmoraScript = text;
      load();
    });
  }
})();
