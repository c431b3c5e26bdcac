#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build, then the
# same tests under AddressSanitizer and UndefinedBehaviorSanitizer, then short fuzz runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
bash "$root/scripts/check-layers.sh"

bash "$root/scripts/build.sh" "$root/build"
(cd "$root/build" && ctest --output-on-failure --timeout 300 -j2)

if [ -z "${VOLTANDER_QUICK:-}" ]; then
  if [ -x "$root/scripts/sanitize.sh" ]; then bash "$root/scripts/sanitize.sh"; fi
  if [ -x "$root/scripts/fuzz.sh" ]; then bash "$root/scripts/fuzz.sh"; fi
fi
