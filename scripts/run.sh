#!/usr/bin/env bash
# Builds quelmgui and starts it. On first start it copies the demo project database that the
# build makes into the user's data folder.
set -euo pipefail
cd "$(dirname "$0")/.."
# without a display there is nothing to show: say so before spending the build's time
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display is available. Run it under a virtual X server instead:"
  echo "  xvfb-run -a -s '-screen 0 1280x1024x24' scripts/run.sh"
  exit 1
fi
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)"
exec build/bin/quelmgui "$@"
