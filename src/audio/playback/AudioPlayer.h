// The media player behind the transport: plays a song from an MP3 file through the sound
// device (or a null output when there is none) and gives the show clock, the position the
// listener hears, in milliseconds.
#pragma once

#include "audio/playback/AudioOutput.h"
#include "audio/playback/MediaPlayer.h"
#include "audio/playback/PlayStream.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace lumivox {

struct PlaybackSession;

// What plays the song, for the status bar.
struct TOutputInfo {
    TOutputKind Kind = TOutputKind::Null; // what the frames go to now
    bool Jack = false;                    // the device is a JACK server
    QString HostApi;                      // "JACK", "ALSA", ...; empty for the null output
    QString Device;                       // the device, or the JACK server's name
    long DeviceRate = 0;                  // frames per second of the output now playing
    long SongRate = 0;                    // frames per second of the song
    // The device was lost: the null output keeps the show time. Jack, HostApi and Device then
    // describe the device that was lost, until a Play finds it (or another) again.
    bool Lost = false;
    // The device chosen was not found; what plays is the one opened in its place.
    bool Missing = false;

    bool operator==(const TOutputInfo&) const = default;
};

// A libmpg123 feeder thread decodes the song (gapless, 16-bit stereo at the song's rate, mono
// duplicated), resamples it to the output's rate when the two differ, and fills a lock-free
// ring; the output's thread pulls from the ring. The position is the song frame the listener
// hears: frames handed to the device minus those still queued in it, in song frames whatever
// the device's rate. Seeking is sample-accurate, also in variable-bitrate files.
//
// All public calls belong to one thread (the UI thread). None of them waits for the audio
// threads, except Open, Play after a device loss and Close, which wait for a device a bounded
// time (about two seconds at most to open one, half a second to close one).
class AudioPlayer final : public IMediaPlayer {
public:
    struct Options {
        // Builds the sound device output. When it is empty, returns nothing, or gives an
        // output that does not start, the player plays through the null output instead.
        OutputFactory DeviceOutput;
        // Clock of the null output and of the show time kept after a device loss;
        // std::chrono::steady_clock when empty.
        OutputClock NullClock;
        // Called on the UI thread, from inside Open, Play, PollOutput and Close, whenever
        // OutputInfo() has changed.
        std::function<void()> OutputChanged = {};
        // Whether the device asked for was not found at the last opening (DeviceOutput then
        // gave another one, or none); read into OutputInfo.
        std::function<bool()> DeviceMissing = {};
    };

    // How long a playing device may go without progress before it counts as lost.
    static constexpr std::chrono::milliseconds StallLimit{600};

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
    // Playing until the listener has heard the song's last frame, or the play range's; then
    // Stopped by itself, with the position at that end.
    TMediaMode Mode() const override;

    // The range wraps in the feeder, before the device: the passes follow each other with no
    // gap, to the frame, and nothing after the range's end reaches the device.
    void SetPlayRange(std::int64_t startMs, std::int64_t endMs) override;
    void ClearPlayRange() override;
    void SetLooping(bool on) override;
    std::int64_t RangeWraps() const override;

    // The show clock calls this on every tick while playing; cheap. When the device has made
    // no progress for StallLimit while the song plays (or said that it is gone), the player
    // moves to the null output and returns true, once per loss. The position then goes on
    // from the last position heard, on the clock, from the moment progress stopped; Mode()
    // stays Playing until the song's end. The next Play tries the device again.
    bool PollOutput();

    // The choice of device changed: the next Play (or Open) opens the device output anew,
    // through DeviceOutput, in place of the current one.
    void ReopenOutputOnPlay() { OutputStale = true; }

    // The output in use while open; Null when closed.
    TOutputKind OutputKind() const;
    QString OutputName() const;
    TOutputInfo OutputInfo() const;

    // The same positions in sample frames, as the decoder counts them.
    std::int64_t PositionFrame() const;
    std::int64_t LengthFrames() const;
    long SampleRate() const;

    // What the listener hears from a start of playback (Play, or Seek while playing).
    struct TRecording {
        std::int64_t StartFrame = 0;      // song frame of the first recorded frame
        std::vector<std::int16_t> Frames; // interleaved stereo, at the output's rate
        long Rate = 0;                    // the output's rate
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
    // What a start of playback at `frame` plays (or would play, when not `playing`) with the
    // play range as it is set now.
    TPlayStream StreamFrom(std::int64_t frame, bool playing) const;
    // Where the stream of the current epoch stands for the listener.
    TPlayStream::TPlace HeardPlace() const;
    bool FinishedPlaying() const;
    void SettleFinished();
    std::chrono::nanoseconds Now() const;
    // Puts `output` in place of the current output, which is stopped first (abandoned when its
    // device is gone), and plays from `frame` on it; the null output instead when it does
    // not start. True when `output` started.
    bool UseOutput(std::unique_ptr<AudioOutput> output, bool abandonCurrent, std::int64_t frame);
    // Moves to the null output after a loss and plays on from `frame`.
    void FailOver(std::int64_t frame);
    // Opens the device again after a loss and plays from `frame` on it; false when it cannot
    // be had (nothing changes then).
    bool RegainDevice(std::int64_t frame);
    void RememberLostDevice();
    // Lets the current output go and plays from `frame` on a new one from DeviceOutput (the
    // null output when it gives none).
    void ReplaceOutput(std::int64_t frame);
    void NotifyOutputChanged();

    Options Opts;
    std::unique_ptr<PlaybackSession> Session;
    std::int64_t SongLengthMs = 0;
    // The last command sent to the audio threads.
    std::uint32_t Epoch = 0;
    std::int64_t StartFrame = 0;
    bool PlayingWanted = false;
    TPlayStream Stream; // what the last epoch plays
    // The play range for the next start of playback (none while RangeEnd <= RangeStart), in
    // song frames, and whether it loops.
    std::int64_t RangeStart = 0;
    std::int64_t RangeEnd = 0;
    bool Looping = false;
    // Wraps heard in earlier epochs, so RangeWraps never goes down.
    std::int64_t WrapsBefore = 0;
    // The stream frames heard as reported last, so the clock never runs backwards within one
    // start of playback (a late device callback can make the interpolated position dip).
    mutable std::uint32_t ReportedEpoch = 0;
    mutable std::int64_t ReportedHeard = -1;
    // The device's progress as PollOutput saw it last: heard frames (-1: not watching), when
    // they last changed and the song frame then.
    std::int64_t WatchHeard = -1;
    std::chrono::nanoseconds WatchSince{0};
    std::int64_t WatchFrame = 0;
    // After a loss: the device that was lost, and whether PollOutput has said so yet.
    bool DeviceLost = false;
    bool LossUnreported = false;
    QString LostHostApi;
    QString LostDevice;
    bool LostJack = false;
    TOutputInfo Notified; // what OutputChanged reported last
    bool OutputStale = false;
};

} // namespace lumivox
