// LoadSong over the import sessions, the cache places and the media player.
#include "audio/decode/SongLoader.h"

#include <QFileInfo>

#include <algorithm>

namespace lumivox {

namespace {

TCacheResult FromOutcome(TImportOutcome outcome) {
    switch (outcome) {
    case TImportOutcome::Done:
        return TCacheResult::Built;
    case TImportOutcome::Cancelled:
        return TCacheResult::Cancelled;
    case TImportOutcome::Pending:
    case TImportOutcome::Failed:
        break;
    }
    return TCacheResult::Failed;
}

} // namespace

SongLoader::SongLoader(ShowDocument& document, IUserInterface& ui, const Language& language,
                       IMediaPlayer& player, IImportRunner& runner, ISongLoaderHost* host,
                       TCachePlaces places)
    : Doc(document), Ui(ui), Lang(language), Player(player), Runner(runner),
      Host(host ? host : &NoHost), CachePlaces(std::move(places)) {}

std::optional<QString> SongLoader::FindCurrentCache(const QString& mp3Path) const {
    for (const QString& candidate : CachePlaces.PeakFileCandidates(mp3Path))
        if (CacheIsCurrent(candidate, mp3Path))
            return candidate;
    return std::nullopt;
}

void SongLoader::CloseSong() {
    if (Player.Mode() == TMediaMode::Playing)
        Host->EndRecordMode();
    Player.Close();
    OpenSongPath.clear();
    WavePeaks.clear();
    PeakFileName.clear();
    CacheResult = TCacheResult::None;
    Beats.Clear();
    Host->ResetTimelineScroll();
    Host->ResetTransport();
    Host->SetTimelineWidth(0);
    Host->ShowSongFile(QString());
}

bool SongLoader::LoadSong(const QString& mp3Path) {
    // 1. A playing song stops, record mode first.
    if (Player.Mode() == TMediaMode::Playing) {
        Host->EndRecordMode();
        Player.Stop();
    }

    // Everything about the new song is found before anything changes: a song that is
    // missing, cannot be decoded or whose waveform cannot be built or read leaves the song
    // in the player, its waveform and the timeline as they were.
    if (!QFileInfo::exists(mp3Path)) {
        CacheResult = TCacheResult::NoSong;
        Ui.Warning(Text(TextTable::Messages, MessageText::Mp3DoesNotExist, Lang));
        return false;
    }
    // The player measures the song when it opens it; here a look at its first frame is enough
    // to refuse what is no song at all before anything is decoded.
    if (!SongDecodes(mp3Path)) {
        CacheResult = TCacheResult::Failed;
        Ui.ReportError(Text(TextTable::Extra, ExtraText::CannotReadFile, Lang)
                           .arg(mp3Path, TMPEGPlayer::ErrorText(TMPEGPlayer::InputStreamError)));
        return false;
    }
    // A song longer than a show can hold is refused before it is decoded.
    if (const std::optional<SongInfo> measured = MeasureSong(mp3Path)) {
        if (const QString tooLong = SongTooLongMessage(mp3Path, measured->LengthMs, Lang);
            !tooLong.isEmpty()) {
            CacheResult = TCacheResult::Failed;
            Ui.Warning(tooLong);
            return false;
        }
    }

    // 2 and 3. A current cache is kept; otherwise the song is decoded into a new one.
    QString peakFile;
    std::optional<TSongBeats> decodedBeats;
    if (const auto cached = FindCurrentCache(mp3Path)) {
        peakFile = *cached;
        CacheResult = TCacheResult::Reused;
    } else {
        peakFile = CachePlaces.PeakFileForWriting(mp3Path);
        TSongImport decode(Ui, Lang, CachePlaces);
        decode.PrepareDecode(mp3Path, peakFile);
        const bool ok = Runner.Run(decode);
        CacheResult = FromOutcome(decode.Outcome());
        if (!ok || CacheResult != TCacheResult::Built)
            return false; // the import said why, or the user cancelled it
        decodedBeats = decode.FoundBeats();
    }

    // 4. Load mode, into waveform data of its own.
    TWavePeaks peaks;
    {
        TSongImport load(Ui, Lang, CachePlaces);
        load.PrepareLoad(peakFile, peaks);
        Runner.Run(load);
    }
    if (peaks.empty()) {
        CacheResult = TCacheResult::Failed;
        Ui.ReportError(Text(TextTable::Extra, ExtraText::CannotReadFile, Lang)
                           .arg(peakFile, TMPEGPlayer::ErrorText(TMPEGPlayer::InputStreamError)));
        return false;
    }

    // 6. The song is opened for playback, which fixes SlotCount; if it cannot be, the song
    // that was open comes back.
    if (Player.IsOpen())
        Player.Close();
    if (!Player.Open(mp3Path)) {
        if (!OpenSongPath.isEmpty())
            Player.Open(OpenSongPath);
        CacheResult = TCacheResult::Failed;
        Ui.ReportError(Text(TextTable::Extra, ExtraText::CannotReadFile, Lang)
                           .arg(mp3Path, TMPEGPlayer::ErrorText(TMPEGPlayer::InputStreamError)));
        return false;
    }
    if (const QString tooLong = SongTooLongMessage(mp3Path, Player.LengthMs(), Lang);
        !tooLong.isEmpty()) {
        Player.Close();
        if (!OpenSongPath.isEmpty())
            Player.Open(OpenSongPath);
        CacheResult = TCacheResult::Failed;
        Ui.Warning(tooLong);
        return false;
    }
    OpenSongPath = mp3Path;
    PeakFileName = peakFile;
    WavePeaks = std::move(peaks);
    Doc.SlotCount = SlotCountForLength(Player.LengthMs());
    if (decodedBeats)
        Beats.Set(mp3Path, std::move(*decodedBeats));
    else
        Beats.Find(mp3Path);

    // 5 and 7. The timeline and the transport start over on the new song.
    Host->ResetTimelineScroll();
    Host->ResetTransport();
    Host->SetTimelineWidth(PeakRecordCount(WavePeaks) / std::max(1, Host->ZoomDivisor()));
    Host->ShowSongFile(mp3Path);
    return true;
}

bool MeasuringMediaPlayer::Open(const QString& path) {
    Close();
    LastError.clear();
    Song = MeasureSong(path, &LastError);
    return Song.has_value();
}

void MeasuringMediaPlayer::Close() {
    Song.reset();
    Position = 0;
}

void MeasuringMediaPlayer::Seek(std::int64_t ms) {
    Position = std::clamp<std::int64_t>(ms, 0, LengthMs());
}

} // namespace lumivox
