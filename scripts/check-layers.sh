#!/usr/bin/env bash
# Fails when a source folder includes a folder that comes after it in the program's layers:
#   win -> core -> config -> scan -> clean -> session -> resources -> pages | tools -> wizard -> app
# A folder includes only itself and folders before it (pages and tools stand side by side and do
# not include each other; resources holds the resource ids of the windows).
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A rank=([win]=0 [core]=1 [config]=2 [scan]=3 [clean]=4 [session]=5 [resources]=6 [pages]=7 [tools]=7
                 [wizard]=8 [app]=9)
bad=0
while IFS=: read -r file line include; do
    own=${file#src/}; own=${own%%/*}
    target=${include#*\"}; target=${target%%/*}
    [ -n "${rank[$target]:-}" ] || continue
    if [ -z "${rank[$own]:-}" ]; then
        echo "layers: $file: src/$own is in no layer"; bad=1; continue
    fi
    if [ "$target" != "$own" ] && [ "${rank[$target]}" -ge "${rank[$own]}" ]; then
        echo "layers: $file:$line includes $target/, which comes after $own/"
        bad=1
    fi
done < <(git ls-files 'src/*.cpp' 'src/*.h' | xargs grep -n '^#include "[a-z]*/' || true)
[ "$bad" = 0 ] && echo "layers: every folder includes only itself and the folders before it"
exit "$bad"
