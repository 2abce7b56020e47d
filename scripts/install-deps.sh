#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; silent when all are present.
set -euo pipefail
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev nlohmann-json3-dev libcli11-dev
  prometheus-cpp-dev prometheus
  clang-format jq
  qt6-base-dev libgl-dev xvfb xauth fonts-wine
  curl openssl mawk python3 graphviz
  mingw-w64 g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64
  chromium chromium-driver python3-selenium
)
# npm fetches axe-core for the web console's test (tests/web/package-lock.json). A node that
# brings its own npm is kept: Debian's npm package would conflict with it.
command -v npm > /dev/null || packages+=(nodejs npm)
# `install-deps.sh fuzz`: clang and its libFuzzer runtime as well.
if [ "${1:-}" = fuzz ]; then packages+=(clang libclang-rt-dev); fi
# `install-deps.sh wine32`: 32-bit Wine as well, which runs the 32-bit dfbhd-sim.exe (and a real
# server). It needs the i386 architecture: some 150 packages, and amd64 libraries brought up to
# the versions of their i386 twins, so `make test` does not ask for it.
if [ "${1:-}" = wine32 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo_cmd dpkg --add-architecture i386
    $sudo_cmd apt-get update -qq
  fi
  packages+=(wine32:i386)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo_cmd apt-get update -qq
$sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
