#!/usr/bin/env bash
# Installs what building, running, testing and releasing the saver need on Debian 12, if missing,
# and makes 32-bit Windows programs runnable under Wine (the product is one). What it changes on
# the machine, and how to undo it, is in the README.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  cmake ninja-build g++ clang-format
  g++-mingw-w64-i686-win32 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64
  googletest
  wine64 wine32:i386 xvfb xserver-xephyr x11-utils xdotool imagemagick python3
  nsis zip unzip gifsicle
)
backports=/etc/apt/sources.list.d/tavrix-bookworm-backports.sources

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
apt_install() {
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "$@" 2>&1 >/dev/null |
    { grep -v '^debconf: delaying package configuration' || true; } >&2
}

install_packages() {
  local missing=() package
  for package in "${packages[@]}"; do installed "$package" || missing+=("$package"); done
  [ ${#missing[@]} -eq 0 ] && return
  echo "Installing: ${missing[*]}"
  # Wine's 32-bit half comes from Debian's i386 architecture.
  dpkg --print-foreign-architectures | grep -qx i386 || "${sudo_cmd[@]}" dpkg --add-architecture i386
  "${sudo_cmd[@]}" apt-get update -qq
  apt_install "${missing[@]}"
}

# Debian 12's own qemu 7.2 takes a minute for every 32-bit process start; the backported 10.x
# takes half a second. Backports are only ever taken when asked for by name, as here.
install_fast_qemu() {
  case "$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null)" in 1:[1-9][0-9]*) return ;; esac
  echo "Installing qemu-user from bookworm-backports, to run 32-bit programs on this 64-bit-only kernel"
  if [ ! -f "$backports" ]; then
    printf '%s\n' 'Types: deb' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm-backports' \
      'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
      "${sudo_cmd[@]}" tee "$backports" >/dev/null
  fi
  "${sudo_cmd[@]}" apt-get update -qq
  apt_install -t bookworm-backports qemu-user
}

install_packages
if ! "$top/tools/run-32bit.sh" --check >/dev/null 2>&1; then
  install_fast_qemu
  # Before kernel 6.7 a user namespace has no binfmt_misc of its own: root registers qemu-i386
  # for the whole machine instead, until the next reboot.
  if ! "$top/tools/run-32bit.sh" --check >/dev/null 2>&1 && [ "$(id -u)" -eq 0 ]; then
    "$top/tools/run-32bit.sh" --register-for-machine
  fi
fi
# Building needs no 32-bit programs: the tests say so when they find none.
"$top/tools/run-32bit.sh" --check >/dev/null || true
