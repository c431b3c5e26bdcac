#!/usr/bin/env bash
# Installs what is missing, builds, starts the bundled controller simulator registered
# as "Comm 1" and then the program. Closing the program stops the simulator.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
bash "$root/scripts/build.sh" "$root/build"

"$root/build/voltander-sim" --port 1 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true' EXIT
sleep 0.5
"$root/build/voltander"
