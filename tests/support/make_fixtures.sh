#!/usr/bin/env bash
# Makes the MP3 songs the tests open, with sox and lame, into the folder given. Songs that
# exist already are kept, so repeated runs in one build tree cost nothing.
set -euo pipefail
out=${1:?usage: make_fixtures.sh FOLDER}
mkdir -p "$out"
cd "$out"

# name, seconds, rate, channels, lame options
make_song() {
    local name=$1 seconds=$2 rate=$3 channels=$4
    shift 4
    [ -s "$name.mp3" ] && return 0
    sox -q -n -r "$rate" -c "$channels" -b 16 "$name.wav" synth "$seconds" sine 220:880 gain -6
    lame --quiet "$@" "$name.wav" "$name.tmp.mp3"
    mv "$name.tmp.mp3" "$name.mp3"
    rm -f "$name.wav"
}

make_song song_350ms 0.35 44100 2 -b 128
make_song song_10s 10 44100 2 -b 128
make_song song_15s 15 44100 2 -b 128
make_song song_60_05s 60.05 44100 2 -b 192
make_song song_mono 5 44100 1 -b 96
make_song song_48k 5 48000 2 -b 128
make_song song_vbr 20 44100 2 -V 2

# One second each of silence, a quiet tone (-30 dB) and a loud one (-1 dB): the waveform
# data must follow the loudness. The silence is made without dither, so it stays digital
# silence.
if [ ! -s song_levels.mp3 ]; then
    sox -q -D -n -r 44100 -c 2 -b 16 levels_silence.wav trim 0 1
    sox -q -n -r 44100 -c 2 -b 16 levels_quiet.wav synth 1 sine 440 gain -30
    sox -q -n -r 44100 -c 2 -b 16 levels_loud.wav synth 1 sine 440 gain -1
    sox -q levels_silence.wav levels_quiet.wav levels_loud.wav levels.wav
    lame --quiet -b 192 levels.wav song_levels.tmp.mp3
    mv song_levels.tmp.mp3 song_levels.mp3
    rm -f levels_silence.wav levels_quiet.wav levels_loud.wav levels.wav
fi

if [ ! -s song_truncated.mp3 ]; then
    head -c 20000 song_10s.mp3 > song_truncated.mp3
fi
[ -f not_an_mp3.mp3 ] || printf 'This is a text file, not a song.\n' > not_an_mp3.mp3
[ -f empty.mp3 ] || : > empty.mp3
exit 0
