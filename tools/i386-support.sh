# Sourced by tools/test.sh: can this machine run the 32-bit Windows build's tests?
#
# Wine runs 32-bit programs with its 32-bit loader, an i386 Linux program. Some kernels are built or
# booted without 32-bit support (execve of an i386 ELF fails with ENOEXEC). There the loader is run
# through qemu-user's i386 emulation, registered with binfmt_misc: correct, but every 32-bit process
# then takes about a minute to start, so the long GUI suites stay with the 64-bit build.
#
# Sets orvanta_i386_ctest_args (extra ctest arguments) or orvanta_i386_reason (why not).

orvanta_i386_ctest_args=
orvanta_i386_reason=

orvanta_i386_native() {
  /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

orvanta_i386_register_qemu() {
  local misc=/proc/sys/fs/binfmt_misc
  [[ -x /usr/bin/qemu-i386-static ]] || return 1
  [[ -e $misc/register ]] || mount -t binfmt_misc binfmt_misc "$misc" 2>/dev/null || return 1
  if [[ ! -e $misc/orvanta-i386 ]]; then
    # ELF, 32-bit, little-endian, executable or shared object, machine 3 (i386).
    echo ':orvanta-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      >"$misc/register" 2>/dev/null || return 1
  fi
  echo 1 >"$misc/orvanta-i386" 2>/dev/null
  orvanta_i386_native
}

orvanta_i386_ready() {
  if orvanta_i386_native && [[ ! -e /proc/sys/fs/binfmt_misc/orvanta-i386 ]]; then
    return 0
  fi
  if orvanta_i386_register_qemu; then
    orvanta_i386_ctest_args="-L runs-emulated"
    echo "note: this kernel runs no 32-bit code; the i686 tests labelled runs-emulated run under qemu-i386"
    return 0
  fi
  orvanta_i386_reason="the kernel runs no 32-bit code and qemu-i386 could not be registered"
  return 1
}
