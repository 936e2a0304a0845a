// A streaming sample-rate converter for interleaved 16-bit stereo over libsoxr, used to play a
// song on a device at another rate and to bring songs of any rate to the waveform's 44.1 kHz.
// Its output starts in step with its input: output frame k is input time k / output rate.
#pragma once

#include <cstddef>
#include <cstdint>

struct soxr;

namespace lumivox {

class TResampler {
public:
    TResampler(long inputRate, long outputRate);
    ~TResampler();
    TResampler(const TResampler&) = delete;
    TResampler& operator=(const TResampler&) = delete;

    bool IsValid() const { return Handle != nullptr; }
    long InputRate() const { return In; }
    long OutputRate() const { return Out; }

    // Room an output buffer needs for `inputFrames` frames of input, including what the
    // converter may still hold from earlier calls.
    std::size_t OutputRoomFor(std::size_t inputFrames) const;

    // Takes all `frames` input frames and writes the output they complete to `out` (room for
    // `room` frames, at least OutputRoomFor(frames)); returns the frames written.
    std::size_t Process(const std::int16_t* in, std::size_t frames, std::int16_t* out,
                        std::size_t room);
    // After the last input: writes what the converter still holds, at most `room` frames per
    // call; 0 once it is empty.
    std::size_t Flush(std::int16_t* out, std::size_t room);
    // Forgets all input, for a new stream at the same rates.
    void Reset();

private:
    long In;
    long Out;
    soxr* Handle = nullptr;
};

} // namespace lumivox
