// LoadSong: makes sure the song's waveform cache exists (decoding when needed), loads it into
// WavePeaks, opens the song in the media player and sets SlotCount from its length. Also a
// media player that only measures songs, for use without sound.
#pragma once

#include "audio/analysis/BeatFinder.h"
#include "audio/decode/SongImport.h"
#include "audio/decode/SongLength.h"
#include "audio/decode/WaveformCache.h"
#include "audio/playback/MediaPlayer.h"
#include "core/LanguageTables.h"
#include "core/UserInterface.h"
#include "model/ShowDocument.h"
#include "persistence/ProjectFile.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace lumivox {

// What the main window does around LoadSong. Every hook must be served: a window that left
// one out would not notice a song being loaded.
class ISongLoaderHost {
public:
    virtual ~ISongLoaderHost() = default;
    // The song was playing: end record mode if it is on (the player is stopped next).
    virtual void EndRecordMode() = 0;
    // The timeline's scroll positions and offsets go to 0 and the waveform is redrawn.
    virtual void ResetTimelineScroll() = 0;
    // Cue position, saved scroll position, follow and cursor-visible flags to 0, record
    // mode off.
    virtual void ResetTransport() = 0;
    // The timeline's current zoom divisor.
    virtual int ZoomDivisor() const = 0;
    // Width of the timeline drawing areas: peak records / zoom divisor.
    virtual void SetTimelineWidth(std::int64_t width) = 0;
    // The song's full path; the window shows its file name with the path as a hint. Empty
    // when the song was closed.
    virtual void ShowSongFile(const QString& path) = 0;
};

// Song loading without a window (the benchmarks, the tools): there is nothing to show.
class HeadlessSongLoaderHost final : public ISongLoaderHost {
public:
    void EndRecordMode() override {}
    void ResetTimelineScroll() override {}
    void ResetTransport() override {}
    int ZoomDivisor() const override { return 1; }
    void SetTimelineWidth(std::int64_t) override {}
    void ShowSongFile(const QString&) override {}
};

// How the last LoadSong came by its waveform data.
enum class TCacheResult {
    None,      // nothing loaded yet
    Reused,    // a current cache was found
    Built,     // the song was decoded and the cache written
    Failed,    // decoding or writing failed; nothing was written
    Cancelled, // the user cancelled decoding; nothing was written
    NoSong,    // the song file does not exist
};

class SongLoader : public ISongLoader {
public:
    SongLoader(ShowDocument& document, IUserInterface& ui, const Language& language,
               IMediaPlayer& player, IImportRunner& runner, ISongLoaderHost* host = nullptr,
               TCachePlaces places = TCachePlaces::Default());

    // In this order: stops a playing song; warns when the song does not exist and reports a
    // song the decoder cannot read; finds a current cache beside the song or in the per-user
    // cache folder, or decodes the song into a new one; loads the peak file; opens the song
    // in the player and sets SlotCount = length in ms div 100 + 1; resets the timeline and
    // transport, sets the timeline width and the file name; the song's beats come from the
    // decode, a current beat file or a search in the background (SongBeats announces them).
    // True when all of it succeeded.
    // On any failure (a cancelled decode included) nothing changes: the song that was open,
    // its waveform and the timeline stay as they were.
    bool LoadSong(const QString& mp3Path) override;
    // Closes the song in the player and empties the waveform and the beats; the timeline and
    // transport start over with nothing to show.
    void CloseSong() override;
    bool LoadCancelled() const override { return CacheResult == TCacheResult::Cancelled; }
    std::int64_t SongLengthMs() const override { return Player.IsOpen() ? Player.LengthMs() : -1; }

    // The loaded waveform data: three pairs (end, maximum, minimum) per peak record.
    TWavePeaks WavePeaks;
    // The peak file of the current waveform.
    QString PeakFileName;

    // The beats, tempo and onsets of the loaded song, with BeatsChanged when they arrive.
    TBeatFinder& SongBeats() { return Beats; }
    const TBeatFinder& SongBeats() const { return Beats; }

    TCacheResult LastCache() const { return CacheResult; }
    const TCachePlaces& Places() const { return CachePlaces; }

private:
    std::optional<QString> FindCurrentCache(const QString& mp3Path) const;

    ShowDocument& Doc;
    IUserInterface& Ui;
    const Language& Lang;
    IMediaPlayer& Player;
    IImportRunner& Runner;
    ISongLoaderHost* Host;
    HeadlessSongLoaderHost NoHost;
    QString OpenSongPath; // the song open in the player, after the last successful load
    TCachePlaces CachePlaces;
    TCacheResult CacheResult = TCacheResult::None;
    TBeatFinder Beats{CachePlaces};
};

// A media player without sound: opening measures the song; play, stop and seek only move a
// position that never advances. For the command-line tool and headless tests.
class MeasuringMediaPlayer : public IMediaPlayer {
public:
    bool Open(const QString& path) override;
    void Close() override;
    bool IsOpen() const override { return Song.has_value(); }
    void Play() override {}
    void Stop() override {}
    void Seek(std::int64_t ms) override;
    std::int64_t PositionMs() const override { return Position; }
    std::int64_t LengthMs() const override { return Song ? Song->LengthMs : 0; }
    TMediaMode Mode() const override { return Song ? TMediaMode::Stopped : TMediaMode::NotOpen; }
    // The position never runs, so it never reaches a range's end.
    void SetPlayRange(std::int64_t, std::int64_t) override {}
    void ClearPlayRange() override {}
    void SetLooping(bool) override {}
    std::int64_t RangeWraps() const override { return 0; }

    // The decoder's text for the last failed Open.
    QString LastError;

private:
    std::optional<SongInfo> Song;
    std::int64_t Position = 0;
};

} // namespace lumivox
