#!/usr/bin/env bash
# Fault injection, run by hand (not part of the test command): applies each single-point fault of
# tools/faults.txt to a scratch copy of the working tree, builds only the test programs it names, runs
# them and prints a table (fault, the first test that failed, or MISSED) and the score.
#   tools/fault_injection.sh [--check] [name-pattern]
# --check only verifies that every fault's text is found exactly once. One scratch copy and build
# folder (/tmp/velmora-faults, or $VELMORA_FAULTS_DIR) are reused between runs; ccache keeps them quick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
list="$root/tools/faults.txt"
scratch=${VELMORA_FAULTS_DIR:-/tmp/velmora-faults}
jobs=${JOBS:-2}
check=0
[ "${1:-}" = --check ] && { check=1; shift; }
pattern=${1:-.}

# Prints fault number $1 as three lines (name, groups, file); with $2 = apply, rewrites that file under
# the directory $3 and fails loudly unless the fault's text is there exactly once.
fault() {
  perl -e '
    my ($want, $mode, $dir, $list) = @ARGV;
    open my $in, "<", $list or die "$list: $!\n";
    my ($n, @f) = (0);
    while (<$in>) {
      chomp;
      if (/^@ (.+?) \| (.+?) \| (.+)$/) { $n++; @f = ($1, $2, $3, [], []) if $n == $want; next; }
      next unless $n == $want && @f;
      if (/^- ?(.*)$/) { push @{$f[3]}, $1 } elsif (/^\+ ?(.*)$/) { push @{$f[4]}, $1 }
    }
    die "no fault $want\n" unless @f;
    if ($mode eq "show") { print "$f[0]\n$f[1]\n$f[2]\n"; exit 0; }
    my ($from, $to) = (join("\n", @{$f[3]}), join("\n", @{$f[4]}));
    my $path = "$dir/$f[2]";
    open my $fh, "<", $path or die "$path: $!\n";
    my $text = do { local $/; <$fh> };
    my $count = () = $text =~ /\Q$from\E/g;
    die "$f[0]: its text is found $count times in $f[2], not once\n" unless $count == 1;
    exit 0 if $mode eq "check";
    $text =~ s/\Q$from\E/$to/;
    open $fh, ">", $path or die "$path: $!\n";
    print $fh $text;
  ' "$1" "$2" "${3:-}" "$list"
}

total=$(grep -c '^@ ' "$list")
if [ "$check" = 1 ]; then
  for i in $(seq "$total"); do fault "$i" check "$root"; done
  echo "all $total faults apply"
  exit 0
fi

# The scratch copy: the tracked and new files of the working tree, refreshed on every run. Only files
# that differ are copied, with a fresh time, so that make rebuilds what changed even where an object
# file is newer than the working tree's own copy (left from a fault of an earlier run); files gone
# from the working tree go from the copy too.
stage=$scratch/stage
rm -rf "$stage" && mkdir -p "$stage" "$scratch/src"
(cd "$root" && git ls-files -co --exclude-standard -z | tar --null -T - -cf -) | tar -C "$stage" -xf -
(cd "$stage" && find . -type f -print0) | while IFS= read -r -d '' f; do
  cmp -s "$stage/$f" "$scratch/src/$f" || { mkdir -p "$(dirname "$scratch/src/$f")"; cp "$stage/$f" "$scratch/src/$f"; }
done
(cd "$scratch/src" && find . -path ./build -prune -o -type f -print0) | while IFS= read -r -d '' f; do
  [ -e "$stage/$f" ] || rm -f "$scratch/src/$f"
done
export CCACHE_BASEDIR="$scratch/src"  # the same relative paths as the working tree's own build: cache hits
build=$scratch/src/build
cmake -S "$scratch/src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

run_group() {  # prints the first failing test of one group, or nothing
  local group=$1 log=$scratch/run.log
  if [ "$group" = window ]; then
    (cd "$build" && timeout 300 ctest -R 'RealWindow|Reliability.Window' --output-on-failure) >"$log" 2>&1 \
      || { grep -m1 -oE '(RealWindow|Reliability)\.[A-Za-z]+' <(grep -E 'Failed|Timeout' "$log") || echo window; }
    return 0
  fi
  local program=$build/tests/velmora_tests_$group
  (cd "$build/tests" && timeout 300 "$program" --gtest_brief=1 --gtest_fail_fast) >"$log" 2>&1 \
    || { grep -m1 -oE '^\[  FAILED  \] [A-Za-z0-9_/.]+' "$log" | sed 's/^\[  FAILED  \] //' | grep . || echo "$group (crash or time-out)"; }
}

caught=0 seasons=0 seasons_caught=0
printf '%-36s %s\n' fault "caught by"
for i in $(seq "$total"); do
  { read -r name; read -r groups; read -r file; } < <(fault "$i" show)
  [[ "$name" =~ $pattern ]] || continue
  cp "$root/$file" "$scratch/src/$file"
  fault "$i" apply "$scratch/src"
  targets=()
  for g in $groups; do
    if [ "$g" = window ]; then targets+=(velmora velmora_close_window); else targets+=("velmora_tests_$g"); fi
  done
  by=""
  if ! cmake --build "$build" -j"$jobs" --target "${targets[@]}" >"$scratch/build.log" 2>&1; then
    by="(does not build)"
  else
    for g in $groups; do
      by=$(run_group "$g")
      [ -n "$by" ] && break
    done
  fi
  cp "$root/$file" "$scratch/src/$file"
  case "$name" in spring.*|summer.*|autumn.*|winter.*) seasons=$((seasons + 1)); [ -n "$by" ] && seasons_caught=$((seasons_caught + 1)) ;; esac
  if [ -n "$by" ]; then caught=$((caught + 1)); else by=MISSED; fi
  printf '%-36s %s\n' "$name" "$by"
  ran=$((${ran:-0} + 1))
done
echo "caught $caught of ${ran:-0}; in the seasons $seasons_caught of $seasons"
