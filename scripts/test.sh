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
# The last line says which Windows program ran: the 32-bit one, the 64-bit fallback, or none and why.
smoke_log=$(mktemp)
code=0
"$root/scripts/wine-smoke.sh" "$root/build-windows" "$root/build" | tee "$smoke_log" || code=$?
verdict=$(grep -E '^(PASS|FAIL|SKIPPED)' "$smoke_log")
verdict=${verdict##*$'\n'}
rm -f "$smoke_log"
took="$((SECONDS - wine_start)) s"
case "$verdict" in
  "PASS (THE 64-BIT FALLBACK"*) verdict="the 64-bit FALLBACK ran and passed, NOT the 32-bit program: ${verdict#PASS (THE 64-BIT FALLBACK, not the 32-bit program: }" ;;
  PASS:*) verdict="the 32-bit program ran and passed: ${verdict#PASS: }" ;;
  SKIPPED:*) verdict="SKIPPED, no Windows program ran: ${verdict#SKIPPED: }" ;;
  *) verdict=${verdict#FAIL: }; verdict="FAILED: ${verdict:-wine-smoke.sh gave no verdict (exit code $code)}"; [ "$code" = 0 ] && code=1 ;;
esac
echo "== Windows under Wine ($took): $verdict"
exit "$code"
