// The playback session's threads: the decode feeder and the render step, and the command word
// and feeder mark through which they follow the UI thread.
#include "audio/playback/PlaybackSession.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace lumivox {

namespace {

// Command word: start frame in bits 0-39, playing in bit 40, epoch in bits 41-63.
constexpr int StartBits = 40;
constexpr std::uint64_t StartMask = (std::uint64_t{1} << StartBits) - 1;
constexpr std::uint64_t PlayingBit = std::uint64_t{1} << StartBits;
constexpr int EpochShift = StartBits + 1;
constexpr std::uint32_t EpochMask = PlaybackSession::EpochMask;

struct TCommand {
    std::uint32_t Epoch = 0;
    std::int64_t Start = 0;
    bool Playing = false;
};

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

// The wrap a stream ended at: the wrap in bits 0-39, the epoch in bits 40-62, bit 63 set.
std::uint64_t PackEnd(std::uint32_t epoch, std::int64_t wrap) {
    return MarkSet | (std::uint64_t{epoch & EpochMask} << StartBits) |
           (static_cast<std::uint64_t>(wrap) & StartMask);
}

// The wrap in `packed` when it is set for `epoch`; negative otherwise.
std::int64_t EndFor(std::uint64_t packed, std::uint32_t epoch) {
    return MarkIsFor(packed, epoch) ? static_cast<std::int64_t>(packed & StartMask) : -1;
}

// About 0.74 s at 44.1 kHz: enough to ride out a busy machine, small enough to fill quickly
// after a seek.
constexpr std::size_t RingFrames = std::size_t{1} << 15;
// Four MPEG frames per decoder call.
constexpr std::size_t DecodeFrames = 4 * 1152;
// How long the feeder sleeps with a full ring while playing, and while idle.
constexpr std::chrono::milliseconds RefillInterval{5};
constexpr std::chrono::milliseconds IdleInterval{50};

} // namespace

std::uint64_t PlaybackSession::PackCommand(std::uint32_t epoch, std::int64_t start, bool playing) {
    return (std::uint64_t{epoch & EpochMask} << EpochShift) | (playing ? PlayingBit : 0) |
           (static_cast<std::uint64_t>(start) & StartMask);
}

PlaybackSession::DecoderHandle PlaybackSession::OpenDecoder(const QString& path, long rate) {
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

PlaybackSession::PlaybackSession(long rate, std::int64_t endFrame, DecoderHandle decoder)
    : Rate(rate), EndFrame(endFrame), Decoder(std::move(decoder)),
      Chunk(DecodeFrames * SampleRing::Channels), Ring(RingFrames), OutRate(rate) {}

PlaybackSession::~PlaybackSession() {
    if (Output)
        Output->Stop();
    StopFeeder();
}

void PlaybackSession::PublishStream(std::uint32_t epoch, const TPlayStream& stream) {
    const std::uint32_t sequence = StreamSequence.load(std::memory_order_relaxed);
    StreamSequence.store(sequence + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    StreamEpoch.store(epoch & EpochMask, std::memory_order_relaxed);
    StreamStart.store(stream.Start, std::memory_order_relaxed);
    StreamRangeStart.store(stream.RangeStart, std::memory_order_relaxed);
    StreamEnd.store(stream.End, std::memory_order_relaxed);
    StreamSequence.store(sequence + 2, std::memory_order_release);
}

bool PlaybackSession::ReadStream(std::uint32_t epoch, TPlayStream& stream) const {
    const std::uint32_t before = StreamSequence.load(std::memory_order_acquire);
    if ((before & 1U) != 0)
        return false;
    const std::uint32_t published = StreamEpoch.load(std::memory_order_relaxed);
    const TPlayStream read{StreamStart.load(std::memory_order_relaxed),
                           StreamRangeStart.load(std::memory_order_relaxed),
                           StreamEnd.load(std::memory_order_relaxed)};
    std::atomic_thread_fence(std::memory_order_acquire);
    if (StreamSequence.load(std::memory_order_relaxed) != before || published != epoch)
        return false;
    stream = read;
    return true;
}

std::int64_t PlaybackSession::EndsAtWrap(std::uint32_t epoch) const {
    const std::int64_t fed = EndFor(FedEnd.load(std::memory_order_acquire), epoch);
    const std::int64_t cut = EndFor(CutEnd.load(std::memory_order_acquire), epoch);
    if (fed < 0 || cut < 0)
        return std::max(fed, cut);
    return std::min(fed, cut);
}

void PlaybackSession::Post(std::uint64_t command) {
    Command.store(command, std::memory_order_release);
    // Taking the lock once orders the store before the feeder's next check, so a feeder
    // between its check and its wait cannot miss the wake-up.
    { std::lock_guard lock(WakeMutex); }
    Wake.notify_one();
}

void PlaybackSession::StartFeeder() {
    Feeder = std::thread([this] { Feed(); });
}

void PlaybackSession::StopFeeder() {
    if (!Feeder.joinable())
        return;
    {
        std::lock_guard lock(WakeMutex);
        Quit.store(true, std::memory_order_release);
    }
    Wake.notify_one();
    Feeder.join();
}

void PlaybackSession::Feed() {
    std::uint32_t epoch = NoEpoch;
    TPlayStream stream;
    std::int64_t wraps = 0;                // times this epoch's stream went back to its range
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
            if (!ReadStream(command.Epoch, stream)) {
                // The UI thread is between publishing a stream and the command that plays it.
                std::this_thread::yield();
                continue;
            }
            epoch = command.Epoch;
            wraps = 0;
            pendingFrames = pendingWritten = 0;
            doneMarked = false;
            drained = false;
            PrepareResampler(OutRate.load(std::memory_order_acquire));
            const std::optional<std::int64_t> drop =
                stream.Start < stream.End ? SeekDecoder(stream.Start) : std::nullopt;
            decoding = drop.has_value();
            toDrop = drop.value_or(0);
            if (!decoding)
                FedEnd.store(PackEnd(epoch, 0), std::memory_order_release);
            // Every frame written from here on belongs to this epoch.
            Mark.store(PackMark(epoch, Ring.WriteIndex()), std::memory_order_release);
        }

        bool progressed = false;
        if (pendingWritten == pendingFrames && decoding) {
            std::size_t decoded = 0;
            decoding = DecodeChunk(decoded, stream.End);
            const std::size_t skip = static_cast<std::size_t>(
                std::min<std::int64_t>(toDrop, static_cast<std::int64_t>(decoded)));
            toDrop -= static_cast<std::int64_t>(skip);
            // A whole pass of a range is decoded: it goes on from the range's start while Loop
            // is on, into the same resampler, so the next pass follows without a gap.
            if (!decoding && stream.IsRange() && DecodedTo == stream.End &&
                Loop.load(std::memory_order_acquire)) {
                const std::optional<std::int64_t> drop = SeekDecoder(stream.RangeStart);
                decoding = drop.has_value();
                toDrop = drop.value_or(0);
                wraps += decoding ? 1 : 0;
            }
            if (!decoding)
                FedEnd.store(PackEnd(epoch, wraps), std::memory_order_release);
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
            // The stream's end: what the resampler still holds comes out last.
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

        // Ring full or stream decoded: sleep until a command arrives or the ring has room.
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

bool PlaybackSession::DecodeChunk(std::size_t& frames, std::int64_t until) {
    until = std::min(until, EndFrame);
    std::size_t bytes = 0;
    const int status = mpg123_read(Decoder.get(), reinterpret_cast<unsigned char*>(Chunk.data()),
                                   Chunk.size() * sizeof(std::int16_t), &bytes);
    frames = bytes / (SampleRing::Channels * sizeof(std::int16_t));
    // Never past the stream's pass nor the measured length, so the clock and the sound end
    // together and nothing after a range's end is heard.
    frames = static_cast<std::size_t>(std::clamp<std::int64_t>(
        static_cast<std::int64_t>(frames), 0, std::max<std::int64_t>(until - DecodedTo, 0)));
    DecodedTo += static_cast<std::int64_t>(frames);
    if (DecodedTo >= until)
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
        StreamKnown = false;
        Cut = false;
        RenderWrap = 0;
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
        if (!StreamKnown)
            StreamKnown = ReadStream(RenderEpoch, RenderStream);
        const std::uint64_t mark = Mark.load(std::memory_order_acquire);
        if (StreamKnown && MarkIsFor(mark, RenderEpoch)) {
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
    std::size_t wanted = Cut ? 0 : std::min(frames, available);
    bool cutting = false;
    if (!Cut && RenderStream.IsRange() && !Loop.load(std::memory_order_acquire)) {
        // Loop is off: nothing after the end of the pass being played goes out, even when the
        // feeder had gone on into the next pass.
        const std::int64_t untilWrap = NextOutputWrap() - EpochFrame;
        if (untilWrap <= static_cast<std::int64_t>(wanted)) {
            wanted = static_cast<std::size_t>(untilWrap);
            cutting = true;
        }
    }
    std::size_t counted = Ring.Read(out, wanted);
    if (cutting) {
        Cut = true;
        CutEnd.store(PackEnd(RenderEpoch, RenderWrap), std::memory_order_release);
    }
    if (counted < frames && (Cut || (counted == available && done == RenderEpoch))) {
        // Past the stream's end: silence that still counts as song time, so the position
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

std::int64_t PlaybackSession::NextOutputWrap() noexcept {
    std::int64_t at = RenderStream.OutputWrapAt(RenderWrap, Rate, RenderRate);
    while (at <= EpochFrame) {
        ++RenderWrap;
        at = RenderStream.OutputWrapAt(RenderWrap, Rate, RenderRate);
    }
    return at;
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

} // namespace lumivox
