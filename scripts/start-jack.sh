#!/usr/bin/env bash
# Starts a JACK server with its dummy driver, so that PortAudio, RtMidi and the player find
# real devices on a machine without sound hardware:
#
#   start-jack.sh [LOG] [RATE] [NAME]
#
# LOG (default /dev/null) receives the server's output, RATE defaults to 44100 and NAME to
# the default server. Prints the server's process id, or nothing when a server of that name
# already runs.
set -euo pipefail
log=${1:-/dev/null}
rate=${2:-44100}
name=${3:-}
if [ -n "$name" ]; then
    export JACK_DEFAULT_SERVER=$name
    naming=(-n "$name")
else
    unset JACK_DEFAULT_SERVER
    naming=()
fi
if jack_lsp >/dev/null 2>&1; then
    exit 0
fi
jackd --no-realtime "${naming[@]}" -d dummy -r "$rate" -p 512 >"$log" 2>&1 &
pid=$!
if ! jack_wait -w -t 10 >/dev/null 2>&1; then
    kill "$pid" 2>/dev/null || true
    echo "the JACK dummy server ${name:-default} did not start; see $log" >&2
    exit 1
fi
echo "$pid"
