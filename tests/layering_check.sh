#!/usr/bin/env bash
# The layering holds: the shared floors from platform/ up to sim/, then two branches on top of them
# that never include each other, the script front ends (cli/, python/) and the window (panel/,
# dialogs/, app/); each folder includes only itself, the folders below it on its way up and the
# floors. posix/ and win32/ never include each other; and no operating-system header is included
# anywhere above platform/ (C++ standard headers, Qt, GoogleTest and pybind11 only).
set -euo pipefail
cd "${1:?usage: layering_check.sh SOURCE_DIR}"

floors=(platform resources link camera sim)
branches=("cli python" "panel dialogs app")
failed=0
complain() { echo "layering: $*" >&2; failed=1; }

# check FOLDER ALLOWED: every include of the folder's own files is of a folder in the list ALLOWED.
check() {
  local folder=$1 allowed=" $2 " file line used
  while IFS=: read -r file line used; do
    [[ "$allowed" == *" $used "* ]] || complain "$file:$line includes $used/, which $folder/ may not use"
  done < <(grep -rnoE '^#include "[a-z]+/' "$folder" --include='*.cpp' --include='*.h' |
           sed -E 's/#include "([a-z]+)\//\1/')
}

# climb BELOW FOLDER...: each folder may use what is below it and the folders before it in the list.
climb() {
  local below=$1 folder
  shift
  for folder in "$@"; do
    below+=" $folder"
    check "$folder" "$below"
  done
}

climb "" "${floors[@]}"
for branch in "${branches[@]}"; do
  # Unquoted: a branch is its folders, one word each.
  climb "${floors[*]}" $branch
done

for pair in "posix win32" "win32 posix"; do
  set -- $pair
  if grep -rn "\"platform/$2/" "platform/$1"; then complain "platform/$1 includes platform/$2"; fi
done

# Angle-bracket headers in the program's folders: the standard library (no extension), Qt and the
# Python binding's own. Anything else is the operating system's. The simulator's pseudo-terminal
# server is a Linux test tool and may use the system directly.
while IFS= read -r hit; do
  complain "an operating-system header outside platform/: $hit"
done < <(grep -rnE '^#include <' resources link camera cli python panel dialogs app --include='*.cpp' --include='*.h' |
         grep -vE '#include <(Q[A-Za-z]*|q[a-z_]*\.h|pybind11/[a-z0-9_/]*\.h|Python\.h|[a-z_]+)>')

# The script front ends load no Qt: nothing they build on includes it, from platform/ up to camera/,
# where only vq_document's files (the window's document, the store as the toolkit writes it) may, and
# no Qt-free file includes one of those.
qt_files=" $(sed -n '/add_library(vq_document/,/)/p' camera/CMakeLists.txt | grep -oE '[A-Za-z0-9_]+\.(cpp|h)' |
             sed -E 's/\.(cpp|h)$//' | sort -u | tr '\n' ' ')"
[ "$qt_files" != " " ] || complain "no vq_document sources found in camera/CMakeLists.txt"
qt_headers="$(for name in $qt_files; do printf '|camera/%s\.h' "$name"; done)"
while IFS= read -r file; do
  name=$(basename "$file"); name=${name%.*}
  [[ "$file" == camera/* && "$qt_files" == *" $name "* ]] && continue
  while IFS= read -r hit; do
    complain "$file:$hit: the script front ends' code includes Qt"
  done < <(grep -nE "^#include (<(Q[A-Za-z]*|q[a-z_]*\.h)>|\"(${qt_headers#|})\")" "$file")
done < <(find platform resources link camera cli python -name '*.cpp' -o -name '*.h' | sort)

[ "$failed" = 0 ] && echo "layering: platform/ at the bottom, no upward includes, the script front ends and the window apart, no system headers above it, no Qt under the script front ends"
exit "$failed"
