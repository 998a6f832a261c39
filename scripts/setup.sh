#!/usr/bin/env bash
# Installs everything the builds and tests need, from Debian packages only.
# Idempotent: when every package and the Japanese locale are present it returns in seconds.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64
  xvfb xdotool x11-utils imagemagick fonts-ipafont-gothic fonts-wine locales
  libcli11-dev nlohmann-json3-dev
  clang libclang-rt-14-dev
  osslsigncode openssl zip unzip p7zip-full python3
  zlib1g-dev libz-mingw-w64-dev
)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# The 32-bit Wine runs the product itself; without it the Wine suites run the 64-bit build of the
# same sources (scripts/wine-env.sh), so a machine that cannot have it still passes.
optional=(wine32:i386)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
install() { as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@"; }

missing=() missing_optional=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
for p in "${optional[@]}"; do installed "$p" || missing_optional+=("$p"); done

if [ $((${#missing[@]} + ${#missing_optional[@]})) -gt 0 ]; then
  echo "setup: installing ${missing[*]} ${missing_optional[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  # A mirror in the middle of a sync fails one index now and then (seen: bookworm-security's
  # i386 list, "File has unexpected size") and apt-get update exits non-zero though the other
  # lists are fresh: try again a little later, then go on with the lists there are.
  # Where only the optional packages are missing, one try: the suites pass without them.
  attempts=3
  [ ${#missing[@]} -eq 0 ] && attempts=1
  for attempt in $(seq "$attempts"); do
    as_root apt-get update -qq && break
    [ "$attempt" -lt "$attempts" ] && sleep 15
  done
  [ ${#missing[@]} -eq 0 ] || install "${missing[@]}"
  if [ ${#missing_optional[@]} -gt 0 ] && ! install "${missing_optional[@]}"; then
    echo "setup: ${missing_optional[*]} could not be installed now; the Wine suites will run the 64-bit build"
  fi
fi

# Wine reports ANSI code page 932 only when the process runs in a Japanese locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "setup: generating ja_JP.UTF-8"
  as_root sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi
echo "setup: all dependencies present"
