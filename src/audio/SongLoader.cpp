// LoadSong over the import sessions, the cache places and the media player.
#include "audio/SongLoader.h"

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
    WavePeaks.clear();
    PeakFileName.clear();
    CacheResult = TCacheResult::None;
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

    // 2 and 3. A current cache is kept; otherwise the song is decoded into a new one, and
    // the previous peak file comes back when that does not end with OK.
    const QString previousPeakFile = PeakFileName;
    if (const auto cached = FindCurrentCache(mp3Path)) {
        PeakFileName = *cached;
        CacheResult = TCacheResult::Reused;
    } else if (!QFileInfo::exists(mp3Path)) {
        // Nothing to decode; the warning follows below.
        CacheResult = TCacheResult::NoSong;
    } else {
        PeakFileName = CachePlaces.PeakFileForWriting(mp3Path);
        TSongImport decode(Ui, Lang, CachePlaces);
        decode.PrepareDecode(mp3Path, PeakFileName);
        const bool ok = Runner.Run(decode);
        CacheResult = FromOutcome(decode.Outcome());
        if (!ok)
            PeakFileName = previousPeakFile;
    }

    // 4. Load mode, always.
    {
        TSongImport load(Ui, Lang, CachePlaces);
        load.PrepareLoad(PeakFileName, WavePeaks);
        Runner.Run(load);
    }

    // 5. The timeline and the transport start over.
    Host->ResetTimelineScroll();
    Host->ResetTransport();

    // 6. The song is opened for playback, which fixes SlotCount.
    bool opened = false;
    if (!QFileInfo::exists(mp3Path)) {
        Ui.Warning(Text(TextTable::Messages, MessageText::Mp3DoesNotExist, Lang));
    } else {
        if (Player.IsOpen())
            Player.Close();
        if (Player.Open(mp3Path)) {
            Doc.SlotCount = SlotCountForLength(Player.LengthMs());
            opened = true;
        } else if (CacheResult != TCacheResult::Failed) {
            // The import has not said why already.
            Ui.ReportError(
                Text(TextTable::Extra, ExtraText::CannotReadFile, Lang)
                    .arg(mp3Path, TMPEGPlayer::ErrorText(TMPEGPlayer::InputStreamError)));
        }
    }

    // 7. Timeline width and file name box.
    Host->SetTimelineWidth(PeakRecordCount(WavePeaks) / std::max(1, Host->ZoomDivisor()));
    Host->ShowSongFile(mp3Path);
    return opened;
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
