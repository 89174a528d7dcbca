#!/usr/bin/env bash
# Installs the Debian packages the project builds with (only those missing), then configures and
# builds. Idempotent: a second run only rebuilds what changed.
#   scripts/setup.sh [build-dir] [extra cmake args...]
# With RAVENDOCK_BUILD_TARGETS set (space-separated), only those targets are built.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev qt6-multimedia-dev
  libtinyxml-dev
  libavcodec-dev libavutil-dev libswscale-dev
  libasio-dev nlohmann-json3-dev
  libxml2-dev libssl-dev libcurl4-openssl-dev libavformat-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth x11-utils imagemagick
  iproute2 procps util-linux
  librsvg2-bin desktop-file-utils lintian
  clang-format
  fonts-wqy-zenhei fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build_dir="${1:-build}"
shift || true
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
# shellcheck disable=SC2086  # the list splits into targets on purpose
cmake --build "$build_dir" ${RAVENDOCK_BUILD_TARGETS:+--target $RAVENDOCK_BUILD_TARGETS}
