#!/usr/bin/env bash
# Installs what is missing, builds Tallyvane and starts it on the given folder (or with the
# given options). Without a display it writes the folder's one-level summary instead.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build --target tallyvane

if [[ "${1:-}" == -* || -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  exec ./build/src/tallyvane "$@"
fi
echo "No display here: the folder's summary, one level deep, instead of the window." >&2
exec ./build/src/tallyvane --export text --max-depth 1 "$@"
