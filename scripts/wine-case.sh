#!/usr/bin/env bash
# The Wine side of one end-to-end case, for the driver that runs the cases. Every Wine
# command runs as the unprivileged Wine user. The caller sends this script's output to files,
# never to a pipe: Wine's background processes keep inherited pipes open after the program
# has ended.
#
#   wine-case.sh new NAME                    a folder for the case with a fresh prefix in it,
#                                            copied from the template; prints the folder
#   wine-case.sh own PATH...                 give fixture files to the Wine user
#   wine-case.sh run PREFIX PROGRAM ARG...   run a Windows program; this shell is replaced,
#                                            so the caller waits for the program itself and
#                                            gets its exit code
#   wine-case.sh start-server PREFIX         keep the prefix's wineserver up between runs
#   wine-case.sh kill PREFIX                 end every Wine process of the prefix
#   wine-case.sh remove FOLDER
#   wine-case.sh windows-build               the build whose programs Wine runs here:
#                                            windows or windows64
# DISPLAY is passed on to Wine.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-driver.sh"

command=${1:-}
[ $# -gt 0 ] && shift
case "$command" in
  new)
    as_wine_user mkdir -p "$WINE_STATE/cases" || exit 1
    folder=$(as_wine_user mktemp -d "$WINE_STATE/cases/$1.XXXXXX") || exit 1
    as_wine_user chmod 755 "$folder"
    wine_prefix_copy "$folder/prefix" || { rm -rf -- "$folder"; exit 1; }
    echo "$folder"
    ;;
  own)
    [ "$(id -u)" -ne 0 ] || chown -R "$WINE_USER" "$@"
    ;;
  run)
    prefix=$1
    shift
    wine_command "$prefix" "$WINE_LOADER" "$@"
    exec "${WINE_COMMAND[@]}"
    ;;
  start-server)
    wine_command "$1" wineserver -p
    exec "${WINE_COMMAND[@]}"
    ;;
  kill)
    wine_kill_prefix "$1"
    exit 0
    ;;
  remove)
    # Only ever a case folder made by "new": the driver passes a path it read back.
    case "$1" in
      "$WINE_STATE"/cases/?*) rm -rf -- "$1" ;;
      *) echo "wine-case.sh: not a case folder: $1" >&2; exit 1 ;;
    esac
    ;;
  windows-build)
    wine_windows_build
    ;;
  *)
    echo "usage: wine-case.sh new|own|run|start-server|kill|remove|windows-build ..." >&2
    exit 1
    ;;
esac
