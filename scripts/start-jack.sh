#!/usr/bin/env bash
# Starts a JACK server with its dummy driver at 44,100 Hz, so that PortAudio and RtMidi find
# real devices on a machine without sound hardware. Prints the server's process id, or
# nothing when a server already runs. Its log goes to the file given (default /dev/null).
set -euo pipefail
log=${1:-/dev/null}
if jack_lsp >/dev/null 2>&1; then
    exit 0
fi
jackd --no-realtime -d dummy -r 44100 -p 512 >"$log" 2>&1 &
pid=$!
if ! jack_wait -w -t 10 >/dev/null 2>&1; then
    kill "$pid" 2>/dev/null || true
    echo "the JACK dummy server did not start; see $log" >&2
    exit 1
fi
echo "$pid"
