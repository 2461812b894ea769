#!/usr/bin/env bash
# Runs a command where 32-bit Windows programs run under Wine: as it is where the machine runs
# 32-bit Linux programs already (natively, or through a machine-wide qemu-i386), otherwise inside a
# private user namespace with qemu-i386 registered for 32-bit programs there alone; nothing changes
# outside it. Fails with one line when neither can be had.
#   tools/run-32bit.sh command [arguments...]
#   tools/run-32bit.sh --check     only says whether 32-bit programs can run, and how
#   tools/run-32bit.sh --register-for-machine    as root: qemu-i386 for the whole machine, until reboot
set -euo pipefail

wine32=/usr/lib/wine/wine   # the 32-bit Wine loader: the program the probe runs
qemu=/usr/libexec/qemu-binfmt/i386-binfmt-P
# i386 ELF programs go to qemu-i386; "F" opens the interpreter now, so it also serves inside the namespace.
register=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
register+=':\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
register+=":$qemu:OPF"

runs_32bit() { "$wine32" --version >/dev/null 2>&1; }

missing() {
  echo "32-bit programs cannot run here: $1 (tools/install-deps.sh sets this up)" >&2
  exit 1
}

# Inside the namespace: a binfmt_misc of its own, qemu-i386 registered, the probe, then the command.
if [ "${1:-}" = --inside-namespace ]; then
  shift
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null &&
    printf '%s' "$register" >/proc/sys/fs/binfmt_misc/register 2>/dev/null ||
    missing "this kernel gives a user namespace no binfmt_misc of its own (kernel 6.7 or later does)"
  runs_32bit || missing "$wine32 does not start under qemu-i386"
  exec "$@"
fi

if [ "${1:-}" = --register-for-machine ]; then
  [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && exit 0
  mountpoint -q /proc/sys/fs/binfmt_misc || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  printf '%s' "$register" >/proc/sys/fs/binfmt_misc/register
  echo "Registered qemu-i386 for 32-bit programs on the whole machine, until the next reboot"
  exit 0
fi

check_only=0
[ "${1:-}" = --check ] && check_only=1
[ -x "$wine32" ] || missing "$wine32 is not installed (Debian package wine32:i386)"

if [ "${TAVRIX_32BIT_READY:-}" = 1 ] || runs_32bit; then
  [ $check_only -eq 1 ] && { echo "32-bit programs run on this machine as they are"; exit 0; }
  export TAVRIX_32BIT_READY=1
  exec "$@"
fi
[ -x "$qemu" ] || missing "this kernel does not run them and qemu-user (bookworm-backports) is not installed"
command -v unshare >/dev/null || missing "unshare (util-linux) is not installed"
export TAVRIX_32BIT_READY=1
if [ $check_only -eq 1 ]; then
  unshare --user --map-root-user --mount --fork "$0" --inside-namespace true
  echo "32-bit programs run under qemu-i386 in a private user namespace"
  exit 0
fi
exec unshare --user --map-root-user --mount --fork "$0" --inside-namespace "$@"
