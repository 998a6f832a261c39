# Sourced by the scripts that run Windows programs under Wine. Sets up, once per machine:
#   - an unprivileged user to run Wine as (as root, Wine opens read-only files for writing,
#     which Windows refuses), unless the caller is already unprivileged;
#   - a template prefix made once, with ANSI code page 932 through the locale and the shell's
#     menu builder disabled so that shortcuts stay plain .lnk files.
# Defines: WINE_USER, WINE_STATE (a folder the user owns), WINE_TEMPLATE (the template prefix),
# as_wine_user CMD..., wine_prefix_ready, and wine_env (the environment for a Wine command).

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
WINE_TEMPLATE="$WINE_STATE/template"
mkdir -p "$WINE_STATE"
chmod 755 "$WINE_STATE"
[ "$(id -u)" -eq 0 ] && chown "$WINE_USER" "$WINE_STATE"

wine_env() {
  # $1: the prefix
  echo "HOME=$WINE_HOME" "USER=$WINE_USER" "WINEPREFIX=$1" "LC_ALL=ja_JP.UTF-8" "LANG=ja_JP.UTF-8" \
       "WINEDEBUG=${WINEDEBUG:--all}" "WINEDLLOVERRIDES=mscoree,mshtml=;winemenubuilder.exe=d" \
       "PATH=/usr/bin:/bin:/usr/sbin:/sbin" "DISPLAY=${DISPLAY:-}"
}

as_wine_user() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u "$WINE_USER" -- "$@"
  else
    "$@"
  fi
}

# Makes the template prefix the first time (about 12 s); later calls return at once. A lock
# keeps concurrent first calls from building it twice.
wine_prefix_ready() {
  [ -f "$WINE_TEMPLATE/.ready" ] && return 0
  (
    flock 9
    if [ ! -f "$WINE_TEMPLATE/.ready" ]; then
      rm -rf "$WINE_TEMPLATE"
      as_wine_user env -i $(wine_env "$WINE_TEMPLATE") wineboot -i >"$WINE_STATE/wineboot.log" 2>&1 </dev/null
      as_wine_user env -i $(wine_env "$WINE_TEMPLATE") wineserver -w >/dev/null 2>&1 </dev/null
      as_wine_user touch "$WINE_TEMPLATE/.ready"
    fi
  ) 9>"$WINE_STATE/.template.lock"
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
