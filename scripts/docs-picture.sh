#!/usr/bin/env bash
# Remakes the README's picture of the bundled sample cave (docs/sample-cave.png) with
# `lumora render`, which draws a cave exactly as the viewer does. Run after the look changes.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target lumora
./build/apps/cli/lumora render data/sample/sample-cave.plt -o docs/sample-cave.png \
    --size 640x400 --yaw 30 --pitch 25 -q
