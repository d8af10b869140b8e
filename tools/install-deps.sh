#!/usr/bin/env bash
# Installs what building and testing under Wine needs on Debian 12, as root.
# Safe to run again: every step checks before it acts.
set -euo pipefail

packages=(
  cmake ninja-build g++ mingw-w64 googletest
  wine wine32:i386 wine64 xvfb xauth xdotool x11-utils xclip xxd imagemagick
  fonts-wqy-zenhei fonts-wine locales python3 clang libclang-rt-14-dev nsis zip qemu-user-static
)

need_install=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_install=1
fi
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    need_install=1
    break
  fi
done
if [[ $need_install == 1 ]]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
fi

# GBK text in Wine needs the zh_CN.UTF-8 locale, which makes the ANSI code page 936.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
