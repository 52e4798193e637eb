#!/bin/sh
# Starts or stops a JACK server with the dummy driver under a private name, for the tests.
#   jack_server.sh start NAME STATE_DIR   |   jack_server.sh stop NAME STATE_DIR
set -eu
action=$1 name=$2 state=$3
pidfile="$state/jackd-$name.pid"
mkdir -p "$state"
case "$action" in
  start)
    if [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null; then
      kill "$(cat "$pidfile")" 2>/dev/null || true
    fi
    # Synchronous mode with a long client timeout: a slow client (a loaded machine, a
    # sanitizer build) delays a cycle instead of losing its MIDI in an xrun.
    JACK_DEFAULT_SERVER="$name" JACK_NO_AUDIO_RESERVATION=1 \
      jackd --name "$name" --sync --timeout 4000 --no-realtime -d dummy --period 2048 \
      >"$state/jackd-$name.log" 2>&1 &
    echo $! >"$pidfile"
    if ! JACK_DEFAULT_SERVER="$name" jack_wait --server "$name" --wait --timeout 10 >/dev/null; then
      echo "jackd did not start:" >&2
      cat "$state/jackd-$name.log" >&2
      exit 1
    fi
    echo "JACK server \"$name\" is up (pid $(cat "$pidfile"))"
    ;;
  stop)
    [ -f "$pidfile" ] || exit 0
    pid=$(cat "$pidfile")
    kill "$pid" 2>/dev/null || true
    for _ in 1 2 3 4 5 6 7 8 9 10; do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.5
    done
    kill -9 "$pid" 2>/dev/null || true
    rm -f "$pidfile"
    ;;
  *)
    echo "usage: $0 start|stop NAME STATE_DIR" >&2
    exit 2
    ;;
esac
