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
# Synchronous, with a generous client timeout: each cycle waits for every client rather than
# dropping the audio and MIDI of one that a busy machine holds up (the tests on these servers
# record what the player sends and send MIDI; none freezes or kills them).
jackd --no-realtime --sync --timeout 5000 "${naming[@]}" -d dummy -r "$rate" -p 512 >"$log" 2>&1 &
pid=$!

# Says why the server is not up, with the last lines it printed, and gives up.
fail() {
    echo "the JACK dummy server ${name:-default} did not start: $1; the last lines of $log:" >&2
    if [ -f "$log" ]; then
        tail -n 8 "$log" | sed 's/^/    /' >&2
    else
        echo "    (none kept: give a LOG file)" >&2
    fi
    exit 1
}

# A busy machine may take many seconds to bring the server up: wait up to a minute, polling,
# and go on as soon as a client reaches it. One client's attempt is bounded too, in case the
# server hangs half way up.
deadline=$((SECONDS + 60))
until timeout 10 jack_lsp >/dev/null 2>&1; do
    if ! kill -0 "$pid" 2>/dev/null; then
        status=0
        wait "$pid" || status=$?
        fail "jackd exited with status $status"
    fi
    if [ "$SECONDS" -ge "$deadline" ]; then
        kill "$pid" 2>/dev/null || true
        fail "jackd still ran, but no client reached it within 60 s"
    fi
    sleep 0.1
done
echo "$pid"
