#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the run need; does nothing when
# all of them are installed already.
set -euo pipefail

packages=(
  cmake ninja-build
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  googletest
  wine wine64
  xvfb xauth fonts-liberation fonts-wine
  imagemagick
  clang libclang-rt-14-dev
  libz-mingw-w64-dev zlib1g-dev libjpeg-dev
)
command -v python3 >/dev/null 2>&1 || packages+=(python3)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "==> installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
apt_install() {
  "${sudo[@]}" apt-get install -y -q "${missing[@]}" </dev/null
}
# The index update may fail on a transient mirror error while the install still works:
# only the install's result counts.
"${sudo[@]}" apt-get update -q </dev/null || echo "warning: apt-get update failed; trying the install anyway" >&2
if ! apt_install; then
  echo "warning: install failed; updating the package index and trying once more" >&2
  sleep 5
  "${sudo[@]}" apt-get update -q </dev/null || true
  apt_install
fi
