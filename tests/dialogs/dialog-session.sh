#!/usr/bin/env bash
# Runs a Windows test program that makes real windows: under Wine, on an X display (the
# caller's, or a virtual one started for this run alone), in a prefix of its own. The prefix
# must be its own because Wine's desktop process belongs to the prefix and keeps the display
# it was started with: a program run shortly before without a display would leave every
# window of this one uncreatable.
#   dialog-session.sh PROGRAM.exe [ARG...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
scripts=$(cd "$here/../../scripts" && pwd)
. "$scripts/wine-driver.sh"

prefix=
finish() {
  if [ -n "$prefix" ]; then
    wine_kill_prefix "$prefix" >/dev/null 2>&1
    rm -rf "$prefix"
  fi
  stop_xvfb
}
trap finish EXIT

if [ -z "${DISPLAY:-}" ]; then
  start_xvfb || exit 1
fi

prefix=$(mktemp -u "$WINE_STATE/dialogs.XXXXXX")
wine_prefix_copy "$prefix" || exit 1

# Nothing manages the virtual display's windows, so Wine is told not to wait for a window
# manager: otherwise it gives each window that goes away two seconds to be withdrawn by one.
wine_exec "$prefix" "$WINE_LOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null

UPDATER_WINEPREFIX=$prefix "$scripts/wine-run.sh" "$@"
