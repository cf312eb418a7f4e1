#!/usr/bin/env bash
# The layering holds: each folder includes only itself and the folders below it, platform/ at the
# bottom; posix/ and win32/ never include each other; and no operating-system header is included
# anywhere above platform/ (C++ standard headers, Qt, GoogleTest and pybind11 only).
set -euo pipefail
cd "${1:?usage: layering_check.sh SOURCE_DIR}"

order=(platform resources link camera sim cli python panel dialogs app)
failed=0
complain() { echo "layering: $*" >&2; failed=1; }

for i in "${!order[@]}"; do
  folder="${order[$i]}"
  allowed=" ${order[*]:0:$((i + 1))} "
  while IFS=: read -r file line used; do
    [[ "$allowed" == *" $used "* ]] || complain "$file:$line includes $used/, above $folder/"
  done < <(grep -rnoE '^#include "[a-z]+/' "$folder" --include='*.cpp' --include='*.h' |
           sed -E 's/#include "([a-z]+)\//\1/')
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

[ "$failed" = 0 ] && echo "layering: platform/ at the bottom, no upward includes, no system headers above it"
exit "$failed"
