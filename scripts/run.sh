#!/usr/bin/env bash
# Builds quelmgui and starts it. On first start it creates the demo project database.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display is available. Run it under a virtual X server instead:"
  echo "  xvfb-run -a -s '-screen 0 1280x1024x24' scripts/run.sh"
  exit 1
fi
exec build/bin/quelmgui "$@"
