#!/usr/bin/env bash
# Runs a Windows program under Wine as ctest's emulator: with the loader that can run here (see
# wine-env.sh), as the unprivileged Wine user, in the template prefix (or UPDATER_WINEPREFIX;
# UPDATER_WINEPREFIX=own gives the run a copy of the template of its own, for a program that
# lays out files on drive C:, where the end-to-end cases' copies of the template would meet
# them), in a Japanese locale. The program is staged in a
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
[ "$(id -u)" -eq 0 ] && chown "$WINE_USER" "$stage"
if [ "$prefix" = own ]; then
  prefix=$stage/prefix
  wine_prefix_copy "$prefix" || { rm -rf "$stage"; exit 1; }
fi
cp "$program" "$stage/"
[ "$(id -u)" -eq 0 ] && chown "$WINE_USER" "$stage/$(basename "$program")"

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
[ "$prefix" = "$stage/prefix" ] && wine_exec "$prefix" wineserver -k >/dev/null 2>&1 </dev/null
rm -rf "$stage"
exit $status
