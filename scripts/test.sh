#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite twice: in an ordinary
# build, then in an AddressSanitizer + UndefinedBehaviorSanitizer build. Then cross-builds the Windows
# program and runs it under Wine (scripts/wine-smoke.sh), replayed against the ordinary build. The
# browser build in headless Chromium is one of the ordinary build's tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

"$root/scripts/install-deps.sh" --test

echo "== Build and tests"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j"$jobs"
(cd "$root/build" && ctest --output-on-failure -j"$jobs")

echo "== Sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer) and tests"
cmake -S "$root" -B "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON >/dev/null
cmake --build "$root/build-sanitize" -j"$jobs"
# Leak checks stay on; Mesa's own one-time allocations are suppressed by name only.
export LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd "$root/build-sanitize" && ctest --output-on-failure -j"$jobs")

echo "== Windows program under Wine (installs 32-bit Wine on first use)"
wine_start=$SECONDS
"$root/scripts/build-windows.sh"
"$root/scripts/wine-smoke.sh" "$root/build-windows" "$root/build"
echo "== Windows build and Wine run: $((SECONDS - wine_start)) s"
