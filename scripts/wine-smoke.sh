#!/usr/bin/env bash
# Smoke run of the Windows program under 32-bit Wine and Xvfb, in a throwaway Wine prefix:
#   - the window "Velmora" opens at the screen's size (Xvfb runs at the size the program asks for);
#   - the menu appears: F12 screenshots are taken until the picture holds still, and the menu is
#     compared with the one the Linux program draws (when its binary is given);
#   - the screenshot has the screen's size and a 24-bit TGA header;
#   - Escape on the menu plays the closing sequence and ends the program with exit code 0;
#   - then the Windows-only tests (velmora_win32_tests.exe), when built, pass in the same Wine.
#
# usage: wine-smoke.sh [build-windows dir] [Linux velmora binary]
#   VELMORA_SMOKE_KEEP=<folder> keeps the menu screenshots there.
#
# 32-bit Wine needs Debian's i386 architecture. That install is kept apart from every other one: it
# runs on its own apt lists (a half-synced i386 index never reaches the system's lists), it may not
# change any installed package, and it is retried. When it cannot be done the run prints
# "SKIPPED: <reason>" and exits 0; every other problem prints "FAIL: <reason>" and exits 1.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(readlink -f "${1:-$root/build-windows}")
linux_velmora=${2:+$(readlink -f "$2")}
width=1024
height=768
start_seconds=$SECONDS

say() { echo "wine-smoke: $*"; }
skip() {
  echo "SKIPPED: $*"
  exit 0
}
fail() {
  echo "FAIL: $*"
  exit 1
}

exe=$build/velmora.exe
[ -f "$exe" ] || fail "$exe is missing (run scripts/build-windows.sh first)"
for tool in Xvfb xdotool; do
  command -v $tool >/dev/null || fail "$tool is not installed (scripts/install-deps.sh --test installs it)"
done

# ---- 32-bit Wine, installed apart -----------------------------------------------------------------

i386_packages=(wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386 libx11-6:i386 libxext6:i386
               libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386 libxfixes3:i386
               libxinerama1:i386 libxcomposite1:i386 libxxf86vm1:i386 libfreetype6:i386 libfontconfig1:i386)
wine_packages=(wine "${i386_packages[@]}")

installed() { [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]; }
all_installed() {
  local p
  for p in "${wine_packages[@]}"; do installed "$p" || return 1; done
}

install_wine32() {
  all_installed && return 0
  local sudo=
  if [ "$(id -u)" -ne 0 ]; then
    sudo -n true 2>/dev/null || skip "32-bit Wine is not installed and there is no root or sudo to install it"
    sudo="sudo -n"
  fi
  [ "$(dpkg --print-architecture)" = amd64 ] || skip "32-bit Wine is set up here only on amd64 hosts"

  # The index is read into lists of its own and resolved with the i386 architecture named only on
  # apt's command line; dpkg learns of i386 just before the install itself, and forgets it again when
  # nothing of i386 got installed. Other apt runs meanwhile never see the i386 index.
  local lists=/var/lib/velmora-wine32/lists
  local added=0
  $sudo mkdir -p "$lists/partial"
  local apt=($sudo env DEBIAN_FRONTEND=noninteractive apt-get -o "Dir::State::Lists=$lists"
             -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
             -o APT::Architectures::=amd64 -o APT::Architectures::=i386)
  local reason= attempt log left
  local deadline=$((SECONDS + 420))  # the whole install, retries included
  log=$(mktemp)
  for attempt in 1 2 3; do
    left=$((deadline - SECONDS))
    if [ $left -lt 60 ]; then
      reason="${reason:-no time left} (gave up after $((420 - left)) s)"
      break
    fi
    say "installing 32-bit Wine, attempt $attempt"
    if ! timeout $left "${apt[@]}" update -qq >"$log" 2>&1 || grep -q '^E: ' "$log"; then
      reason="the i386 package index could not be read ($(grep -m1 -o '[^ ]*[Ss]ync[^.]*\|File has unexpected size.*\|Failed to fetch.*' "$log" | head -c 200))"
    elif ! timeout 60 "${apt[@]}" install -s --no-install-recommends "${wine_packages[@]}" >"$log" 2>&1; then
      reason="the i386 packages cannot be resolved ($(grep -m1 '^E: \|but it is not\|but .* is to be installed' "$log" | head -c 200))"
    elif grep -q '^Remv \|^Inst [^ ]* \[' "$log"; then
      # i386 libraries must match the installed amd64 ones exactly: nothing installed may change.
      local changed
      changed=$(grep '^Remv \|^Inst [^ ]* \[' "$log" | awk '{print $2}')
      reason="32-bit Wine needs i386 libraries of exactly the installed amd64 versions, and installing it would change $(wc -l <<<"$changed") installed packages ($(head -n 6 <<<"$changed" | tr '\n' ' ')...)"
      break
    elif ! { dpkg --print-foreign-architectures | grep -qx i386 || { $sudo dpkg --add-architecture i386 && added=1; }; }; then
      reason="dpkg --add-architecture i386 failed"
      break
    elif timeout $((deadline - SECONDS > 60 ? deadline - SECONDS : 60)) \
         "${apt[@]}" install -y -qq --no-install-recommends "${wine_packages[@]}" >"$log" 2>&1 \
         && all_installed; then
      rm -f "$log"
      return 0
    else
      reason="apt-get install failed ($(grep -m1 '^E: ' "$log" | head -c 200))"
    fi
    [ $attempt -lt 3 ] && sleep $((attempt * 20))
  done
  rm -f "$log"
  # Leave the system as it was: no i386 architecture without i386 packages, no private lists.
  if [ $added = 1 ] && ! dpkg-query -W -f='${binary:Package}\n' 2>/dev/null | grep -q ':i386$'; then
    $sudo dpkg --remove-architecture i386 || true
  fi
  $sudo rm -rf /var/lib/velmora-wine32
  skip "$reason"
}

# The optional-header magic of a PE file: 010b for PE32, 020b for PE32+.
pe_magic() {
  local offset
  offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  [ -n "$offset" ] && od -An -tx2 -j$((offset + 24)) -N2 "$1" | tr -d ' '
}

case "$(pe_magic "$exe")" in
  010b) install_wine32 ;;
  020b)  # a 64-bit build of the same sources, for checking them where 32-bit Wine cannot be installed
    installed wine64 || skip "$exe is a 64-bit build and wine64 is not installed" ;;
  *) fail "$exe is not a Windows executable" ;;
esac
command -v wine >/dev/null || fail "wine is installed but not on PATH"
say "$(wine --version 2>/dev/null) ($((SECONDS - start_seconds)) s so far)"

# ---- One Xvfb per program, at the size the program asks for ---------------------------------------

work=$(mktemp -d)
pids=()
[ "$(pe_magic "$exe")" = 010b ] && export WINEARCH=win32
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  local p
  wineserver -k >/dev/null 2>&1
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

# Starts an Xvfb of width x height and sets DISPLAY to it.
start_xvfb() {
  local file=$work/display.$1
  exec 3>"$file"
  Xvfb -screen 0 ${width}x${height}x24 -displayfd 3 -nolisten tcp >"$work/xvfb.$1.log" 2>&1 &
  pids+=($!)
  exec 3>&-
  local i
  for i in $(seq 50); do [ -s "$file" ] && break; sleep 0.1; done
  [ -s "$file" ] || fail "Xvfb did not start: $(cat "$work/xvfb.$1.log")"
  export DISPLAY=:$(head -n1 "$file")
  xdotool mousemove 1 1  # away from the menu rows: no hover bar in the pictures
}

shot_bytes=$((18 + 3 * width * height))
expected_header="0 0 2 0 0 0 0 0 0 0 0 0 $((width & 255)) $((width >> 8)) $((height & 255)) $((height >> 8)) 24 0"

header_of() { od -An -tu1 -N18 "$1" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
# All black or all white: the fades of the opening, never the menu.
uniform() {
  [ "$(tail -c +19 "$1" | tr -d '\000' | head -c 1 | wc -c)" = 0 ] ||
    [ "$(tail -c +19 "$1" | tr -d '\377' | head -c 1 | wc -c)" = 0 ]
}

# Presses F12 once a second in directory $1 until two screenshots in a row are the same picture and
# not a uniform fade (the menu, which holds still once it has appeared), for at most $2 seconds.
# Prints the settled screenshot's path; checks the size and header of every screenshot on the way.
wait_for_menu() {
  local dir=$1 limit=$2 pid=$3 n=0 previous= shot deadline=$((SECONDS + $2))
  while [ $SECONDS -lt $deadline ]; do
    kill -0 "$pid" 2>/dev/null || { echo "the program ended before its menu appeared" >&2; return 1; }
    xdotool key F12
    shot=$dir/Screenshot_$n.tga
    local i
    for i in $(seq 40); do [ "$(stat -c %s "$shot" 2>/dev/null || echo 0)" = $shot_bytes ] && break; sleep 0.05; done
    if [ ! -f "$shot" ]; then sleep 1; continue; fi
    sleep 0.2
    local size
    size=$(stat -c %s "$shot")
    [ "$size" = $shot_bytes ] || { echo "$shot is $size bytes, not $shot_bytes" >&2; return 1; }
    [ "$(header_of "$shot")" = "$expected_header" ] || { echo "$shot has the header $(header_of "$shot")" >&2; return 1; }
    if [ -n "$previous" ] && cmp -s "$previous" "$shot" && ! uniform "$shot"; then
      echo "$shot"
      return 0
    fi
    [ -n "$previous" ] && rm -f "$previous"
    previous=$shot
    n=$((n + 1))
    sleep 1
  done
  echo "no settled menu within $limit s ($n screenshots)" >&2
  return 1
}

# Pixels of two screenshots: "<pixels that differ by more than 24 in a channel> <largest difference>".
compare_shots() {
  cmp -l "$1" "$2" | awk -v bytes=$shot_bytes '
    function oct(s,  v, i) { v = 0; for (i = 1; i <= length(s); i++) v = v * 8 + substr(s, i, 1); return v }
    { d = oct($2) - oct($3); if (d < 0) d = -d; if (d > max) max = d
      if (d > 24) { p = int(($1 - 19) / 3); if (!(p in seen)) { seen[p] = 1; n++ } } }
    END { printf "%d %d\n", n + 0, max + 0 }'
}

# ---- The Linux program's menu, the picture to compare with -----------------------------------------

reference=
if [ -n "$linux_velmora" ]; then
  [ -x "$linux_velmora" ] || fail "$linux_velmora is not an executable"
  start_xvfb linux
  mkdir -p "$work/linux"
  (cd "$work/linux" && exec timeout 120 "$linux_velmora") >"$work/linux.log" 2>&1 &
  linux_pid=$!
  pids+=($linux_pid)
  reference=$(wait_for_menu "$work/linux" 60 $linux_pid) ||
    fail "the Linux program's menu: see above; $(tail -n 5 "$work/linux.log")"
  xdotool key Escape
  wait $linux_pid
  say "reference menu from the Linux program ($((SECONDS - start_seconds)) s so far)"
fi

# ---- The Windows program ---------------------------------------------------------------------------

start_xvfb wine
say "creating a throwaway Wine prefix"
timeout 120 wine wineboot --init >"$work/wineboot.log" 2>&1 || fail "wineboot failed: $(tail -n 5 "$work/wineboot.log")"
timeout 60 wineserver -w

mkdir -p "$work/run"
(cd "$work/run" && exec timeout 240 wine "$exe") >"$work/velmora.log" 2>&1 &
velmora_pid=$!
pids+=($velmora_pid)

window=
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name '^Velmora$' 2>/dev/null | head -n1)
  [ -n "$window" ] && break
  kill -0 $velmora_pid 2>/dev/null || break
  sleep 0.1
done
[ -n "$window" ] || fail "no window named Velmora appeared; $(tail -n 5 "$work/velmora.log")"
geometry=$(xdotool getwindowgeometry "$window" | awk '/Geometry/ {print $2}')
[ "$geometry" = "${width}x${height}" ] || fail "the window is $geometry, not the screen's ${width}x${height}"
say "window Velmora ${geometry} is open"

menu=$(wait_for_menu "$work/run" 90 $velmora_pid) || fail "the menu under Wine: see above; $(tail -n 5 "$work/velmora.log")"
say "menu shown, screenshot $(basename "$menu") of $shot_bytes bytes with a ${width}x${height} 24-bit header"
if [ -n "${VELMORA_SMOKE_KEEP:-}" ]; then  # a folder to keep the two menus in, for a look
  cp "$menu" "$VELMORA_SMOKE_KEEP/menu-wine.tga"
  [ -n "$reference" ] && cp "$reference" "$VELMORA_SMOKE_KEEP/menu-linux.tga"
fi
if [ -n "$reference" ]; then
  read -r differing largest < <(compare_shots "$reference" "$menu")
  # The same llvmpipe draws both; only the mipmaps of the sheet may come out a little differently.
  [ "$differing" -le $((width * height / 1000)) ] ||
    fail "the menu under Wine differs from the Linux program's in $differing pixels (largest channel difference $largest)"
  say "menu matches the Linux program's ($differing pixels differ by more than 24, largest channel difference $largest)"
fi

xdotool key Escape
code=
for _ in $(seq 300); do
  kill -0 $velmora_pid 2>/dev/null || break
  sleep 0.1
done
kill -0 $velmora_pid 2>/dev/null && fail "the program was still running 30 s after Escape on the menu"
wait $velmora_pid
code=$?
[ "$code" = 0 ] || fail "Escape on the menu ended the program with exit code $code; $(tail -n 5 "$work/velmora.log")"
say "Escape on the menu: exit code 0"

# ---- The Windows-only tests -------------------------------------------------------------------------

tests=$build/velmora_win32_tests.exe
if [ -f "$tests" ]; then
  mkdir -p "$work/tests"
  (cd "$work/tests" && timeout 120 wine "$tests") >"$work/tests.log" 2>&1
  code=$?
  grep -E '^\[  (PASSED|FAILED) |^\[  FAILED  \]|^\[==========\] [0-9]+ tests' "$work/tests.log"
  [ "$code" = 0 ] || { cat "$work/tests.log"; fail "velmora_win32_tests.exe exited with $code"; }
else
  say "no velmora_win32_tests.exe in $build: the Windows-only tests were not built"
fi

echo "PASS: Windows program under Wine: window ${width}x${height}, menu shown, F12 screenshot $shot_bytes bytes, Escape -> exit code 0 ($((SECONDS - start_seconds)) s)"
