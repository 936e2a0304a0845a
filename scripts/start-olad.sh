#!/usr/bin/env bash
# A private OLA daemon for the tests and the benchmarks, away from any olad of the system: a
# fresh configuration folder of its own with every plugin off (it drives no interface and
# sends nothing on the network), its own RPC port, and no web server:
#
#   start-olad.sh start FOLDER PORT   starts it, waits until it answers, prints its process id;
#                                     prints nothing when an olad answers on PORT already
#   start-olad.sh stop FOLDER PORT    ends the daemon that start began, and its folder
#
# FOLDER keeps the log, the process id and the configuration folder's name. olad refuses to
# run as root: as root it runs as the olad user that Debian's ola package creates.
set -euo pipefail
action=$1 folder=$2 port=$3
pidfile=$folder/olad-$port.pid
dirfile=$folder/olad-$port.dir
log=$folder/olad-$port.log

answers() {
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null
}

stop() {
    if [ -f "$pidfile" ]; then
        pid=$(cat "$pidfile")
        rm -f "$pidfile"
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 50); do
            state=$(ps -o stat= -p "$pid" 2>/dev/null || true)
            [ -z "$state" ] || [ "${state:0:1}" = Z ] && break
            sleep 0.1
        done
        kill -9 "$pid" 2>/dev/null || true
    fi
    if [ -f "$dirfile" ]; then
        rm -rf "$(cat "$dirfile")"
        rm -f "$dirfile"
    fi
}

case "$action" in
start)
    command -v olad >/dev/null || { echo "olad is not installed (package ola)" >&2; exit 1; }
    mkdir -p "$folder"
    stop
    if answers; then
        exit 0 # started by the test run before
    fi
    config=$(mktemp -d "${TMPDIR:-/tmp}/lumivox-olad.XXXXXX")
    echo "$config" >"$dirfile"
    for plugin in artnet dummy e131 espnet ftdidmx gpio karate kinet milinst opendmx \
        openpixelcontrol osc pathport renard sandnet shownet spi stageprofi uartdmx usbdmx \
        usbserial nanoleaf dmx4linux; do
        echo "enabled = false" >"$config/ola-$plugin.conf"
    done
    run=()
    if [ "$(id -u)" -eq 0 ]; then
        id olad >/dev/null 2>&1 || { echo "no olad user to run olad as" >&2; exit 1; }
        chown -R olad "$config"
        # setpriv runs olad in this process, so the process id is the daemon's own.
        run=(setpriv --reuid=olad --regid="$(id -g olad)" --init-groups --)
    fi
    "${run[@]}" olad --config-dir "$config" --rpc-port "$port" --no-http \
        --no-register-with-dns-sd --log-level 2 </dev/null >"$log" 2>&1 &
    pid=$!
    echo "$pid" >"$pidfile"
    # A busy machine may take many seconds to bring olad up: wait up to a minute, polling, and
    # go on as soon as it answers.
    deadline=$((SECONDS + 60))
    while [ "$SECONDS" -lt "$deadline" ]; do
        if answers; then
            echo "$pid"
            exit 0
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        why="it still ran, but did not answer within 60 s"
    else
        status=0
        wait "$pid" || status=$?
        why="it exited with status $status"
    fi
    stop
    echo "olad did not start on port $port: $why; the last lines of $log:" >&2
    tail -n 8 "$log" | sed 's/^/    /' >&2
    exit 1
    ;;
stop)
    stop
    ;;
*)
    echo "usage: start-olad.sh start|stop FOLDER PORT" >&2
    exit 2
    ;;
esac
