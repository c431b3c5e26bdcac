#!/usr/bin/env bash
# Fails when a folder of src/ includes a folder above it or beside it, when Qt
# reaches below src/qt, or when src/qt/platform includes src/qt/widgets. The layers, bottom to top; folders on one line are peers and
# may not include each other, so the graph between folders can have no cycle.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root/src"

layers=(
  "common"
  "controls"
  "platform"
  "protocol"
  "params"
  "link"
  "files wizard calibration discovery history mqtt"
  "app service"
  "qt"
)

declare -A rank
for i in "${!layers[@]}"; do
  for folder in ${layers[$i]}; do rank[$folder]=$i; done
done

status=0
for dir in */; do
  from=${dir%/}
  if [ -z "${rank[$from]+x}" ]; then
    echo "src/$from: a folder with no layer; add it to scripts/check-layers.sh"
    status=1
    continue
  fi
  while IFS=: read -r file line include; do
    to=$(sed -E 's/.*#include *"([^/"]+)\/.*/\1/' <<<"$include")
    [ "$to" = "$from" ] && continue
    if [ -z "${rank[$to]+x}" ] || [ "${rank[$to]}" -ge "${rank[$from]}" ]; then
      echo "src/$file:$line: $from includes $to, which is not below it"
      status=1
    fi
  done < <(grep -rnE '^#include *"[^/"]+/' "$from" || true)
  if [ "$from" != qt ]; then
    if grep -rnE '^#include *<Q' "$from"; then
      echo "src/$from: Qt headers belong in src/qt"
      status=1
    fi
  fi
done
# Inside src/qt the platform's adapters sit below the two programs: the windows and
# the service may use them, never the other way; the service has no window, and
# nothing else lives loose beside main.cpp.
if grep -rnE '^#include *"qt/(widgets|daemon)/' qt/platform; then
  echo "src/qt/platform: includes a window or the service; the adapters sit below them"
  status=1
fi
if grep -rnE '^#include *"qt/widgets/|^#include *<Qt?(Gui|Widgets|Charts)|^#include *<Q(Widget|Application|Gui)' qt/daemon; then
  echo "src/qt/daemon: the service links Qt Core only"
  status=1
fi
if grep -rnE '^#include *"qt/daemon/' qt/widgets qt/main.cpp; then
  echo "src/qt/widgets: includes the service"
  status=1
fi
for f in qt/*; do
  case "$f" in qt/platform|qt/widgets|qt/daemon|qt/main.cpp) ;;
    *) echo "src/$f: belongs in src/qt/platform, src/qt/widgets or src/qt/daemon"; status=1 ;;
  esac
done

[ "$status" -eq 0 ] && echo "layers: every include points down"
exit "$status"
