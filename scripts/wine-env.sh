# Sourced by the scripts that run Windows programs under Wine. Sets up, once per machine:
#   - an unprivileged user to run Wine as (as root, Wine opens read-only files for writing,
#     which Windows refuses), unless the caller is already unprivileged;
#   - a template prefix made once, with ANSI code page 932 through the locale and the shell's
#     menu builder disabled so that shortcuts stay plain .lnk files.
# Defines: WINE_USER, WINE_HOME, WINE_STATE (a folder the user owns), WINE_ARCH (win32 or
# win64), WINE_ARCH_REASON, WINE_LOADER (the program that runs a Windows program),
# WINE_TEMPLATE (the template prefix), as_wine_user CMD..., wine_windows_build,
# wine_prefix_ready, wine_prefix_copy, and wine_command and wine_exec (a command in a prefix's
# environment and nothing else of the caller's).

WINE_STATE=${UPDATER_WINE_STATE:-/var/tmp/updater-wine}
if [ "$(id -u)" -eq 0 ]; then
  WINE_USER=${UPDATER_WINE_USER:-updater-test}
  if ! id "$WINE_USER" >/dev/null 2>&1; then
    useradd --system --create-home --home-dir "/var/tmp/$WINE_USER-home" --shell /usr/sbin/nologin "$WINE_USER"
  fi
else
  WINE_USER=$(id -un)
fi
WINE_HOME=$(getent passwd "$WINE_USER" | cut -d: -f6)
mkdir -p "$WINE_STATE"
chmod 755 "$WINE_STATE"
[ "$(id -u)" -eq 0 ] && chown "$WINE_USER" "$WINE_STATE"

# Which Wine can run here. Debian's /usr/bin/wine always starts the 32-bit loader, and a kernel
# without IA-32 emulation refuses it ("Exec format error"); there only the 64-bit loader runs,
# in a 64-bit prefix, and only 64-bit programs: the suites then run the windows64 build of the
# same sources. The choice is made by asking the 32-bit loader for its version, once per run:
# it is exported, so that every script and test program below the first one follows it.
if [ -z "${UPDATER_WINE_ARCH:-}" ]; then
  if [ ! -x /usr/lib/wine/wine ]; then
    UPDATER_WINE_ARCH=win64
    UPDATER_WINE_ARCH_REASON="no 32-bit Wine loader is installed"
  elif refusal=$( (/usr/lib/wine/wine --version) 2>&1 >/dev/null); then
    UPDATER_WINE_ARCH=win32
    UPDATER_WINE_ARCH_REASON="this machine runs 32-bit x86 code"
  else
    UPDATER_WINE_ARCH=win64
    UPDATER_WINE_ARCH_REASON="this machine runs no 32-bit x86 code (Wine's 32-bit loader: ${refusal##*: })"
  fi
  unset refusal
  export UPDATER_WINE_ARCH UPDATER_WINE_ARCH_REASON
fi
WINE_ARCH=$UPDATER_WINE_ARCH
WINE_ARCH_REASON=${UPDATER_WINE_ARCH_REASON:-UPDATER_WINE_ARCH=$UPDATER_WINE_ARCH was given}
case "$WINE_ARCH" in
  win32) WINE_LOADER=wine ;;
  win64) WINE_LOADER=/usr/lib/wine/wine64 ;;
  *) echo "wine-env.sh: UPDATER_WINE_ARCH is win32 or win64, not $WINE_ARCH" >&2; return 1 2>/dev/null || exit 1 ;;
esac
# One template per kind of prefix: a 32-bit-capable prefix and a 64-bit-only one cannot stand
# in for each other, and a machine (or a container image) may meet both.
WINE_TEMPLATE="$WINE_STATE/template-$WINE_ARCH"

# The build whose programs this Wine runs: windows (i686, the product) or windows64.
wine_windows_build() {
  if [ "$WINE_ARCH" = win64 ]; then echo windows64; else echo windows; fi
}

# The environment of a Wine command in prefix $1, in the array WINE_ENVIRONMENT, one word a
# variable: a value with a blank in it (a HOME such as "/home/Ann Lee") stays one word.
wine_environment() {
  # UPDATER_DLL_OVERRIDES adds overrides for one run ("uxtheme,dwmapi=n,b"): Wine prefers its
  # built-in DLLs, so a DLL planted beside a program is loaded only where it is named so.
  WINE_ENVIRONMENT=("HOME=$WINE_HOME" "USER=$WINE_USER" "WINEPREFIX=$1" LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8
    "WINEDEBUG=${WINEDEBUG:--all}"
    "WINEDLLOVERRIDES=mscoree,mshtml=;winemenubuilder.exe=d${UPDATER_DLL_OVERRIDES:+;$UPDATER_DLL_OVERRIDES}"
    PATH=/usr/bin:/bin:/usr/sbin:/sbin "DISPLAY=${DISPLAY:-}")
  # Wine starts helper programs (wineboot, services) through WINELOADER; left to itself it
  # would take the 32-bit loader.
  if [ "$WINE_ARCH" = win64 ]; then WINE_ENVIRONMENT+=(WINEARCH=win64 "WINELOADER=$WINE_LOADER"); fi
}

# The words that run CMD... as the Wine user, in the array WINE_COMMAND.
wine_user_command() {
  if [ "$(id -u)" -eq 0 ]; then
    WINE_COMMAND=(runuser -u "$WINE_USER" -- "$@")
  else
    WINE_COMMAND=("$@")
  fi
}

as_wine_user() {
  local WINE_COMMAND
  wine_user_command "$@"
  "${WINE_COMMAND[@]}"
}

# The words that run CMD... as the Wine user in prefix $1 with the Wine environment alone, in
# WINE_COMMAND, for a caller that execs them.
wine_command() {
  local prefix=$1 WINE_ENVIRONMENT
  shift
  wine_environment "$prefix"
  wine_user_command env -i "${WINE_ENVIRONMENT[@]}" "$@"
}

# Runs CMD... as the Wine user in prefix $1 with the Wine environment alone.
wine_exec() {
  local WINE_COMMAND
  wine_command "$@"
  "${WINE_COMMAND[@]}"
}

# Makes the template prefix the first time (about 15 s); later calls return at once. A lock
# keeps concurrent first calls from building it twice.
wine_prefix_ready() {
  [ -f "$WINE_TEMPLATE/.ready" ] && return 0
  (
    flock 9
    if [ ! -f "$WINE_TEMPLATE/.ready" ]; then
      rm -rf "$WINE_TEMPLATE"
      wine_exec "$WINE_TEMPLATE" "$WINE_LOADER" wineboot -i >"$WINE_STATE/wineboot-$WINE_ARCH.log" 2>&1 </dev/null
      wine_exec "$WINE_TEMPLATE" wineserver -w >/dev/null 2>&1 </dev/null
      [ -f "$WINE_TEMPLATE/system.reg" ] || { cat "$WINE_STATE/wineboot-$WINE_ARCH.log" >&2; exit 1; }
      as_wine_user touch "$WINE_TEMPLATE/.ready"
    fi
  ) 9>"$WINE_STATE/.template-$WINE_ARCH.lock"
}

# A prefix of its own for one test case, made from the template in a fraction of a second.
# A plain copy moves 1.3 GB of system DLLs each time; they are hard links to the template's
# instead, which is safe because Wine only ever reads them. Everything that Wine rewrites in
# place (the registry files, win.ini, logs, anything not a system binary) is a real copy, so
# a case can never change the template.
wine_prefix_copy() {
  # $1: the new prefix, which must not exist yet
  wine_prefix_ready || return 1
  as_wine_user cp -al "$WINE_TEMPLATE" "$1" || return 1
  as_wine_user find "$1" -type f ! -iname '*.dll' ! -iname '*.exe' ! -iname '*.drv' ! -iname '*.sys' \
    ! -iname '*.ocx' ! -iname '*.tlb' ! -iname '*.acm' ! -iname '*.cpl' ! -iname '*.ax' ! -iname '*.nls' \
    -exec sh -c 'for f; do cp -p "$f" "$f.copy" && mv -f "$f.copy" "$f"; done' sh {} +
}
