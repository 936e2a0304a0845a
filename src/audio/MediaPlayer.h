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
};

} // namespace lumivox
