#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the run need; does nothing when
# all of them are installed already. Wine's 32-bit side (wine32:i386, for the i686 release
# build) is installed only where this machine can run i386 programs (scripts/i386-probe):
# elsewhere installing it breaks Wine, and the i686 tests are skipped with the reason.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

packages=(
  cmake ninja-build
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  googletest
  wine wine64
  xvfb xauth fonts-liberation fonts-wine
  imagemagick
  clang libclang-rt-14-dev
  libz-mingw-w64-dev zlib1g-dev
  python3-pil  # the reference corpus's comparison of images
)
command -v python3 >/dev/null 2>&1 || packages+=(python3)

i386_reason=$("$NB_ROOT/scripts/i386-probe") && i386=1 || i386=0
if [ "$i386" = 0 ]; then
  echo "==> NOTE: wine32:i386 is not installed: $i386_reason." >&2
  echo "==> NOTE: the tests of the i686 build will be reported as SKIPPED." >&2
fi

missing=()
for package in "${packages[@]}"; do
  nb_installed "$package" || missing+=("$package")
done
need_wine32=0
if [ "$i386" = 1 ] && ! nb_installed wine32:i386; then
  need_wine32=1
fi
if [ ${#missing[@]} -eq 0 ] && [ "$need_wine32" = 0 ]; then
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
if [ "$need_wine32" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
apt_install() {
  "${sudo[@]}" apt-get install -y -q "$@" </dev/null
}
# apt_install_retrying PACKAGES...: the index update may fail on a transient mirror error
# while the install still works: only the install's result counts.
apt_install_retrying() {
  echo "==> installing $*"
  "${sudo[@]}" apt-get update -q </dev/null || echo "warning: apt-get update failed; trying the install anyway" >&2
  apt_install "$@" && return 0
  echo "warning: install failed; updating the package index and trying once more" >&2
  sleep 5
  "${sudo[@]}" apt-get update -q </dev/null || true
  apt_install "$@"
}
if [ ${#missing[@]} -gt 0 ]; then
  apt_install_retrying "${missing[@]}"
fi
# Without wine32 everything but the i686 tests still works: a failure here is not fatal.
if [ "$need_wine32" = 1 ] && ! apt_install_retrying wine32:i386; then
  echo "==> WARNING: wine32:i386 could not be installed; the tests of the i686 build will be reported as SKIPPED." >&2
fi
