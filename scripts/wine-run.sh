#!/usr/bin/env bash
# Runs a Windows program under Wine as ctest's emulator: with the loader that can run here (see
# wine-env.sh), as the unprivileged Wine user, in the template prefix (or UPDATER_WINEPREFIX),
# in a Japanese locale. The program is staged in a
# folder that user can read, and its output goes through files: Wine's background processes
# keep inherited pipes open, which would leave the caller waiting.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
wine_prefix_ready || exit 1

program=$1
shift
prefix=${UPDATER_WINEPREFIX:-$WINE_TEMPLATE}
stage=$(mktemp -d "$WINE_STATE/run.XXXXXX")
chmod 755 "$stage"
cp "$program" "$stage/"
[ "$(id -u)" -eq 0 ] && chown -R "$WINE_USER" "$stage"

# The property suites' knobs reach a Windows suite as they reach the native ones.
knobs=()
for knob in UPDATER_PROPERTY_CASES UPDATER_PROPERTY_SEED; do
  [ -n "${!knob:-}" ] && knobs+=("$knob=${!knob}")
done

cd "$stage"
wine_exec "$prefix" env "${knobs[@]}" "$WINE_LOADER" "$stage/$(basename "$program")" "$@" >"$stage/stdout" 2>"$stage/stderr" </dev/null
status=$?
cat "$stage/stdout"
cat "$stage/stderr" >&2
cd /
rm -rf "$stage"
exit $status
