# Sourced by the scripts that drive Windows programs under Wine on a display (wine-case.sh,
# demo.sh, tests/dialogs/dialog-session.sh). Brings everything of wine-env.sh (the user, the
# Wine that runs here, the template prefix, wine_exec), and:
#   start_xvfb [SCREEN]       a virtual X display (SCREEN as Xvfb takes it, 1024x768x24 by
#                             default) on a number the server picks itself from the free ones,
#                             so that parallel runs cannot collide; exports DISPLAY, sets XVFB_PID
#   stop_xvfb
#   wine_kill_prefix PREFIX   ends every Wine process of the prefix and waits until they have gone
#   wine_process_id FILE      the Windows process id that launcher.exe wrote into FILE (its error
#                             output), waited for up to 30 s; the probe watches the windows of
#                             that process alone
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

start_xvfb() {
  local fifo number
  fifo=$(mktemp -u "${TMPDIR:-/tmp}/xvfb.XXXXXX")
  mkfifo "$fifo" || return 1
  # The server writes the number to descriptor 3 once it accepts clients.
  Xvfb -displayfd 3 -screen 0 "${1:-1024x768x24}" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  read -r number <"$fifo"
  rm -f "$fifo"
  if [ -z "$number" ]; then
    echo "start_xvfb: Xvfb did not start" >&2
    XVFB_PID=
    return 1
  fi
  export DISPLAY=:$number
}

stop_xvfb() {
  [ -n "${XVFB_PID:-}" ] || return 0
  kill "$XVFB_PID" 2>/dev/null
  wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=
}

wine_kill_prefix() {
  # -k asks the server to end every process of the prefix; -w then waits until it has.
  wine_exec "$1" wineserver -k </dev/null
  wine_exec "$1" wineserver -w </dev/null
}

wine_process_id() {
  local id
  for _ in $(seq 300); do
    id=$(sed -n 's/^process id=\([0-9]*\).*/\1/p' "$1" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "wine_process_id: $1 names no process" >&2
  return 1
}
