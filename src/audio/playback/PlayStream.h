// The song frames one start of playback plays, in order: from its start frame to the end of
// its range and then, while the range loops, the range over and over. The feeder decodes this
// stream, the render step cuts it at a wrap, and the user interface turns the frames heard
// into a song position; all three use the arithmetic here, so they agree to the frame.
#pragma once

#include <algorithm>
#include <cstdint>

namespace lumivox {

struct TPlayStream {
    std::int64_t Start = 0;      // song frame of the stream's first frame
    std::int64_t RangeStart = 0; // song frame every pass after the first begins at
    std::int64_t End = 0;        // song frame just after the last frame of every pass

    bool operator==(const TPlayStream&) const = default;

    // A plain start of playback: from `start` to the song's end, never again.
    static TPlayStream ToEnd(std::int64_t start, std::int64_t songEnd) {
        return {start, songEnd, songEnd};
    }

    // Whether the stream can go on from RangeStart at End.
    bool IsRange() const { return End > RangeStart; }
    std::int64_t FirstPass() const { return std::max<std::int64_t>(End - Start, 0); }
    std::int64_t PassLength() const { return std::max<std::int64_t>(End - RangeStart, 0); }

    // Stream frame that follows the last frame of pass `wrap` (0 for the first pass): where the
    // stream either ends or goes on from RangeStart.
    std::int64_t WrapAt(std::int64_t wrap) const { return FirstPass() + wrap * PassLength(); }

    // The same place in the frames of an output at `outRate` playing the stream resampled from
    // `songRate`: the first output frame at or after it. Output frame k carries stream time
    // k / outRate, so the frames before it hold nothing of the next pass but the resampler's
    // filter edge.
    std::int64_t OutputWrapAt(std::int64_t wrap, long songRate, long outRate) const {
        const std::int64_t at = WrapAt(wrap);
        if (songRate == outRate || songRate <= 0 || outRate <= 0)
            return at;
        return (at * outRate + songRate - 1) / songRate;
    }

    // The song frame `frames` after song frame `frame` of the stream: round the range again
    // when it `loops`, and otherwise no further than End.
    std::int64_t After(std::int64_t frame, std::int64_t frames, bool loops) const {
        if (frame >= End)
            return frame; // past the end already: it goes no further
        const std::int64_t to = frame + std::max<std::int64_t>(frames, 0);
        if (to < End)
            return to;
        if (!loops || !IsRange())
            return End;
        return RangeStart + (to - End) % PassLength();
    }

    struct TPlace {
        std::int64_t Frame = 0; // the song frame
        std::int64_t Wraps = 0; // how often the stream has gone back to RangeStart
        bool Ended = false;     // the stream is over; Frame is End
    };

    // Where the stream stands after `heard` of its frames, when it ends at wrap `endsAt`
    // (negative while that is not known: a range that loops has no end yet).
    TPlace PlaceOf(std::int64_t heard, std::int64_t endsAt) const {
        heard = std::max<std::int64_t>(heard, 0);
        const std::int64_t first = FirstPass();
        if (heard < first)
            return {Start + heard, 0, false};
        if (!IsRange())
            return {End, 0, true};
        const std::int64_t wraps = 1 + (heard - first) / PassLength();
        if (endsAt >= 0 && wraps > endsAt)
            return {End, endsAt, true};
        return {RangeStart + (heard - first) % PassLength(), wraps, false};
    }
};

} // namespace lumivox
