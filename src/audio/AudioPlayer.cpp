// The media player: the command word the UI thread publishes, the decode feeder that fills the
// ring from the commanded position (resampled to the output's rate), the render step the
// output's thread runs, and the watch over the device that moves to the null output when the
// device is lost.
//
// Every Stop, Seek and restart is a new "epoch": a command word holding the epoch number, the
// start frame and whether to play. The feeder seeks the decoder to the start frame and, before
// writing the first frame of the new epoch, publishes a mark (the epoch and the ring's write
// index there). The render step drops everything below the mark and plays from it, so no frame
// of an earlier position is heard after a seek, without the UI thread ever touching the ring.
//
// The ring holds frames at the output's rate. Frame k of an epoch is heard at song time
// start + k / output rate, so the position in song frames is start + k * song rate / output
// rate (the resampler's output lines up with its input, so there is no delay to subtract).
// Changing the output always begins a new epoch, so the feeder and the render step take the
// new rate together.
#include "audio/AudioPlayer.h"

#include "audio/DeviceOutputSupport.h"
#include "audio/Resampler.h"
#include "audio/SampleRing.h"
#include "audio/SongLength.h"

#include <QFile>

#include "audio/Mpg123Handle.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

namespace lumivox {

namespace {

// Command word: start frame in bits 0-39, playing in bit 40, epoch in bits 41-63.
constexpr int StartBits = 40;
constexpr std::uint64_t StartMask = (std::uint64_t{1} << StartBits) - 1;
constexpr std::uint64_t PlayingBit = std::uint64_t{1} << StartBits;
constexpr int EpochShift = StartBits + 1;
constexpr std::uint32_t EpochMask = (std::uint32_t{1} << 23) - 1;
constexpr std::uint32_t NoEpoch = 0xFFFFFFFF;

struct TCommand {
    std::uint32_t Epoch = 0;
    std::int64_t Start = 0;
    bool Playing = false;
};

std::uint64_t PackCommand(std::uint32_t epoch, std::int64_t start, bool playing) {
    return (std::uint64_t{epoch & EpochMask} << EpochShift) | (playing ? PlayingBit : 0) |
           (static_cast<std::uint64_t>(start) & StartMask);
}

TCommand UnpackCommand(std::uint64_t word) {
    return {static_cast<std::uint32_t>(word >> EpochShift) & EpochMask,
            static_cast<std::int64_t>(word & StartMask), (word & PlayingBit) != 0};
}

// Feeder mark: write index (low 40 bits) in bits 0-39, epoch in bits 40-62, bit 63 set once
// a mark has been published. The ring never holds 2^40 frames, so the reader rebuilds the
// full index from its own read index.
constexpr std::uint64_t MarkSet = std::uint64_t{1} << 63;

std::uint64_t PackMark(std::uint32_t epoch, std::uint64_t writeIndex) {
    return MarkSet | (std::uint64_t{epoch & EpochMask} << StartBits) | (writeIndex & StartMask);
}

bool MarkIsFor(std::uint64_t mark, std::uint32_t epoch) {
    return (mark & MarkSet) != 0 &&
           (static_cast<std::uint32_t>(mark >> StartBits) & EpochMask) == epoch;
}

std::uint64_t MarkIndex(std::uint64_t mark, std::uint64_t readIndex) {
    return readIndex + (((mark & StartMask) - readIndex) & StartMask);
}

// About 0.74 s at 44.1 kHz: enough to ride out a busy machine, small enough to fill quickly
// after a seek.
constexpr std::size_t RingFrames = std::size_t{1} << 15;
// Four MPEG frames per decoder call.
constexpr std::size_t DecodeFrames = 4 * 1152;
// How long the feeder sleeps with a full ring while playing, and while idle.
constexpr std::chrono::milliseconds RefillInterval{5};
constexpr std::chrono::milliseconds IdleInterval{50};

enum RecordPhase : int { RecordIdle, RecordArmed, RecordRunning, RecordComplete };

using DecoderHandle = Mpg123Handle;

// A decoder for playback: gapless like MeasureSong, so frame numbers match its length;
// always 16-bit stereo at the song's rate (mono is duplicated into both channels). Seeking by
// sample offset is exact in variable-bitrate files too: without fuzzy seeks libmpg123 reads
// forward through the frames it has not indexed yet rather than guessing a byte offset.
DecoderHandle OpenDecoder(const QString& path, long rate) {
    InitialiseDecoderLibrary();
    int status = MPG123_OK;
    DecoderHandle handle(mpg123_new(nullptr, &status));
    if (!handle)
        return nullptr;
    mpg123_param(handle.get(), MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET | MPG123_FORCE_STEREO,
                 0.0);
    mpg123_format_none(handle.get());
    if (mpg123_format(handle.get(), rate, MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK)
        return nullptr;
    if (!OpenMpg123File(handle.get(), path))
        return nullptr;
    long actualRate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle.get(), &actualRate, &channels, &encoding) != MPG123_OK ||
        actualRate != rate || channels != MPG123_STEREO || encoding != MPG123_ENC_SIGNED_16 ||
        !MakeLengthExact(handle.get(), path))
        return nullptr;
    return handle;
}

} // namespace

// What one open song shares between the UI thread, the feeder thread and the output's thread.
// The three talk through the atomics and the ring only; the mutex and condition variable just
// wake the feeder early when a command arrives.
struct PlaybackSession final : IFrameSource {
    PlaybackSession(long rate, std::int64_t endFrame, DecoderHandle decoder)
        : Rate(rate), EndFrame(endFrame), Decoder(std::move(decoder)),
          Chunk(DecodeFrames * SampleRing::Channels), Ring(RingFrames), OutRate(rate) {}

    ~PlaybackSession() override {
        if (Output)
            Output->Stop();
        StopFeeder();
    }

    void Post(std::uint64_t command) {
        Command.store(command, std::memory_order_release);
        // Taking the lock once orders the store before the feeder's next check, so a feeder
        // between its check and its wait cannot miss the wake-up.
        { std::lock_guard lock(WakeMutex); }
        Wake.notify_one();
    }

    void StartFeeder() {
        Feeder = std::thread([this] { Feed(); });
    }

    void StopFeeder() {
        if (!Feeder.joinable())
            return;
        {
            std::lock_guard lock(WakeMutex);
            Quit.store(true, std::memory_order_release);
        }
        Wake.notify_one();
        Feeder.join();
    }

    // --- feeder thread -------------------------------------------------------------------

    void Feed();
    // Moves the decoder to `start`: the frames to drop before it when the decoder lands
    // early, or nothing when there is nothing to play from there.
    std::optional<std::int64_t> SeekDecoder(std::int64_t start);
    // Decodes the next frames into Chunk; false once the song's end (or a decoder error)
    // is reached, the frames of that last call included.
    bool DecodeChunk(std::size_t& frames);
    // A resampler from the song's rate to `outputRate`, fresh for a new stream; none when
    // the rates are equal.
    void PrepareResampler(long outputRate);

    // --- output thread -------------------------------------------------------------------

    std::size_t Render(std::int16_t* out, std::size_t frames,
                       std::int64_t deviceFrame) noexcept override;
    void Record(const std::int16_t* frames, std::size_t count) noexcept;

    const long Rate;
    const std::int64_t EndFrame;
    DecoderHandle Decoder;                 // feeder thread only, once started
    std::vector<std::int16_t> Chunk;       // feeder thread only
    std::int64_t DecodedTo = 0;            // song frame after the last decoded one; feeder only
    std::unique_ptr<TResampler> Resampler; // feeder only
    std::vector<std::int16_t> Resampled;   // feeder only
    SampleRing Ring;
    // The output's rate, set by the UI thread before the command that begins an epoch on it.
    std::atomic<long> OutRate;

    std::atomic<std::uint64_t> Command{0}; // written by the UI thread
    // The output's due frame count when the UI thread gave the command.
    std::atomic<std::int64_t> CommandFrame{0};
    std::atomic<std::uint64_t> Mark{0};            // written by the feeder
    std::atomic<std::uint32_t> DoneEpoch{NoEpoch}; // epoch whose last frame is in the ring
    // Output frames of the epoch heard = device frame + ClockOffset, for the epoch in
    // ClockEpoch (render writes).
    std::atomic<std::int64_t> ClockOffset{0};
    std::atomic<std::uint32_t> ClockEpoch{NoEpoch};
    std::atomic<bool> Quit{false};
    std::mutex WakeMutex;
    std::condition_variable Wake;
    std::thread Feeder;

    // Render state, output thread only.
    std::uint32_t RenderEpoch = NoEpoch;
    bool Entered = false;        // the ring was cut at this epoch's mark
    bool Started = false;        // the first song frame of this epoch went out
    std::int64_t EpochFrame = 0; // output frames of this epoch gone out
    long RenderRate = 0;         // the output's rate in this epoch
    std::int64_t NextDevice = 0; // device frame the next call starts at, if nothing is padded
    bool Recording = false;

    // Recording of a start of playback: the UI thread owns the buffer in the phases Idle and
    // Complete, the output thread in Running.
    std::atomic<int> RecordState{RecordIdle};
    std::vector<std::int16_t> RecordBuffer;
    std::size_t RecordWanted = 0;
    std::size_t RecordFilled = 0;
    std::int64_t RecordStart = 0;
    long RecordRate = 0;

    // Last, so it is destroyed (and stopped) before anything its thread reads.
    std::unique_ptr<AudioOutput> Output;
};

void PlaybackSession::Feed() {
    std::uint32_t epoch = NoEpoch;
    const std::int16_t* pending = nullptr; // frames ready for the ring
    std::size_t pendingFrames = 0;
    std::size_t pendingWritten = 0; // of which are in the ring
    std::int64_t toDrop = 0;        // frames to discard after a seek that landed early
    bool decoding = false;          // more frames to decode for this epoch
    bool drained = false;           // the resampler holds nothing more of this epoch
    bool doneMarked = false;

    while (!Quit.load(std::memory_order_acquire)) {
        const TCommand command = UnpackCommand(Command.load(std::memory_order_acquire));
        if (command.Epoch != epoch) {
            epoch = command.Epoch;
            pendingFrames = pendingWritten = 0;
            doneMarked = false;
            drained = false;
            PrepareResampler(OutRate.load(std::memory_order_acquire));
            const std::optional<std::int64_t> drop = SeekDecoder(command.Start);
            decoding = drop.has_value();
            toDrop = drop.value_or(0);
            // Every frame written from here on belongs to this epoch.
            Mark.store(PackMark(epoch, Ring.WriteIndex()), std::memory_order_release);
        }

        bool progressed = false;
        if (pendingWritten == pendingFrames && decoding) {
            std::size_t decoded = 0;
            decoding = DecodeChunk(decoded);
            const std::size_t skip = static_cast<std::size_t>(
                std::min<std::int64_t>(toDrop, static_cast<std::int64_t>(decoded)));
            toDrop -= static_cast<std::int64_t>(skip);
            pending = Chunk.data() + skip * SampleRing::Channels;
            pendingFrames = decoded - skip;
            if (Resampler) {
                pendingFrames = Resampler->Process(pending, pendingFrames, Resampled.data(),
                                                   Resampled.size() / SampleRing::Channels);
                pending = Resampled.data();
            }
            pendingWritten = 0;
            progressed = true;
        } else if (pendingWritten == pendingFrames && Resampler && !drained) {
            // The song's end: what the resampler still holds comes out last.
            pendingFrames =
                Resampler->Flush(Resampled.data(), Resampled.size() / SampleRing::Channels);
            pending = Resampled.data();
            pendingWritten = 0;
            drained = pendingFrames == 0;
            progressed = true;
        }
        if (pendingWritten < pendingFrames) {
            const std::size_t written = Ring.Write(pending + pendingWritten * SampleRing::Channels,
                                                   pendingFrames - pendingWritten);
            pendingWritten += written;
            progressed = progressed || written > 0;
        }
        if (!decoding && (!Resampler || drained) && pendingWritten == pendingFrames &&
            !doneMarked) {
            DoneEpoch.store(epoch, std::memory_order_release);
            doneMarked = true;
        }
        if (progressed)
            continue;

        // Ring full or song decoded: sleep until a command arrives or the ring has room.
        std::unique_lock lock(WakeMutex);
        const auto pause = command.Playing && !doneMarked ? RefillInterval : IdleInterval;
        Wake.wait_for(lock, pause, [&] {
            return Quit.load(std::memory_order_acquire) ||
                   UnpackCommand(Command.load(std::memory_order_acquire)).Epoch != epoch;
        });
    }
}

void PlaybackSession::PrepareResampler(long outputRate) {
    if (outputRate == Rate || outputRate <= 0) {
        Resampler.reset();
        return;
    }
    if (Resampler && Resampler->OutputRate() == outputRate) {
        Resampler->Reset();
        return;
    }
    Resampler = std::make_unique<TResampler>(Rate, outputRate);
    if (!Resampler->IsValid()) {
        Resampler.reset();
        return;
    }
    Resampled.assign(Resampler->OutputRoomFor(DecodeFrames) * SampleRing::Channels, 0);
}

std::optional<std::int64_t> PlaybackSession::SeekDecoder(std::int64_t start) {
    if (start >= EndFrame)
        return std::nullopt;
    const off_t landed = mpg123_seek(Decoder.get(), static_cast<off_t>(start), SEEK_SET);
    if (landed < 0 || landed > start)
        return std::nullopt;
    DecodedTo = static_cast<std::int64_t>(landed);
    return start - DecodedTo;
}

bool PlaybackSession::DecodeChunk(std::size_t& frames) {
    std::size_t bytes = 0;
    const int status = mpg123_read(Decoder.get(), reinterpret_cast<unsigned char*>(Chunk.data()),
                                   Chunk.size() * sizeof(std::int16_t), &bytes);
    frames = bytes / (SampleRing::Channels * sizeof(std::int16_t));
    // Never more than the measured length, so the clock and the sound end together.
    frames = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(frames), EndFrame - DecodedTo));
    DecodedTo += static_cast<std::int64_t>(frames);
    if (DecodedTo >= EndFrame)
        return false;
    return status == MPG123_NEW_FORMAT || (status == MPG123_OK && bytes > 0);
}

std::size_t PlaybackSession::Render(std::int16_t* out, std::size_t frames,
                                    std::int64_t deviceFrame) noexcept {
    // Order matters: the done flag before the write index (so a set flag means every frame of
    // that epoch is counted), and the write index before the command (so the frames counted
    // belong to the command seen, or to an earlier one).
    const std::uint32_t done = DoneEpoch.load(std::memory_order_acquire);
    const std::uint64_t written = Ring.WriteIndex();
    const TCommand command = UnpackCommand(Command.load(std::memory_order_acquire));

    if (command.Epoch != RenderEpoch) {
        if (Recording) {
            RecordState.store(RecordComplete, std::memory_order_release);
            Recording = false;
        }
        RenderEpoch = command.Epoch;
        Entered = false;
        Started = false;
        EpochFrame = 0;
        RenderRate = OutRate.load(std::memory_order_acquire);
        NextDevice = deviceFrame;
    }
    // A device output played silence for frames held back at the last call: the song is
    // that much later on the device's frame count.
    if (Started && deviceFrame > NextDevice)
        ClockOffset.store(ClockOffset.load(std::memory_order_relaxed) - (deviceFrame - NextDevice),
                          std::memory_order_release);
    NextDevice = deviceFrame;

    if (!Entered) {
        const std::uint64_t mark = Mark.load(std::memory_order_acquire);
        if (MarkIsFor(mark, RenderEpoch)) {
            Ring.DiscardTo(MarkIndex(mark, Ring.ReadIndex()));
            Entered = true;
        }
    }
    if (!command.Playing) {
        std::memset(out, 0, frames * SampleRing::Channels * sizeof(std::int16_t));
        NextDevice = deviceFrame + static_cast<std::int64_t>(frames);
        return frames;
    }

    // Time that passed before the command was given is idle silence, however late the
    // output asks for it (the null output catches up in bursts after a stall).
    std::size_t lead = 0;
    if (!Started) {
        const std::int64_t given = CommandFrame.load(std::memory_order_acquire);
        if (given > deviceFrame) {
            lead = static_cast<std::size_t>(
                std::min<std::int64_t>(given - deviceFrame, static_cast<std::int64_t>(frames)));
            std::memset(out, 0, lead * SampleRing::Channels * sizeof(std::int16_t));
            out += lead * SampleRing::Channels;
            frames -= lead;
            deviceFrame += static_cast<std::int64_t>(lead);
            NextDevice = deviceFrame;
        }
    }
    if (!Entered || frames == 0)
        return lead; // the feeder has not reached the new position yet

    const std::uint64_t readIndex = Ring.ReadIndex();
    const std::size_t available =
        written > readIndex ? static_cast<std::size_t>(written - readIndex) : 0;
    std::size_t counted = Ring.Read(out, std::min(frames, available));
    if (counted < frames && counted == available && done == RenderEpoch) {
        // Past the song's end: silence that still counts as song time, so the position
        // reaches the end once the last frame has been heard.
        std::memset(out + counted * SampleRing::Channels, 0,
                    (frames - counted) * SampleRing::Channels * sizeof(std::int16_t));
        counted = frames;
    }
    if (counted == 0)
        return lead;

    if (!Started) {
        Started = true;
        ClockOffset.store(EpochFrame - deviceFrame, std::memory_order_relaxed);
        ClockEpoch.store(RenderEpoch, std::memory_order_release);
        int armed = RecordArmed;
        if (RecordState.compare_exchange_strong(armed, RecordRunning, std::memory_order_acq_rel)) {
            Recording = true;
            RecordStart = command.Start + EpochFrame * Rate / RenderRate;
            RecordRate = RenderRate;
        }
    }
    if (Recording)
        Record(out, counted);
    EpochFrame += static_cast<std::int64_t>(counted);
    NextDevice = deviceFrame + static_cast<std::int64_t>(counted);
    return lead + counted;
}

void PlaybackSession::Record(const std::int16_t* frames, std::size_t count) noexcept {
    const std::size_t take = std::min(count, RecordWanted - RecordFilled);
    std::memcpy(RecordBuffer.data() + RecordFilled * SampleRing::Channels, frames,
                take * SampleRing::Channels * sizeof(std::int16_t));
    RecordFilled += take;
    if (RecordFilled == RecordWanted) {
        RecordState.store(RecordComplete, std::memory_order_release);
        Recording = false;
    }
}

// ---------------------------------------------------------------------------------------------

AudioPlayer::AudioPlayer() : AudioPlayer(Options{OpenDeviceOutput, {}}) {}

AudioPlayer::AudioPlayer(Options options) : Opts(std::move(options)) {
    SilenceSoundLibraryMessages();
}

AudioPlayer::~AudioPlayer() {
    Opts.OutputChanged = nullptr; // the window may be half gone already
    Close();
}

std::chrono::nanoseconds AudioPlayer::Now() const {
    return Opts.NullClock ? Opts.NullClock() : SteadyNow();
}

bool AudioPlayer::Open(const QString& path) {
    Close();
    const std::optional<SongInfo> info = MeasureSong(path);
    if (!info || info->Rate <= 0 || info->Samples <= 0) {
        NotifyOutputChanged();
        return false;
    }
    DecoderHandle decoder = OpenDecoder(path, info->Rate);
    if (!decoder) {
        NotifyOutputChanged();
        return false;
    }

    auto session = std::make_unique<PlaybackSession>(info->Rate, info->Samples, std::move(decoder));
    Epoch = 0;
    StartFrame = 0;
    PlayingWanted = false;
    ReportedEpoch = 0;
    ReportedFrame = -1;
    WatchHeard = -1;
    DeviceLost = LossUnreported = false;
    session->Command.store(PackCommand(Epoch, StartFrame, PlayingWanted));

    std::unique_ptr<AudioOutput> output;
    if (Opts.DeviceOutput)
        output = Opts.DeviceOutput(info->Rate, *session);
    if (output && (output->Rate() <= 0 || !output->Start()))
        output.reset();
    if (!output) {
        output = std::make_unique<NullOutput>(info->Rate, *session, Opts.NullClock);
        output->Start();
    }
    // Before the feeder's first epoch, which reads it.
    session->OutRate.store(output->Rate(), std::memory_order_release);
    session->Output = std::move(output);
    session->StartFeeder();
    SongLengthMs = info->LengthMs;
    Session = std::move(session);
    NotifyOutputChanged();
    return true;
}

void AudioPlayer::Close() {
    if (!Session) {
        NotifyOutputChanged();
        return;
    }
    Session.reset(); // stops the output, then the feeder
    SongLengthMs = 0;
    Epoch = 0;
    StartFrame = 0;
    PlayingWanted = false;
    WatchHeard = -1;
    DeviceLost = LossUnreported = false;
    NotifyOutputChanged();
}

bool AudioPlayer::IsOpen() const {
    return Session != nullptr;
}

void AudioPlayer::Play() {
    if (!Session)
        return;
    SettleFinished();
    if (PlayingWanted)
        return;
    const bool atEnd = PositionMs() >= LengthMs();
    const std::int64_t from = atEnd ? 0 : StartFrame;
    // After a loss, or with a device that has said it is gone, the device is tried again;
    // a new output starts playing from `from` at once.
    const bool gone = Session->Output->Kind() == TOutputKind::Device && Session->Output->Lost();
    if ((DeviceLost || gone) && !RegainDevice(from) && gone) {
        RememberLostDevice();
        UseOutput(std::make_unique<NullOutput>(Session->Rate, *Session, Opts.NullClock), true,
                  from);
        DeviceLost = LossUnreported = true;
    }
    if (!PlayingWanted) {
        if (atEnd)
            PostCommand(0, true, true);
        else
            PostCommand(StartFrame, true, false); // the feeder has this position ready already
    }
    NotifyOutputChanged();
}

void AudioPlayer::Stop() {
    if (!Session)
        return;
    SettleFinished();
    if (PlayingWanted)
        PostCommand(PositionFrame(), false, true);
}

void AudioPlayer::Seek(std::int64_t ms) {
    if (!Session)
        return;
    SettleFinished();
    ms = std::clamp<std::int64_t>(ms, 0, SongLengthMs);
    // Round up, so the position read back in milliseconds is the one asked for.
    const std::int64_t frame = (ms * Session->Rate + 999) / 1000;
    PostCommand(std::min(frame, Session->EndFrame), PlayingWanted, true);
}

bool AudioPlayer::PollOutput() {
    if (!Session)
        return false;
    if (LossUnreported) {
        LossUnreported = false;
        NotifyOutputChanged();
        return true;
    }
    AudioOutput& output = *Session->Output;
    if (output.Kind() != TOutputKind::Device || !PlayingWanted || FinishedPlaying()) {
        WatchHeard = -1;
        return false;
    }
    const std::chrono::nanoseconds now = Now();
    const std::int64_t heard = output.HeardFrames();
    if (heard != WatchHeard) {
        WatchHeard = heard;
        WatchSince = now;
        WatchFrame = PositionFrame();
        if (!output.Lost())
            return false;
    }
    if (!output.Lost() && now - WatchSince < StallLimit)
        return false;
    // No show time is lost: the song goes on from where it was heard last, as far on as the
    // time since then.
    FailOver(std::min(WatchFrame + FramesIn(now - WatchSince, Session->Rate), Session->EndFrame));
    NotifyOutputChanged();
    return true;
}

void AudioPlayer::RememberLostDevice() {
    LostHostApi = Session->Output->HostApi();
    LostDevice = Session->Output->Device();
    LostJack = Session->Output->IsJack();
}

void AudioPlayer::FailOver(std::int64_t frame) {
    RememberLostDevice();
    UseOutput(std::make_unique<NullOutput>(Session->Rate, *Session, Opts.NullClock), true, frame);
    DeviceLost = true;
}

bool AudioPlayer::RegainDevice(std::int64_t frame) {
    if (!Opts.DeviceOutput)
        return false;
    std::unique_ptr<AudioOutput> device = Opts.DeviceOutput(Session->Rate, *Session);
    if (!device || device->Rate() <= 0)
        return false;
    const bool current = Session->Output->Kind() == TOutputKind::Device;
    if (!UseOutput(std::move(device), current, frame))
        return false;
    DeviceLost = LossUnreported = false;
    return true;
}

bool AudioPlayer::UseOutput(std::unique_ptr<AudioOutput> output, bool abandonCurrent,
                            std::int64_t frame) {
    // The current output lets go of the session before the new one may render from it.
    if (abandonCurrent)
        Session->Output->Abandon();
    else
        Session->Output->Stop();
    WatchHeard = -1;
    for (bool first = true;; first = false) {
        // The rate first, then the epoch that plays at it, then the output that asks for it.
        Session->OutRate.store(output->Rate(), std::memory_order_release);
        Session->Output = std::move(output);
        PostCommand(frame, true, true);
        if (Session->Output->Start())
            return first;
        output = std::make_unique<NullOutput>(Session->Rate, *Session, Opts.NullClock);
    }
}

std::int64_t AudioPlayer::PositionFrame() const {
    if (!Session)
        return 0;
    if (!PlayingWanted ||
        Session->ClockEpoch.load(std::memory_order_acquire) != (Epoch & EpochMask))
        return StartFrame;
    const std::int64_t heard =
        Session->Output->HeardFrames() + Session->ClockOffset.load(std::memory_order_acquire);
    const long outRate = Session->OutRate.load(std::memory_order_relaxed);
    const std::int64_t song =
        StartFrame + (outRate == Session->Rate ? heard : heard * Session->Rate / outRate);
    std::int64_t frame = std::clamp(song, StartFrame, Session->EndFrame);
    if (ReportedEpoch == Epoch)
        frame = std::max(frame, ReportedFrame);
    ReportedEpoch = Epoch;
    ReportedFrame = frame;
    return frame;
}

std::int64_t AudioPlayer::PositionMs() const {
    return Session ? PositionFrame() * 1000 / Session->Rate : 0;
}

std::int64_t AudioPlayer::LengthMs() const {
    return SongLengthMs;
}

std::int64_t AudioPlayer::LengthFrames() const {
    return Session ? Session->EndFrame : 0;
}

long AudioPlayer::SampleRate() const {
    return Session ? Session->Rate : 0;
}

TMediaMode AudioPlayer::Mode() const {
    if (!Session)
        return TMediaMode::NotOpen;
    return PlayingWanted && !FinishedPlaying() ? TMediaMode::Playing : TMediaMode::Stopped;
}

TOutputKind AudioPlayer::OutputKind() const {
    return Session ? Session->Output->Kind() : TOutputKind::Null;
}

QString AudioPlayer::OutputName() const {
    return Session ? Session->Output->Name() : QString();
}

TOutputInfo AudioPlayer::OutputInfo() const {
    TOutputInfo info;
    if (!Session)
        return info;
    const AudioOutput& output = *Session->Output;
    info.Kind = output.Kind();
    info.DeviceRate = output.Rate();
    info.SongRate = Session->Rate;
    info.Lost = DeviceLost;
    info.Jack = DeviceLost ? LostJack : output.IsJack();
    info.HostApi = DeviceLost ? LostHostApi : output.HostApi();
    info.Device = DeviceLost ? LostDevice : output.Device();
    return info;
}

void AudioPlayer::NotifyOutputChanged() {
    TOutputInfo now = OutputInfo();
    if (now == Notified)
        return;
    Notified = std::move(now);
    if (Opts.OutputChanged)
        Opts.OutputChanged();
}

bool AudioPlayer::FinishedPlaying() const {
    return PlayingWanted && PositionFrame() >= Session->EndFrame;
}

// Once the end has been heard the player is stopped at the end, whatever the audio thread
// still pads; make the command say so before acting on a new one.
void AudioPlayer::SettleFinished() {
    if (FinishedPlaying())
        PostCommand(Session->EndFrame, false, true);
}

void AudioPlayer::PostCommand(std::int64_t startFrame, bool playing, bool newPosition) {
    if (newPosition)
        Epoch = (Epoch + 1) & EpochMask;
    StartFrame = startFrame;
    PlayingWanted = playing;
    Session->CommandFrame.store(Session->Output->DueFrames(), std::memory_order_relaxed);
    Session->Post(PackCommand(Epoch, StartFrame, PlayingWanted));
}

bool AudioPlayer::RecordNextStart(std::size_t frames) {
    if (!Session || frames == 0)
        return false;
    int state = Session->RecordState.load(std::memory_order_acquire);
    if (state == RecordArmed &&
        !Session->RecordState.compare_exchange_strong(state, RecordIdle, std::memory_order_acq_rel))
        return false; // the output thread began recording meanwhile
    if (state == RecordRunning)
        return false;
    Session->RecordBuffer.assign(frames * SampleRing::Channels, 0);
    Session->RecordWanted = frames;
    Session->RecordFilled = 0;
    Session->RecordState.store(RecordArmed, std::memory_order_release);
    return true;
}

std::optional<AudioPlayer::TRecording> AudioPlayer::TakeRecording() {
    if (!Session || Session->RecordState.load(std::memory_order_acquire) != RecordComplete)
        return std::nullopt;
    TRecording recording;
    recording.StartFrame = Session->RecordStart;
    recording.Rate = Session->RecordRate;
    recording.Frames.assign(
        Session->RecordBuffer.begin(),
        Session->RecordBuffer.begin() +
            static_cast<std::ptrdiff_t>(Session->RecordFilled * SampleRing::Channels));
    Session->RecordState.store(RecordIdle, std::memory_order_release);
    return recording;
}

} // namespace lumivox
