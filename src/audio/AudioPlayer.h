// The media player behind the transport: plays a song from an MP3 file through the sound
// device (or a null output when there is none) and gives the show clock, the position the
// listener hears, in milliseconds.
#pragma once

#include "audio/AudioOutput.h"
#include "audio/MediaPlayer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace lumivox {

struct PlaybackSession;

// A libmpg123 feeder thread decodes the song (gapless, 16-bit stereo at the song's rate, mono
// duplicated) into a lock-free ring; the output's thread pulls from the ring. The position is
// the song frame the listener hears: frames handed to the device minus those still queued in
// it. Seeking is sample-accurate, also in variable-bitrate files.
//
// All public calls belong to one thread (the UI thread). None of them waits for the audio
// threads, except Open and Close, which start and stop them.
class AudioPlayer final : public IMediaPlayer {
public:
    struct Options {
        // Builds the sound device output. When it is empty, returns nothing, or gives an
        // output that does not start, the player plays through the null output instead.
        OutputFactory DeviceOutput;
        // Clock of the null output; std::chrono::steady_clock when empty.
        OutputClock NullClock;
    };

    // Plays on the device OpenDeviceOutput picks.
    AudioPlayer();
    explicit AudioPlayer(Options options);
    ~AudioPlayer() override;

    AudioPlayer(const AudioPlayer&) = delete;
    AudioPlayer& operator=(const AudioPlayer&) = delete;

    // Measures the song with MeasureSong, so LengthMs equals its LengthMs exactly, opens the
    // decoder and the output, and leaves the song stopped at 0.
    bool Open(const QString& path) override;
    void Close() override;
    bool IsOpen() const override;
    void Play() override;
    void Stop() override;
    void Seek(std::int64_t ms) override;
    std::int64_t PositionMs() const override;
    std::int64_t LengthMs() const override;
    // Playing until the listener has heard the song's last frame; then Stopped by itself,
    // with the position at the end.
    TMediaMode Mode() const override;

    // The output in use while open; Null when closed.
    TOutputKind OutputKind() const;
    QString OutputName() const;

    // The same positions in sample frames, as the decoder counts them.
    std::int64_t PositionFrame() const;
    std::int64_t LengthFrames() const;
    long SampleRate() const;

    // What the listener hears from a start of playback (Play, or Seek while playing).
    struct TRecording {
        std::int64_t StartFrame = 0;      // song frame of the first recorded frame
        std::vector<std::int16_t> Frames; // interleaved stereo
    };
    // Records the first `frames` frames played from the next start of playback, so the
    // samples after a seek can be compared with a full decode. False when not open or while
    // a recording is under way.
    bool RecordNextStart(std::size_t frames);
    // The recording once it holds the frames asked for (fewer when playback moved elsewhere
    // first); empty before that. Taking it allows the next recording.
    std::optional<TRecording> TakeRecording();

private:
    void PostCommand(std::int64_t startFrame, bool playing, bool newPosition);
    bool FinishedPlaying() const;
    void SettleFinished();

    Options Opts;
    std::unique_ptr<PlaybackSession> Session;
    std::int64_t SongLengthMs = 0;
    // The last command sent to the audio threads.
    std::uint32_t Epoch = 0;
    std::int64_t StartFrame = 0;
    bool PlayingWanted = false;
    // The position reported last, so the clock never runs backwards within one start of
    // playback (a late device callback can make the interpolated position dip).
    mutable std::uint32_t ReportedEpoch = 0;
    mutable std::int64_t ReportedFrame = -1;
};

} // namespace lumivox
