#!/usr/bin/env bash
# Fails when a quoted #include points up a layer, or sideways from one season into another.
#   check_include_layers.sh [REPOSITORY_ROOT]
# The layers, bottom to top; a file may include its own layer and the layers below it. Folders that
# are not layers (tests/, bench/, tools/, packaging/) may include anything and are not checked.
set -euo pipefail
layers=(resources render system framework seasons app)

root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

rank() {  # the layer's place from the bottom, or -1 for a folder that is no layer
    local i
    for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done
    echo -1
}

bad=0
while IFS= read -r file; do
    from=${file%%/*}
    from_rank=$(rank "$from")
    [ "$from_rank" -ge 0 ] || continue
    while IFS=: read -r line target; do
        to=${target%%/*}
        [ "$to" != "$target" ] && [ -d "$to" ] || continue   # a system or library header
        to_rank=$(rank "$to")
        why=
        if [ "$to_rank" -lt 0 ] || [ "$to_rank" -gt "$from_rank" ]; then
            why="up from $from/ to $to/"
        elif [ "$from" = seasons ] && [ "$to" = seasons ]; then
            a=${file#seasons/}; a=${a%%/*}; b=${target#seasons/}; b=${b%%/*}
            [ "$a" = "$b" ] || why="sideways from seasons/$a to seasons/$b"
        fi
        if [ -n "$why" ]; then
            echo "$file:$line: #include \"$target\" goes $why"
            bad=$((bad + 1))
        fi
    done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+"' "$file" |
             sed -E 's/^([0-9]+):[^"]*"([^"]*)".*/\1:\2/')
done < <(git ls-files -- '*.h' '*.cpp' '*.cc' 2>/dev/null ||
         find . -name '*.h' -o -name '*.cpp' -o -name '*.cc' | sed 's#^\./##')

echo "$bad include(s) against the layers (${layers[*]}, bottom to top)"
[ "$bad" -eq 0 ]
