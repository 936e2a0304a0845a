#!/usr/bin/env bash
# CTest's set-up and clean-up of a named JACK dummy server:
#
#   jack-fixture.sh start|stop FOLDER RATE NAME
#
# start runs the server unless one of that name runs already, and notes its process id in
# FOLDER/jackd-NAME.pid; stop ends only a server that start began.
set -euo pipefail
action=$1 folder=$2 rate=$3 name=$4
pidfile=$folder/jackd-$name.pid
case "$action" in
start)
    rm -f "$pidfile"
    pid=$("$(dirname "$0")/start-jack.sh" "$folder/jackd-$name.log" "$rate" "$name")
    [ -n "$pid" ] && echo "$pid" >"$pidfile"
    exit 0
    ;;
stop)
    [ -f "$pidfile" ] || exit 0
    pid=$(cat "$pidfile")
    rm -f "$pidfile"
    kill "$pid" 2>/dev/null || exit 0
    # A server that was asked to stop unregisters itself; wait for it to end (it may stay a
    # zombie where nobody reaps orphans), on a busy machine for a while, then insist (a killed
    # server leaves its entry in JACK's registry of servers).
    for _ in $(seq 300); do
        state=$(ps -o stat= -p "$pid" 2>/dev/null || true)
        [ -z "$state" ] || [ "${state:0:1}" = Z ] && exit 0
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
    ;;
esac
