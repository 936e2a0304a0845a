// One open song as the audio threads see it: the decode feeder that fills the ring from the
// commanded position (resampled to the output's rate) and the render step the output's thread
// runs.
//
// Every Stop, Seek and restart is a new "epoch": a command word holding the epoch number, the
// start frame and whether to play, and beside it the stream the epoch plays (TPlayStream: to
// the song's end, or to the end of a play range and, while Loop is on, the range again and
// again). The feeder seeks the decoder to the start frame and, before writing the first frame
// of the new epoch, publishes a mark (the epoch and the ring's write index there). The render
// step drops everything below the mark and plays from it, so no frame of an earlier position
// is heard after a seek, without the UI thread ever touching the ring.
//
// A range wraps in the feeder: after the range's last frame it seeks the decoder back to the
// range's start and decodes on, through the same resampler, so the ring holds the passes back
// to back with no gap and nothing from past the range's end. Loop is read where a pass ends:
// by the feeder, which ends the stream there when Loop is off, and by the render step, which
// cuts the stream at the wrap it is about to play when Loop was switched off after the feeder
// had gone past it. Either publishes the wrap at which the stream ended.
//
// The ring holds frames at the output's rate. Frame k of an epoch is heard at stream time
// k / output rate, so the stream frames heard are k * song rate / output rate (the resampler's
// output lines up with its input, so there is no delay to subtract), and TPlayStream turns
// them into the song frame. Changing the output always begins a new epoch, so the feeder and
// the render step take the new rate together.
#pragma once

#include "audio/decode/Mpg123Handle.h"
#include "audio/decode/Resampler.h"
#include "audio/playback/AudioOutput.h"
#include "audio/playback/PlayStream.h"
#include "audio/playback/SampleRing.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace lumivox {

// What one open song shares between the UI thread, the feeder thread and the output's thread.
// The three talk through the atomics and the ring only; the mutex and condition variable just
// wake the feeder early when a command arrives.
struct PlaybackSession final : IFrameSource {
    using DecoderHandle = Mpg123Handle;

    // Command word: start frame in bits 0-39, playing in bit 40, epoch in bits 41-63.
    static constexpr std::uint32_t EpochMask = (std::uint32_t{1} << 23) - 1;
    static constexpr std::uint32_t NoEpoch = 0xFFFFFFFF;
    static std::uint64_t PackCommand(std::uint32_t epoch, std::int64_t start, bool playing);

    enum RecordPhase : int { RecordIdle, RecordArmed, RecordRunning, RecordComplete };

    // A decoder for playback: gapless like MeasureSong, so frame numbers match its length;
    // always 16-bit stereo at the song's rate (mono is duplicated into both channels). Seeking
    // by sample offset is exact in variable-bitrate files too: without fuzzy seeks libmpg123
    // reads forward through the frames it has not indexed yet rather than guessing a byte
    // offset. Null when the file cannot be decoded so.
    static DecoderHandle OpenDecoder(const QString& path, long rate);

    PlaybackSession(long rate, std::int64_t endFrame, DecoderHandle decoder);
    ~PlaybackSession() override;

    // --- UI thread -----------------------------------------------------------------------

    // Publishes the stream the epoch `epoch` plays; before the command that begins it.
    void PublishStream(std::uint32_t epoch, const TPlayStream& stream);
    // Publishes a packed command and wakes the feeder for it.
    void Post(std::uint64_t command);
    // Starts the feeder thread, and stops and joins it (the destructor does so too).
    void StartFeeder();
    void StopFeeder();

    // --- any thread ----------------------------------------------------------------------

    // The stream of `epoch`, when it is the one published last and was read whole; false
    // while the UI thread is publishing, or has published a newer one.
    bool ReadStream(std::uint32_t epoch, TPlayStream& stream) const;
    // The wrap at which the stream of `epoch` ends, as the feeder or the render step found
    // it; negative while neither has (a range that loops).
    std::int64_t EndsAtWrap(std::uint32_t epoch) const;

    // --- feeder thread -------------------------------------------------------------------

    void Feed();
    // Moves the decoder to `start`: the frames to drop before it when the decoder lands
    // early, or nothing when there is nothing to play from there.
    std::optional<std::int64_t> SeekDecoder(std::int64_t start);
    // Decodes the next frames into Chunk, none at or past song frame `until`; false once
    // `until` (or a decoder error) is reached, the frames of that last call included.
    bool DecodeChunk(std::size_t& frames, std::int64_t until);
    // A resampler from the song's rate to `outputRate`, fresh for a new stream; none when
    // the rates are equal.
    void PrepareResampler(long outputRate);

    // --- output thread -------------------------------------------------------------------

    std::size_t Render(std::int16_t* out, std::size_t frames,
                       std::int64_t deviceFrame) noexcept override;
    void Record(const std::int16_t* frames, std::size_t count) noexcept;
    // Output frame of the next wrap of the render epoch's range after the frames gone out.
    std::int64_t NextOutputWrap() noexcept;

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
    // Whether a range goes on from its start at its end; the UI thread sets it at any time.
    std::atomic<bool> Loop{false};
    // The stream of the epoch commanded last, under a sequence lock (odd while written).
    std::atomic<std::uint32_t> StreamSequence{0};
    std::atomic<std::uint32_t> StreamEpoch{NoEpoch};
    std::atomic<std::int64_t> StreamStart{0};
    std::atomic<std::int64_t> StreamRangeStart{0};
    std::atomic<std::int64_t> StreamEnd{0};
    // The wrap the epoch's stream ended at, packed with the epoch: as the feeder decoded it,
    // and as the render step cut it.
    std::atomic<std::uint64_t> FedEnd{0};
    std::atomic<std::uint64_t> CutEnd{0};
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
    TPlayStream RenderStream;    // what this epoch plays, once read
    bool StreamKnown = false;    // RenderStream has been read for this epoch
    std::int64_t RenderWrap = 0; // the next wrap of the range, counted from 0
    bool Cut = false;            // the stream ended at a wrap; silence from there
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

} // namespace lumivox
