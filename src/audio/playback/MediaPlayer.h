// What the transport and song loading need of a media player: open a song by path, play from
// the current position, stop, seek, and report position, length and mode in milliseconds.
#pragma once

#include <QString>

#include <cstdint>

namespace lumivox {

enum class TMediaMode { NotOpen, Stopped, Playing };

class IMediaPlayer {
public:
    virtual ~IMediaPlayer() = default;

    // Opens the song for playback; false when it cannot be opened (the player stays closed).
    virtual bool Open(const QString& path) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Starts playing from the current position; from 0 when the position is at the end.
    virtual void Play() = 0;
    // Stops, keeping the position.
    virtual void Stop() = 0;
    // Moves the position, clamped to 0..length; playing goes on from there if it was playing.
    virtual void Seek(std::int64_t ms) = 0;
    virtual std::int64_t PositionMs() const = 0;
    virtual std::int64_t LengthMs() const = 0;
    virtual TMediaMode Mode() const = 0;

    // A play range [startMs, endMs) (clamped into the song) for the starts of playback from
    // now on (Play, and Seek while playing): playing stops by itself at endMs, as at the song's
    // end, or, while looping, goes on from startMs with no gap. Play from endMs or later starts
    // at startMs. An empty range clears it.
    virtual void SetPlayRange(std::int64_t startMs, std::int64_t endMs) = 0;
    // No range from the next start of playback on (Play, Seek or Stop).
    virtual void ClearPlayRange() = 0;
    // Whether a range goes on from its start at its end. It may change while a range plays:
    // where the pass being heard ends, a range stops unless looping is on.
    virtual void SetLooping(bool on) = 0;
    // How many times since the song was opened a range has gone on from its start, counted
    // when heard: the position is then back near the range's start.
    virtual std::int64_t RangeWraps() const = 0;
};

} // namespace lumivox
