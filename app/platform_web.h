// The program in a browser: a WebGL context on the page's full-window canvas, the page's mouse,
// wheel and key events turned into input events for the session, the frame timer driven by the
// browser's animation callback. Returns at once; the browser calls back from then on.
#pragma once

int runWebProgram();
