#!/usr/bin/env bash
# The include check itself: it passes on this repository, and on a small tree it names an include
# that goes up a layer and one that goes sideways between seasons, and fails.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
check="$root/tools/check_include_layers.sh"

"$check" "$root" || { echo "FAIL: the repository's own includes break the layers"; exit 1; }

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{render,system,framework,app,seasons/spring,seasons/winter,tests}
echo '#include "render/gl.h"'            > "$tree/system/window_size.cpp"      # down: fine
echo '#include <vector>'                 > "$tree/render/gl.h"                 # a library: fine
echo '#include "framework/season.h"'     > "$tree/seasons/spring/spring.cpp"   # down: fine
echo '#include "seasons/spring/a.h"'     > "$tree/seasons/spring/b.h"          # its own season: fine
echo '#include "app/main_loop.h"'        > "$tree/app/main.cpp"                # its own layer: fine
echo '#include "seasons/spring/x.h"'     > "$tree/tests/spring_test.cpp"       # tests: not checked
printf '#include "render/gl.h"\n  #include "app/platform.h"\n' > "$tree/framework/application.cpp"
echo '#include "seasons/spring/dandelion.h"' > "$tree/seasons/winter/tree.cpp"
echo '#include "tests/helpers.h"'        > "$tree/render/font.cpp"

out=$("$check" "$tree")
rc=$?
echo "$out"
fail=0
[ "$rc" -ne 0 ] || { echo "FAIL: the check passed a tree with wrong includes"; fail=1; }
grep -q '^framework/application.cpp:2: .*up from framework/ to app/' <<<"$out" || { echo "FAIL: upward include not named"; fail=1; }
grep -q '^seasons/winter/tree.cpp:1: .*sideways from seasons/winter to seasons/spring' <<<"$out" || { echo "FAIL: sideways include not named"; fail=1; }
grep -q '^render/font.cpp:1: .*up from render/ to tests/' <<<"$out" || { echo "FAIL: include of tests/ not named"; fail=1; }
grep -q '^3 include' <<<"$out" || { echo "FAIL: expected exactly three"; fail=1; }
exit $fail
