#!/usr/bin/env bash
# Every Wine command of the scripts gets the Wine environment word for word and nothing else of
# the caller's: a HOME with a blank in it, as a user's home folder may have, reaches the program
# whole instead of splitting the command. Needs root, to make a user whose home folder has a
# blank in its name; elsewhere it is skipped.
#   wine_environment_test.sh SOURCE_DIR
set -uo pipefail
source_dir=$1
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: only root can make a user whose home folder has a blank in its name"
  exit 77
fi

user=updater-blank-home
home="/var/tmp/updater blank home"
state=$(mktemp -d)
id "$user" >/dev/null 2>&1 || useradd --system --home-dir "$home" --create-home --shell /usr/sbin/nologin "$user" || exit 1
trap 'userdel "$user"; rm -rf "$home" "$state"' EXIT

# The user and a state folder of the test's own: the shared template prefix is not touched.
export UPDATER_WINE_USER=$user UPDATER_WINE_STATE=$state
. "$source_dir/scripts/wine-driver.sh"

failures=0
expect() {  # expect WHAT ACTUAL EXPECTED
  if [ "$2" = "$3" ]; then
    echo "ok: $1"
  else
    echo "FAIL: $1: \"$2\", expected \"$3\""
    failures=$((failures + 1))
  fi
}

prefix="$state/a prefix"
expected_names="DISPLAY HOME LANG LC_ALL PATH USER WINEDEBUG WINEDLLOVERRIDES WINEPREFIX"
[ "$WINE_ARCH" = win64 ] && expected_names="DISPLAY HOME LANG LC_ALL PATH USER WINEARCH WINEDEBUG WINEDLLOVERRIDES WINELOADER WINEPREFIX"

expect "the Wine user's home folder" "$(wine_exec "$prefix" printenv HOME)" "$home"
expect "the prefix" "$(wine_exec "$prefix" printenv WINEPREFIX)" "$prefix"
expect "the variables, and only they" "$(wine_exec "$prefix" env | cut -d= -f1 | sort | xargs)" "$expected_names"
expect "the run's DLL overrides" "$(UPDATER_DLL_OVERRIDES='a b.dll=n,b' wine_exec "$prefix" printenv WINEDLLOVERRIDES)" \
  "mscoree,mshtml=;winemenubuilder.exe=d;a b.dll=n,b"
expect "the command's own arguments" "$(wine_exec "$prefix" printf '<%s>' 'one word' two)" "<one word><two>"
# The words wine-case.sh execs, so that its caller waits for the program itself.
expect "an exec of the command's words" \
  "$(wine_command "$prefix" printenv HOME && exec "${WINE_COMMAND[@]}")" "$home"
expect "the user the command runs as" "$(wine_exec "$prefix" id -un)" "$user"

if [ "$failures" -gt 0 ]; then
  echo "$failures failed"
  exit 1
fi
