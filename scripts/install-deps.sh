#!/usr/bin/env bash
# Installs the Debian 12 packages Lumora builds and tests with; only the missing
# ones, so a second run costs seconds. Run as root.
set -euo pipefail

packages=(
  # toolchain
  g++ cmake ninja-build ccache pkg-config clang-format git
  # libraries
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev zlib1g-dev
  qt6-base-dev libepoxy-dev libegl-dev libgl-dev libgl1-mesa-dri libegl-mesa0
  libassimp-dev libmeshoptimizer-dev libpugixml-dev libsdl2-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
  # peer readers used by the tests
  proj-bin gdal-bin unzip assimp-utils ffmpeg view3dscene
  python3-dbfread python3-ezdxf xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
