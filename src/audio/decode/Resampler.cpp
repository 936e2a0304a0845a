// The resampler over libsoxr, at its high quality with a linear-phase filter, whose delay soxr
// removes itself so that the output lines up with the input; rounded to 16 bits undithered.
#include "audio/decode/Resampler.h"

#include <soxr.h>

namespace lumivox {

namespace {
constexpr unsigned Channels = 2;
// soxr hands out what its filter has finished in steps of up to this many frames.
constexpr std::size_t FilterSlack = 4096;
} // namespace

TResampler::TResampler(long inputRate, long outputRate) : In(inputRate), Out(outputRate) {
    soxr_error_t error = nullptr;
    soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    // No dither: digital silence stays silence, and equal channels stay equal.
    io.flags |= SOXR_NO_DITHER;
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    Handle = soxr_create(static_cast<double>(In), static_cast<double>(Out), Channels, &error, &io,
                         &quality, nullptr);
    if (error)
        Handle = nullptr;
}

TResampler::~TResampler() {
    if (Handle)
        soxr_delete(Handle);
}

std::size_t TResampler::OutputRoomFor(std::size_t inputFrames) const {
    return inputFrames * static_cast<std::size_t>(Out) / static_cast<std::size_t>(In) + FilterSlack;
}

std::size_t TResampler::Process(const std::int16_t* in, std::size_t frames, std::int16_t* out,
                                std::size_t room) {
    std::size_t written = 0;
    std::size_t used = 0;
    while (Handle && used < frames && written < room) {
        std::size_t taken = 0;
        std::size_t made = 0;
        soxr_process(Handle, in + used * Channels, frames - used, &taken, out + written * Channels,
                     room - written, &made);
        used += taken;
        written += made;
        if (taken == 0 && made == 0)
            break;
    }
    return written;
}

std::size_t TResampler::Flush(std::int16_t* out, std::size_t room) {
    if (!Handle)
        return 0;
    std::size_t made = 0;
    soxr_process(Handle, nullptr, 0, nullptr, out, room, &made);
    return made;
}

void TResampler::Reset() {
    if (Handle)
        soxr_clear(Handle);
}

} // namespace lumivox
