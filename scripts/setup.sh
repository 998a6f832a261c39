#!/usr/bin/env bash
# Installs everything the builds and tests need, from Debian packages only.
# Idempotent: when every package and the Japanese locale are present it returns in seconds.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine32:i386 wine64
  xvfb xdotool x11-utils imagemagick fonts-ipafont-gothic fonts-wine locales
  libcli11-dev nlohmann-json3-dev
  clang libclang-rt-14-dev
  osslsigncode openssl zip unzip
)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine reports ANSI code page 932 only when the process runs in a Japanese locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "setup: generating ja_JP.UTF-8"
  as_root sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi
echo "setup: all dependencies present"
