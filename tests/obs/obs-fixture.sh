#!/bin/sh
# obs-fixture.sh ACTION DIR [ARGS]: the real OBS Studio for tests, headless.
#
#   start DIR PORT PASSWORD [INPUT...]
#       Xvfb on a free display, then OBS with DIR/home as its HOME and its
#       WebSocket server on the first free port from PORT on (written to
#       DIR/port), requiring PASSWORD; waits until OBS identifies a client,
#       then makes a text source (text_ft2_source_v2) for each INPUT.
#   stop DIR          OBS, then Xvfb, each by its process id.
#   obs-stop DIR      OBS alone, as when its user quits it.
#   obs-start DIR     OBS again as `start` made it, sources included.
#   obs-pause DIR     OBS hangs (SIGSTOP): connections stay, nothing answers.
#   obs-resume DIR    OBS goes on (SIGCONT).
#
# --multi: another OBS on the machine (another work tree's tests) would
# otherwise stop this one at a dialog asking whether to run a second.
# Nothing here is left running after `stop`; every process is ended by the
# id this script recorded, never by name, so other OBS instances on the
# machine are never touched. OBS reaches no network beyond this machine:
# its web requests go to a proxy address where nothing listens.
set -eu
action=$1 dir=$2
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3
client="$python $here/obs_client.py --fixture $dir"

fail() { echo "obs-fixture: $*" >&2; exit 1; }

alive() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }

# Ends the process whose id is in FILE, when it still is the program NAME
# (an id left from an earlier run may belong to another process by now):
# politely, then for sure.
end_process() {
  pidfile=$1 name=$2
  [ -f "$pidfile" ] || return 0
  pid=$(cat "$pidfile")
  if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" != "$name" ]; then
    rm -f "$pidfile"
    return 0
  fi
  kill -CONT "$pid" 2>/dev/null || true
  kill -TERM "$pid" 2>/dev/null || true
  i=0
  while kill -0 "$pid" 2>/dev/null && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid" 2>/dev/null || true
    while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
  fi
  rm -f "$pidfile"
}

# The id of this fixture's OBS, checked to be OBS still.
obs_pid() {
  pid=$(cat "$dir/obs.pid")
  [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = obs ] || fail "OBS of $dir is not running"
  echo "$pid"
}

listening() { ss -Hltn "sport = :$1" 2>/dev/null | grep -q .; }

start_xvfb() {
  alive "$dir/xvfb.pid" && return 0
  rm -f "$dir/display"
  # -displayfd: Xvfb takes the first free display and writes its number.
  Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$dir/display" </dev/null >"$dir/xvfb.log" 2>&1 &
  echo $! >"$dir/xvfb.pid"
  i=0
  while [ ! -s "$dir/display" ]; do
    alive "$dir/xvfb.pid" || fail "Xvfb did not start: $(tail -n 3 "$dir/xvfb.log")"
    [ $i -lt 100 ] || fail "Xvfb gave no display number"
    sleep 0.1
    i=$((i + 1))
  done
}

start_obs() {
  port=$(cat "$dir/port")
  listening "$port" && fail "port $port is taken by another program"
  mkdir -p "$dir/home/.config/obs-studio"
  cat >"$dir/home/.config/obs-studio/global.ini" <<INI
[General]
FirstRun=false
[OBSWebSocket]
FirstLoad=false
ServerEnabled=true
ServerPort=$port
AlertsEnabled=false
AuthRequired=true
ServerPassword=$(cat "$dir/password")
INI
  HOME="$dir/home" DISPLAY=":$(cat "$dir/display")" \
    http_proxy=http://127.0.0.1:9 https_proxy=http://127.0.0.1:9 all_proxy=http://127.0.0.1:9 \
    HTTP_PROXY=http://127.0.0.1:9 HTTPS_PROXY=http://127.0.0.1:9 ALL_PROXY=http://127.0.0.1:9 \
    obs --multi --disable-shutdown-check --minimize-to-tray </dev/null >>"$dir/obs.log" 2>&1 &
  echo $! >"$dir/obs.pid"
  i=0
  until listening "$port"; do
    alive "$dir/obs.pid" || fail "OBS ended before it listened: $(tail -n 3 "$dir/obs.log")"
    [ $i -lt 600 ] || fail "OBS did not listen on port $port within 60 s"
    sleep 0.1
    i=$((i + 1))
  done
  $client wait-ready --timeout 30 || fail "OBS listens on $port but does not identify"
  # OBS keeps its scenes: after a restart the sources may be there already.
  while read -r input; do
    [ -n "$input" ] && $client create-text --keep "$input"
  done <"$dir/inputs"
  return 0
}

case "$action" in
  start)
    port=$3 password=$4
    shift 4
    [ -x "$python" ] || fail "$python is missing (scripts/setup installs it)"
    command -v obs >/dev/null || fail "OBS Studio is not installed (scripts/setup installs obs-studio)"
    command -v Xvfb >/dev/null || fail "Xvfb is not installed (scripts/setup installs xvfb)"
    sh "$0" stop "$dir" 2>/dev/null || true
    rm -rf "$dir"
    mkdir -p "$dir"
    while listening "$port"; do port=$((port + 1)); done
    echo "$port" >"$dir/port"
    printf '%s\n' "$password" >"$dir/password"
    : >"$dir/inputs"
    for input in "$@"; do printf '%s\n' "$input" >>"$dir/inputs"; done
    start_xvfb
    start_obs
    echo "OBS ready on 127.0.0.1:$port, display :$(cat "$dir/display"), process $(cat "$dir/obs.pid")"
    ;;
  stop)
    end_process "$dir/obs.pid" obs
    end_process "$dir/xvfb.pid" Xvfb
    ;;
  obs-stop)
    end_process "$dir/obs.pid" obs
    ;;
  obs-start)
    start_xvfb
    alive "$dir/obs.pid" || start_obs
    ;;
  obs-pause)
    kill -STOP "$(obs_pid)"
    ;;
  obs-resume)
    kill -CONT "$(obs_pid)"
    ;;
  *)
    fail "unknown action $action"
    ;;
esac
