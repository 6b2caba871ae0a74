#!/usr/bin/env bash
# Builds Lumora and runs the main job on the bundled sample cave.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target lumora
./build/apps/cli/lumora info data/sample/sample-cave.plt
