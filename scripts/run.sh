#!/usr/bin/env bash
# Builds Lumora and runs the main job: the viewer on the bundled sample cave. Without a display it
# says so and draws the sample cave to a PNG with `lumora render` instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target lumora lumora-viewer
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/apps/viewer/lumora-viewer --process data/sample/sample-cave.plt
fi
echo "No display: drawing the sample cave to sample-cave.png with lumora render instead"
./build/apps/cli/lumora render data/sample/sample-cave.plt -o sample-cave.png
