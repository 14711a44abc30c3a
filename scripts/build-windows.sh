#!/usr/bin/env bash
# Cross-builds the native 32-bit Windows program on Debian 12 with mingw-w64 into build-windows/:
#   velmora.exe               the program: a PE32 GUI executable, linked statically, so that it needs
#                             no DLL beyond Windows' own (checked below)
#   velmora_win32_tests.exe   the Windows-only tests, which scripts/wine-smoke.sh runs under Wine
# Installs g++-mingw-w64-i686 (and the GoogleTest and stb sources the tests use) when missing.
#   usage: build-windows.sh [--64] [build dir]
# --64 builds the same sources for 64-bit Windows (a PE32+ executable, g++-mingw-w64-x86-64) into
# build-windows64/: what scripts/wine-smoke.sh runs where only 64-bit Wine can be had.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bits=32
if [ "${1:-}" = --64 ]; then
  bits=64
  shift
fi
if [ $bits = 64 ]; then
  build=${1:-$root/build-windows64}
  target=x86_64-w64-mingw32 toolchain=mingw-x86_64 compiler=g++-mingw-w64-x86-64 magic=020b format=PE32+
else
  build=${1:-$root/build-windows}
  target=i686-w64-mingw32 toolchain=mingw-i686 compiler=g++-mingw-w64-i686 magic=010b format=PE32
fi

echo "== Windows executable (mingw-w64, $target)"
packages=(cmake make $compiler googletest libstb-dev)
missing=()
for p in "${packages[@]}"; do
  # The native or architecture-independent package: with i386 added (32-bit Wine), a library can be
  # installed twice over.
  # Read whole before it is looked at: under pipefail, grep -q would leave dpkg-query to die of SIGPIPE.
  status=$'\n'$(dpkg-query -W -f='${Status} ${Architecture}\n' "$p" 2>/dev/null)$'\n'
  [[ $status == *$'\n'"install ok installed $(dpkg --print-architecture)"$'\n'* ||
     $status == *$'\n'"install ok installed all"$'\n'* ]] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"

# A PE32 (PE32+) GUI executable that imports nothing but Windows' own DLLs.
exe=$build/velmora.exe
headers=$($target-objdump -p "$exe")
grep -q "^Magic[[:space:]]*$magic" <<<"$headers" || { echo "FAIL: $exe is not a $format executable"; exit 1; }
grep -q '^Subsystem[[:space:]]*00000002' <<<"$headers" || { echo "FAIL: $exe is not a GUI executable"; exit 1; }
windows_dlls=" kernel32.dll user32.dll gdi32.dll opengl32.dll glu32.dll ole32.dll oleaut32.dll winmm.dll msvcrt.dll advapi32.dll "
imports=$(awk '/DLL Name:/ {print tolower($3)}' <<<"$headers" | sort -u | tr '\n' ' ')
for dll in $imports; do
  case "$windows_dlls" in
    *" $dll "*) ;;
    *) echo "FAIL: $exe needs $dll, which does not come with Windows"; exit 1 ;;
  esac
done
echo "Built $exe: $format GUI, $(stat -c %s "$exe") bytes, imports only ${imports% }"
