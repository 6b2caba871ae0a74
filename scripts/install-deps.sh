#!/usr/bin/env bash
# Installs the Debian 12 packages Lumora builds and tests with; only the missing
# ones, so a second run costs seconds. Then the npm tools the tests use, into a
# cache folder under build/ (never into the repository). Run as root.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  # toolchain
  g++ cmake ninja-build ccache pkg-config clang-format git
  # libraries
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev zlib1g-dev libdeflate-dev
  qt6-base-dev libepoxy-dev libegl-dev libgl-dev libgl1-mesa-dri libegl-mesa0
  libassimp-dev libmeshoptimizer-dev libpugixml-dev libsdl2-dev nlohmann-json3-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
  # peer readers used by the tests
  proj-bin gdal-bin zip unzip assimp-utils ffmpeg view3dscene gltfpack
  python3-dbfread python3-ezdxf xvfb xauth
)
# Node runs the glTF validator. Machines that come with Node and npm keep theirs (Debian's npm
# package conflicts with them); elsewhere Debian's are installed.
if ! command -v node >/dev/null 2>&1; then
  packages+=(nodejs)
fi
if ! command -v npm >/dev/null 2>&1; then
  packages+=(npm)
fi

source scripts/apt-missing.sh
install_missing "${packages[@]}"

# The Khronos glTF validator (npm package gltf-validator), which the tests run on every glTF
# file we write. Where tests/scene/GltfPeers.h looks for it.
validator_version=2.0.0-dev.3.10
validator_dir=build/tools/gltf-validator
if ! grep -qs "\"version\": \"$validator_version\"" \
    "$validator_dir/node_modules/gltf-validator/package.json"; then
  echo "Installing the glTF validator $validator_version into $validator_dir"
  mkdir -p "$validator_dir"
  npm install --prefix "$validator_dir" --no-audit --no-fund --no-save \
    "gltf-validator@$validator_version"
fi
