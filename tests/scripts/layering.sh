#!/usr/bin/env bash
# Dependencies point one way, each folder of src/ above the ones before it:
#   platform <- ink <- notebook <- writing <- press <- library <- model <- page <- sheet
#            <- tutor <- ui <- app
# A library includes headers only of the layers below it, and the core (everything below
# ui) includes no Qt.
#
# Usage: layering.sh SOURCE_DIR
set -uo pipefail
cd "$1/src" || exit 2
layers=(platform ink notebook writing press library model page sheet tutor ui app)
found=""
for ((i = 0; i < ${#layers[@]} - 1; i++)); do
  layer=${layers[i]}
  [[ -d $layer ]] || continue
  above=$(IFS='|'; echo "${layers[*]:i+1}")
  found+=$(grep -rnE --include='*.h' --include='*.cpp' "^\s*#\s*include\s*[<\"]($above)/" "$layer" |
    sed "s|$| (includes a layer above $layer)|")$'\n'
done
found+=$(grep -rnE --include='*.h' --include='*.cpp' '^\s*#\s*include\s*<Q' "${layers[@]:0:${#layers[@]}-2}" 2>/dev/null |
  sed 's|$| (Qt in the core)|')
found=$(sed '/^$/d' <<<"$found")
if [[ -n $found ]]; then
  echo "$found" >&2
  echo "includes that break the one-way layering: src/ above" >&2
  exit 1
fi
echo "layering: every include points down"
