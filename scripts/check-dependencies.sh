#!/usr/bin/env bash
# Keeps the dependencies one way: the effect side (host/, plugcore/, limiter/) never includes a header
# of the editor side (plugedit/, winwrap/, x11wrap/, pixa/) nor of what sits above both (product/); the
# driver (driver/) uses the effect side alone, and the formats beside VST 2.4 (lv2/) drive the effect
# through it; the graphics library and the window layers know no editor, effect or product.
#   check-dependencies.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "${BASH_SOURCE[0]}")/..}"
status=0
check() {  # folders... -- forbidden include prefixes...
  local folders=() forbidden=()
  while [ "$1" != -- ]; do folders+=("$1"); shift; done
  shift
  forbidden=("$@")
  local pattern
  pattern="^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]($(IFS='|'; echo "${forbidden[*]}"))/"
  if grep -rnE "$pattern" "${folders[@]}" --include='*.h' --include='*.cpp'; then
    echo "FAIL: ${folders[*]} must not include ${forbidden[*]} headers (above)" >&2
    status=1
  fi
}
check host plugcore limiter -- plugedit winwrap x11wrap x11edit pixa product driver lv2 lv2ui clap vst3
check driver -- plugedit winwrap x11wrap x11edit pixa product lv2 lv2ui clap vst3
# The LV2 plug-in binary is the effect alone; its editor is a binary of its own (lv2ui/), which may
# use the effect side, the editor side and the plug-in's port list, but not the Windows layers.
check lv2ui -- winwrap product
check lv2 -- plugedit winwrap x11wrap x11edit pixa product lv2ui clap
# The CLAP plug-in is one binary with its editor: it may use the editor side, never the VST 2.4 product.
check clap -- winwrap product lv2 lv2ui vst3
# Like CLAP's, the VST3 binary holds its editor: it may use the editor side, never the VST 2.4 product.
check vst3 -- winwrap product lv2 lv2ui clap
# A format reaches the effect only through the driver, and its user interface needs no effect at all:
# neither includes the Limiter, the Plug or the VST 2.4 layer.
if grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"(limiter/Limiter\.h|plugcore/Plug\.h|host/)' lv2 lv2ui clap vst3 \
    --include='*.h' --include='*.cpp'; then
  echo "FAIL: lv2, lv2ui, clap and vst3 must not reach the effect but through driver/ (above)" >&2
  status=1
fi
check host -- plugcore limiter
check plugcore -- limiter
check pixa winwrap x11wrap -- plugedit x11edit limiter plugcore product
exit $status
