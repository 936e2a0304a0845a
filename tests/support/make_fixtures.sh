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
# Without the encoder's Info tag (-t), whose length only a scan of the frames finds, and with
# ID3 tags before and after the frames, which the Info tag's byte count leaves out.
make_song song_notag 5 44100 2 -b 128 -t
make_song song_vbr_notag 20 44100 2 -V 2 -t
make_song song_id3 5 44100 2 -b 128 --tt Title --ta Artist --add-id3v2

# One second each of silence, a quiet tone (-30 dB) and a loud one (-1 dB): the waveform
# data must follow the loudness. The silence is made without dither, so it stays digital
# silence. Made at 44.1 kHz stereo, and at other rates to check that they give the same
# waveform.
# name, rate, channels, lame options
make_levels() {
    local name=$1 rate=$2 channels=$3
    shift 3
    [ -s "$name.mp3" ] && return 0
    sox -q -D -n -r "$rate" -c "$channels" -b 16 "$name.silence.wav" trim 0 1
    sox -q -n -r "$rate" -c "$channels" -b 16 "$name.quiet.wav" synth 1 sine 440 gain -30
    sox -q -n -r "$rate" -c "$channels" -b 16 "$name.loud.wav" synth 1 sine 440 gain -1
    sox -q "$name.silence.wav" "$name.quiet.wav" "$name.loud.wav" "$name.wav"
    lame --quiet "$@" "$name.wav" "$name.tmp.mp3"
    mv "$name.tmp.mp3" "$name.mp3"
    rm -f "$name.silence.wav" "$name.quiet.wav" "$name.loud.wav" "$name.wav"
}
make_levels song_levels 44100 2 -b 192
make_levels song_levels_48k 48000 2 -b 192
make_levels song_levels_22k_mono 22050 1 -b 64

# A steady 1 kHz tone, to find its pitch in what a device at another rate receives.
if [ ! -s song_tone_1k.mp3 ]; then
    sox -q -n -r 44100 -c 2 -b 16 tone_1k.wav synth 6 sine 1000 gain -6
    lame --quiet -b 192 tone_1k.wav song_tone_1k.tmp.mp3
    mv song_tone_1k.tmp.mp3 song_tone_1k.mp3
    rm -f tone_1k.wav
fi
# For play ranges from 1 s to 3 s: a quiet 1 kHz tone, with a loud 10 ms stretch of it at 1 s
# that marks where each round of the range begins, and a 3 kHz tone from exactly 3 s on, past
# the range's end, which a round must never reach. Every part holds whole periods, so the tone
# runs on without a break in its phase, also from 3 s back to 1 s.
if [ ! -s song_loop_step.mp3 ]; then
    sox -q -n -r 44100 -c 2 -b 16 loop_lead.wav synth 1 sine 1000 gain -20
    sox -q -n -r 44100 -c 2 -b 16 loop_mark.wav synth 0.01 sine 1000 gain -1
    sox -q -n -r 44100 -c 2 -b 16 loop_range.wav synth 1.99 sine 1000 gain -20
    sox -q -n -r 44100 -c 2 -b 16 loop_after.wav synth 3 sine 3000 gain -6
    sox -q loop_lead.wav loop_mark.wav loop_range.wav loop_after.wav loop_step.wav
    lame --quiet -b 192 loop_step.wav song_loop_step.tmp.mp3
    mv song_loop_step.tmp.mp3 song_loop_step.mp3
    rm -f loop_lead.wav loop_mark.wav loop_range.wav loop_after.wav loop_step.wav
fi
# Click tracks: a 20 ms noise burst at the start of every beat after `lead` seconds of silence,
# in runs of `count` beats of `period` seconds each.
# name, rate, lead, then period:count for each run
make_clicks() {
    local name=$1 rate=$2 lead=$3
    shift 3
    [ -s "$name.mp3" ] && return 0
    local parts=("$name.lead.wav") index=0
    sox -q -D -n -r "$rate" -c 2 -b 16 "$name.lead.wav" trim 0 "$lead"
    for run in "$@"; do
        local period=${run%%:*} count=${run##*:}
        sox -q -n -r "$rate" -c 2 -b 16 "$name.click$index.wav" synth 0.02 whitenoise \
            fade 0 0.02 0.018 gain -3 pad 0 "$period" trim 0 "$period"
        sox -q "$name.click$index.wav" "$name.run$index.wav" repeat $((count - 1))
        parts+=("$name.run$index.wav")
        index=$((index + 1))
    done
    sox -q "${parts[@]}" "$name.wav"
    lame --quiet -b 192 "$name.wav" "$name.tmp.mp3"
    mv "$name.tmp.mp3" "$name.mp3"
    rm -f "$name".*.wav "$name.wav"
}
make_clicks clicks_120 44100 0.25 0.5:48
make_clicks clicks_120_48k 48000 0.25 0.5:48
make_clicks clicks_120_22k 22050 0.25 0.5:48
make_clicks clicks_100_140 44100 0.25 0.6:20 0.428571428571:42
if [ ! -s song_truncated.mp3 ]; then
    head -c 20000 song_10s.mp3 > song_truncated.mp3
fi
[ -f not_an_mp3.mp3 ] || printf 'This is a text file, not a song.\n' > not_an_mp3.mp3
[ -f empty.mp3 ] || : > empty.mp3
exit 0
