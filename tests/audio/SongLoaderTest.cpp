// LoadSong on real MP3 files, run headless: when the cache is built or reused, refusals and
// broken songs, cancelling, read-only song folders and the temporary WAV file.
#include "audio/decode/SongLoader.h"

#include "ImportTestSupport.h"
#include "support/ScriptedUserInterface.h"

#include "audio/analysis/BeatCache.h"
#include "audio/analysis/SongBeatAnalysis.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <tuple>

#include <sys/stat.h>

#include <memory>

using namespace lumivox;
using namespace lumivox::test;

namespace {

// The window as LoadSong leaves it: the timeline's scroll offset and width, the transport's
// cue and record mode, the song file it names. Each reset notes how far the player had got,
// for the order a show relies on.
class WindowHost : public ISongLoaderHost {
public:
    int Zoom = 4;
    std::int64_t ScrollOffset = 0;
    std::int64_t CueMs = 0;
    bool RecordMode = false;
    std::int64_t TimelineWidth = -1;
    QString SongShown;

    const IMediaPlayer* Player = nullptr;
    std::function<int()> PlayerOpens;            // songs the player has opened so far
    std::optional<TMediaMode> RecordModeEndedIn; // the player's mode at that moment
    int OpensAtScrollReset = -1;
    int OpensAtTransportReset = -1;

    void EndRecordMode() override {
        RecordMode = false;
        if (Player)
            RecordModeEndedIn = Player->Mode();
    }
    void ResetTimelineScroll() override {
        ScrollOffset = 0;
        OpensAtScrollReset = PlayerOpens ? PlayerOpens() : -1;
    }
    void ResetTransport() override {
        CueMs = 0;
        RecordMode = false;
        OpensAtTransportReset = PlayerOpens ? PlayerOpens() : -1;
    }
    int ZoomDivisor() const override { return Zoom; }
    void SetTimelineWidth(std::int64_t width) override { TimelineWidth = width; }
    void ShowSongFile(const QString& path) override { SongShown = path; }

    // What the user sees of it.
    auto Shown() const {
        return std::tuple(ScrollOffset, CueMs, RecordMode, TimelineWidth, SongShown);
    }
};

// Cancels a decode-mode session at its first position report.
class CancellingRunner : public IImportRunner {
public:
    explicit CancellingRunner(IUserInterface& ui) : Headless(ui) {}
    bool Run(TSongImport& session) override {
        QObject context;
        bool decoding = false;
        QObject::connect(&session, &TSongImport::LabelChanged, &context,
                         [&decoding](const QString& text) {
                             decoding = text == QLatin1String("Extracting MP3 Data...");
                         });
        QObject::connect(&session, &TSongImport::GaugeChanged, &context, [&] {
            if (decoding) {
                TempWaveSeen = QFileInfo::exists(session.TempWavePath());
                session.Cancel();
            }
        });
        return Headless.Run(session);
    }
    HeadlessImportRunner Headless;
    bool TempWaveSeen = false;
};

class SongLoaderTest : public ::testing::Test {
protected:
    SongFolder Folder;
    ShowDocument Doc;
    ScriptedUserInterface Ui;
    Language Lang = Language::English;
    MeasuringMediaPlayer Player;
    RecordingRunner Runner{Ui};
    WindowHost Host;
    std::unique_ptr<SongLoader> Loader;

    void SetUp() override { MakeLoader(Runner); }
    void MakeLoader(IImportRunner& runner) {
        Loader = std::make_unique<SongLoader>(Doc, Ui, Lang, Player, runner, &Host, Folder.Places);
    }

    // Records a song of `frames` sample frames gives.
    // One record per 128 frames of the song brought to 44.1 kHz, and one more.
    static std::int64_t RecordsFor(const QString& song) {
        const std::optional<SongInfo> info = MeasureSong(song);
        const std::int64_t frames = (info->Samples * PeakSampleRate + info->Rate / 2) / info->Rate;
        return frames / PeakBlockFrames + 1;
    }
    static std::vector<TImportMode> DecodeThenLoad() {
        return {TImportMode::Decode, TImportMode::LoadPeaks};
    }
    static std::vector<TImportMode> LoadOnly() { return {TImportMode::LoadPeaks}; }

    QStringList Errors() const {
        return Ui.Texts(ScriptedUserInterface::Event::ReportError) +
               Ui.Texts(ScriptedUserInterface::Event::ErrorAbort) +
               Ui.Texts(ScriptedUserInterface::Event::Warning);
    }
};

TEST_F(SongLoaderTest, DecodesOnceThenReusesTheCache) {
    const QString song = Folder.AddSong("song_10s.mp3", "song.mp3");
    Host.ScrollOffset = 1200; // where the last song was left
    Host.CueMs = 3400;
    ASSERT_TRUE(Loader->LoadSong(song));
    EXPECT_EQ(Runner.Modes, DecodeThenLoad());
    EXPECT_EQ(Loader->LastCache(), TCacheResult::Built);
    EXPECT_EQ(Folder.SongFiles(), (QStringList{"song.beats", "song.mp3", "song.nfo", "song.pks"}));
    EXPECT_TRUE(Folder.ProgramFiles().isEmpty()); // the temporary WAV file is gone
    const std::int64_t records = RecordsFor(song);
    EXPECT_EQ(QFileInfo(Folder.Song("song.pks")).size(), records * PeakRecordBytes);
    EXPECT_EQ(ReadDateFile(Folder.Song("song.nfo")), FileDateValue(song));
    EXPECT_EQ(PeakRecordCount(Loader->WavePeaks), records);
    EXPECT_EQ(Loader->PeakFileName, Folder.Song("song.pks"));
    EXPECT_EQ(Doc.SlotCount, 101);
    EXPECT_TRUE(Errors().isEmpty()) << Errors().join(';').toStdString();
    // The timeline and the transport start over on the new song, named in the window.
    EXPECT_EQ(Host.ScrollOffset, 0);
    EXPECT_EQ(Host.CueMs, 0);
    EXPECT_EQ(Host.TimelineWidth, records / 4);
    EXPECT_EQ(Host.SongShown, song);
    // The headless run shows the dialog's texts in the progress window, in order.
    EXPECT_EQ(
        Ui.ProgressTexts,
        (QStringList{"Extracting MP3 Data...", "Extracting and Saving Useful Waveform Data...",
                     "Extracting Peak Data...", "Finding beats...",
                     "Finalizing Useful Waveform Data...", "Loading Peak File..."}));
    EXPECT_EQ(std::count(Ui.Gauges.begin(), Ui.Gauges.end(), 100), 4);
    EXPECT_FALSE(Ui.ProgressVisible);

    const TWavePeaks first = Loader->WavePeaks;
    const QByteArray pks = ReadFile(Folder.Song("song.pks"));
    const QDateTime built = QFileInfo(Folder.Song("song.pks")).lastModified();
    Runner.Clear();
    Loader->WavePeaks.clear();
    ASSERT_TRUE(Loader->LoadSong(song));
    EXPECT_EQ(Runner.Modes, LoadOnly());
    EXPECT_EQ(Loader->LastCache(), TCacheResult::Reused);
    EXPECT_EQ(Loader->WavePeaks, first);
    EXPECT_EQ(ReadFile(Folder.Song("song.pks")), pks);
    EXPECT_EQ(QFileInfo(Folder.Song("song.pks")).lastModified(), built);
}

TEST_F(SongLoaderTest, TouchingTheSongOrLosingACacheFileDecodesAgain) {
    const QString song = Folder.AddSong("song_350ms.mp3", "song.mp3");
    ASSERT_TRUE(Loader->LoadSong(song));
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"touch",
         [&] {
             QFile file(song);
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             const QDateTime later = file.fileTime(QFileDevice::FileModificationTime).addSecs(3600);
             ASSERT_TRUE(file.setFileTime(later, QFileDevice::FileModificationTime));
         }},
        {"delete pks", [&] { ASSERT_TRUE(QFile::remove(Folder.Song("song.pks"))); }},
        {"delete nfo", [&] { ASSERT_TRUE(QFile::remove(Folder.Song("song.nfo"))); }},
        {"short nfo", [&] { ASSERT_TRUE(WriteFile(Folder.Song("song.nfo"), "1234567")); }},
        {"partial pks", [&] { ASSERT_TRUE(WriteFile(Folder.Song("song.pks"), "12345")); }},
    };
    for (const auto& [name, change] : changes) {
        change();
        Runner.Clear();
        ASSERT_TRUE(Loader->LoadSong(song)) << name;
        EXPECT_EQ(Runner.Modes, DecodeThenLoad()) << name;
        EXPECT_EQ(Loader->LastCache(), TCacheResult::Built) << name;
        EXPECT_TRUE(CacheIsCurrent(Folder.Song("song.pks"), song)) << name;
        EXPECT_EQ(PeakRecordCount(Loader->WavePeaks), RecordsFor(song)) << name;
    }
    EXPECT_TRUE(Folder.ProgramFiles().isEmpty());
}

TEST_F(SongLoaderTest, SongsAtOtherRatesGetAWaveformAt44kHz) {
    for (const auto& [fixture, rate] :
         {std::pair{"song_48k.mp3", 48000L}, std::pair{"song_levels_22k_mono.mp3", 22050L}}) {
        Runner.Clear();
        Ui.Events.clear();
        const QString song = Folder.AddSong(fixture, "wide.mp3");
        ASSERT_TRUE(Loader->LoadSong(song)) << fixture;
        const std::optional<SongInfo> info = MeasureSong(song);
        ASSERT_EQ(info->Rate, rate) << fixture << ": the fixture is not at the rate it should be";
        EXPECT_EQ(Loader->LastCache(), TCacheResult::Built) << fixture;
        EXPECT_EQ(Runner.Outcomes, (std::vector{TImportOutcome::Done, TImportOutcome::Done}));
        EXPECT_TRUE(Errors().isEmpty()) << Errors().join(';').toStdString();
        EXPECT_TRUE(Ui.Texts(ScriptedUserInterface::Event::ErrorAbort).isEmpty());
        EXPECT_EQ(Loader->PeakFileName, Folder.Song("wide.pks"));
        EXPECT_TRUE(CacheIsCurrent(Folder.Song("wide.pks"), song));
        // The song's length is its own; the records cover that length at 44.1 kHz.
        EXPECT_EQ(Player.LengthMs(), info->LengthMs) << fixture;
        EXPECT_EQ(Doc.SlotCount, SlotCountForLength(info->LengthMs)) << fixture;
        const std::int64_t records = PeakRecordCount(Loader->WavePeaks);
        EXPECT_EQ(records, RecordsFor(song)) << fixture;
        EXPECT_NEAR(static_cast<double>(records - 1) * PeakBlockFrames * 1000.0 / PeakSampleRate,
                    static_cast<double>(info->LengthMs), 3.0)
            << fixture;
        EXPECT_EQ(QFileInfo(Folder.Song("wide.pks")).size(), records * PeakRecordBytes);
        EXPECT_TRUE(Folder.ProgramFiles().isEmpty());
        ASSERT_TRUE(QFile::remove(Folder.Song("wide.pks")));
    }
}

TEST_F(SongLoaderTest, BrokenOrMissingSongsChangeNothing) {
    const QString good = Folder.AddSong("song_350ms.mp3", "good.mp3");
    ASSERT_TRUE(Loader->LoadSong(good));
    const TWavePeaks before = Loader->WavePeaks;
    const std::int64_t length = Player.LengthMs();
    Doc.SlotCount = 7;
    Host.ScrollOffset = 500;
    Host.CueMs = 250;
    const auto shown = Host.Shown();
    for (const char* bad : {"not_an_mp3.mp3", "empty.mp3"}) {
        Ui.Events.clear();
        Runner.Clear();
        const QString path = Folder.AddSong(bad, bad);
        EXPECT_FALSE(Loader->LoadSong(path)) << bad;
        EXPECT_EQ(Loader->LastCache(), TCacheResult::Failed);
        // Refused before anything is decoded, with the file named.
        ASSERT_EQ(Errors().size(), 1) << bad;
        EXPECT_TRUE(Errors()[0].startsWith(QStringLiteral("The file ") + path)) << bad;
        EXPECT_TRUE(Runner.Modes.empty());
        // The song that was open, its waveform, the slot count and the timeline stay.
        EXPECT_EQ(Loader->WavePeaks, before);
        EXPECT_EQ(Doc.SlotCount, 7);
        EXPECT_TRUE(Player.IsOpen());
        EXPECT_EQ(Player.LengthMs(), length);
        EXPECT_EQ(Host.Shown(), shown);
    }
    EXPECT_EQ(Folder.SongFiles(), (QStringList{"empty.mp3", "good.beats", "good.mp3", "good.nfo",
                                               "good.pks", "not_an_mp3.mp3"}));
    EXPECT_TRUE(Folder.ProgramFiles().isEmpty());

    // A missing song is not decoded; the warning says it does not exist.
    Ui.Events.clear();
    Runner.Clear();
    EXPECT_FALSE(Loader->LoadSong(Folder.Song("gone.mp3")));
    EXPECT_EQ(Loader->LastCache(), TCacheResult::NoSong);
    EXPECT_EQ(Errors(), QStringList{"MP3 file does not exist!"});
    EXPECT_TRUE(Runner.Modes.empty());
    EXPECT_EQ(Host.Shown(), shown);
    EXPECT_EQ(Loader->WavePeaks, before);

    // A truncated song imports what it holds.
    Ui.Events.clear();
    const QString cut = Folder.AddSong("song_truncated.mp3", "cut.mp3");
    EXPECT_TRUE(Loader->LoadSong(cut));
    EXPECT_EQ(Loader->LastCache(), TCacheResult::Built);
    EXPECT_TRUE(Errors().isEmpty());
    EXPECT_EQ(PeakRecordCount(Loader->WavePeaks), RecordsFor(cut));
}

TEST_F(SongLoaderTest, SlotCountAndRecordsFollowTheSong) {
    ASSERT_TRUE(Loader->LoadSong(Folder.AddSong("song_60_05s.mp3", "long.mp3")));
    EXPECT_EQ(Player.LengthMs(), 60050);
    EXPECT_EQ(Doc.SlotCount, 601);

    // A mono song is decoded as stereo: the records count the doubled data.
    const QString mono = Folder.AddSong("song_mono.mp3", "mono.mp3");
    ASSERT_TRUE(Loader->LoadSong(mono));
    EXPECT_EQ(Loader->LastCache(), TCacheResult::Built);
    EXPECT_EQ(Doc.SlotCount, 51);
    EXPECT_EQ(PeakRecordCount(Loader->WavePeaks), MeasureSong(mono)->Samples / PeakBlockFrames + 1);
}

TEST_F(SongLoaderTest, PeaksFollowTheLoudnessOfTheSongAtEveryRate) {
    // One second each of silence, a tone at -30 dB and a tone at -1 dB; a record is 128
    // frames at 44.1 kHz, so each second spans about 345 records, whatever the song's rate.
    ASSERT_TRUE(Loader->LoadSong(Folder.AddSong("song_levels.mp3", "levels.mp3")));
    const TWavePeaks reference = Loader->WavePeaks;
    ASSERT_EQ(PeakRecordCount(reference), 1034);
    for (const char* fixture :
         {"song_levels.mp3", "song_levels_48k.mp3", "song_levels_22k_mono.mp3"}) {
        // A name of its own each: a copy made within the same second as the last one could
        // otherwise find that one's cache current.
        const QByteArray name = QByteArray(fixture) + ".copy.mp3";
        ASSERT_TRUE(Loader->LoadSong(Folder.AddSong(fixture, name.constData()))) << fixture;
        const TWavePeaks& peaks = Loader->WavePeaks;
        ASSERT_NEAR(PeakRecordCount(peaks), 1034, 1) << fixture;
        auto max = [&](int record) { return peaks[3 * record + 1]; };
        auto min = [&](int record) { return peaks[3 * record + 2]; };
        for (int r = 10; r < 330; ++r) {
            ASSERT_EQ(max(r), TPeakPair(0, 0)) << fixture << " " << r;
            ASSERT_EQ(min(r), TPeakPair(0, 0)) << fixture << " " << r;
        }
        for (int r = 360; r < 680; ++r) {
            ASSERT_TRUE(max(r).first >= 1 && max(r).first <= 8) << r << " " << max(r).first;
            ASSERT_TRUE(min(r).second <= -1 && min(r).second >= -8) << r << " " << min(r).second;
        }
        int unlike = 0;
        for (int r = 700; r < 1020; ++r) {
            ASSERT_GE(max(r).first, 100) << fixture << " " << r;
            ASSERT_LE(min(r).second, -100) << fixture << " " << r;
            ASSERT_EQ(peaks[3 * r], TPeakPair(0, 0)) << r; // end values are always 0
            // The same tone gives the same peaks as the 44.1 kHz song, within what the
            // encoder and the resampler change.
            unlike += std::abs(max(r).first - reference[3 * r + 1].first) > 3 ||
                      std::abs(min(r).second - reference[3 * r + 2].second) > 3;
        }
        EXPECT_EQ(unlike, 0) << fixture;
        // The loud tone begins where it begins in the 44.1 kHz song.
        auto firstLoud = [](const TWavePeaks& data) {
            for (std::int64_t r = 0; r < PeakRecordCount(data); ++r)
                if (data[3 * r + 1].first >= 50)
                    return r;
            return std::int64_t{-1};
        };
        EXPECT_NEAR(firstLoud(peaks), firstLoud(reference), 2) << fixture;
    }
    // A mono song shows the same peaks on both channels.
    const TWavePeaks& mono = Loader->WavePeaks;
    for (std::int64_t r = 0; r < PeakRecordCount(mono); ++r) {
        ASSERT_EQ(mono[3 * r + 1].first, mono[3 * r + 1].second) << r;
        ASSERT_EQ(mono[3 * r + 2].first, mono[3 * r + 2].second) << r;
    }
}

TEST_F(SongLoaderTest, CancellingADecodeLeavesNoFiles) {
    CancellingRunner cancelling(Ui);
    MakeLoader(cancelling);
    const QString song = Folder.AddSong("song_60_05s.mp3", "song.mp3");
    EXPECT_FALSE(Loader->LoadSong(song)); // the user changed their mind: nothing changes
    EXPECT_FALSE(Player.IsOpen());
    EXPECT_TRUE(cancelling.TempWaveSeen);
    EXPECT_EQ(Loader->LastCache(), TCacheResult::Cancelled);
    EXPECT_TRUE(Loader->PeakFileName.isEmpty());
    EXPECT_TRUE(Loader->WavePeaks.empty());
    EXPECT_EQ(Folder.SongFiles(), QStringList{"song.mp3"});
    EXPECT_FALSE(QFileInfo::exists(Folder.Places.UserCacheFolder));
    EXPECT_TRUE(Folder.ProgramFiles().isEmpty());
    EXPECT_TRUE(Errors().isEmpty());
}

TEST_F(SongLoaderTest, AReadOnlySongFolderKeepsTheCacheInThePerUserFolder) {
    const QString song = Folder.AddSong("song_350ms.mp3", "song.mp3");
    const QString songFolder = QFileInfo(song).absolutePath();
    bool songFolderWritable = false;
    Folder.Places.IsWritable = [&](const QString& folder) {
        return folder == songFolder ? songFolderWritable : FolderIsWritable(folder);
    };
    MakeLoader(Runner);
    const QString userPeaks = Folder.Places.UserPeakFile(song);
    ASSERT_TRUE(Loader->LoadSong(song));
    EXPECT_EQ(Loader->LastCache(), TCacheResult::Built);
    EXPECT_EQ(Loader->PeakFileName, userPeaks);
    EXPECT_TRUE(CacheIsCurrent(userPeaks, song));
    EXPECT_EQ(Folder.SongFiles(), QStringList{"song.mp3"});
    EXPECT_EQ(PeakRecordCount(Loader->WavePeaks), RecordsFor(song));

    // Found again there, also once the folder has become writable.
    for (bool writable : {false, true}) {
        songFolderWritable = writable;
        Runner.Clear();
        ASSERT_TRUE(Loader->LoadSong(song));
        EXPECT_EQ(Runner.Modes, LoadOnly()) << writable;
        EXPECT_EQ(Loader->PeakFileName, userPeaks);
    }
    EXPECT_EQ(Folder.SongFiles(), QStringList{"song.mp3"});
}

TEST_F(SongLoaderTest, AFolderWithoutWritePermissionUsesThePerUserFolder) {
    const QString song = Folder.AddSong("song_350ms.mp3", "song.mp3");
    const QByteArray folder = QFile::encodeName(QFileInfo(song).absolutePath());
    ASSERT_EQ(chmod(folder.constData(), 0555), 0);
    const bool writable = FolderIsWritable(QFileInfo(song).absolutePath());
    if (writable) {
        chmod(folder.constData(), 0755);
        GTEST_SKIP() << "permissions do not stop this user (root) from writing";
    }
    const bool loaded = Loader->LoadSong(song);
    chmod(folder.constData(), 0755);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(Loader->PeakFileName, Folder.Places.UserPeakFile(song));
    EXPECT_EQ(Folder.SongFiles(), QStringList{"song.mp3"});
}

TEST_F(SongLoaderTest, TwoImportsAtOnceUseTempFilesOfTheirOwn) {
    const QString song = Folder.AddSong("song_350ms.mp3", "song.mp3");
    QStringList temps;
    {
        TSongImport first(Ui, Lang, Folder.Places);
        TSongImport second(Ui, Lang, Folder.Places);
        for (TSongImport* session : {&first, &second}) {
            session->PrepareDecode(song, PeakFileFor(song));
            session->Activate();
            ASSERT_EQ(session->Mode(), TImportMode::Decode);
            temps << session->TempWavePath();
        }
        EXPECT_NE(temps[0], temps[1]);
        EXPECT_EQ(Folder.ProgramFiles().size(), 2);
        for (const QString& temp : temps)
            EXPECT_EQ(QFileInfo(temp).absolutePath(), Folder.Places.ProgramFolder);
    }
    // Sessions that end without finishing still remove their files.
    EXPECT_TRUE(Folder.ProgramFiles().isEmpty());
}

// Plays until stopped; counts the songs it opens and notes what it was asked out of turn.
class FakePlayer : public MeasuringMediaPlayer {
public:
    bool Playing = false;
    int Opens = 0;
    bool ClosedWhilePlaying = false;
    bool OpenedOverAnOpenSong = false;
    bool Open(const QString& path) override {
        ++Opens;
        OpenedOverAnOpenSong = OpenedOverAnOpenSong || IsOpen();
        return MeasuringMediaPlayer::Open(path);
    }
    void Close() override {
        ClosedWhilePlaying = ClosedWhilePlaying || Playing;
        MeasuringMediaPlayer::Close();
    }
    void Stop() override { Playing = false; }
    TMediaMode Mode() const override {
        return Playing ? TMediaMode::Playing : MeasuringMediaPlayer::Mode();
    }
};

TEST_F(SongLoaderTest, StopsAPlayingSongAndReopensThePlayer) {
    FakePlayer player;
    Host.Player = &player;
    Host.PlayerOpens = [&player] { return player.Opens; };
    SongLoader loader(Doc, Ui, Lang, player, Runner, &Host, Folder.Places);
    const QString song = Folder.AddSong("song_350ms.mp3", "song.mp3");
    ASSERT_TRUE(loader.LoadSong(song));
    player.Playing = true;
    Host.RecordMode = true;
    const int opens = player.Opens;
    ASSERT_TRUE(loader.LoadSong(song));
    // Record mode ends while the song still plays; then it is stopped, closed and opened anew.
    EXPECT_EQ(Host.RecordModeEndedIn, TMediaMode::Playing);
    EXPECT_FALSE(Host.RecordMode);
    EXPECT_FALSE(player.Playing);
    EXPECT_FALSE(player.ClosedWhilePlaying);
    EXPECT_FALSE(player.OpenedOverAnOpenSong);
    EXPECT_EQ(player.Opens, opens + 1);
    EXPECT_TRUE(player.IsOpen());
    // The timeline starts over only once the new song is open.
    EXPECT_EQ(Host.OpensAtScrollReset, player.Opens);
    EXPECT_EQ(Host.OpensAtTransportReset, player.Opens);
}

} // namespace

namespace {

TEST_F(SongLoaderTest, TheSongsBeatsComeFromTheDecodeThenTheBeatFileOrTheBackground) {
    const QString song = Folder.AddSong("clicks_120.mp3", "clicks.mp3");
    const QString beatFile = Folder.Song("clicks.beats");
    TBeatFinder& beats = Loader->SongBeats();
    QSignalSpy changed(&beats, &TBeatFinder::BeatsChanged);

    // Decoding finds them on the way: there at once, and kept in the beat file.
    ASSERT_TRUE(Loader->LoadSong(song));
    EXPECT_EQ(changed.count(), 1);
    ASSERT_TRUE(beats.HasBeats());
    EXPECT_FALSE(beats.IsFinding());
    EXPECT_EQ(beats.SongPath(), song);
    EXPECT_NEAR(beats.Beats().TempoBpm, 120, 2);
    const TSongBeats found = beats.Beats();
    EXPECT_EQ(ReadCurrentBeatFile(beatFile, song), found);

    // A warm waveform without its beat file opens without waiting; the beats follow.
    ASSERT_TRUE(QFile::remove(beatFile));
    Runner.Clear();
    changed.clear();
    ASSERT_TRUE(Loader->LoadSong(song));
    EXPECT_EQ(Runner.Modes, LoadOnly());
    EXPECT_FALSE(beats.HasBeats());
    EXPECT_TRUE(beats.IsFinding());
    ASSERT_TRUE(changed.wait(30000));
    EXPECT_TRUE(beats.HasBeats());
    EXPECT_FALSE(beats.IsFinding());
    EXPECT_EQ(beats.Beats(), found);
    EXPECT_EQ(ReadCurrentBeatFile(beatFile, song), found);

    // Then the beat file serves them, read on the worker and left as it was; closing the
    // song forgets them.
    const QByteArray kept = ReadFile(beatFile);
    const QDateTime written = QFileInfo(beatFile).lastModified();
    ASSERT_TRUE(Loader->LoadSong(song));
    changed.clear();
    ASSERT_TRUE(changed.wait(30000));
    EXPECT_TRUE(beats.HasBeats());
    EXPECT_FALSE(beats.IsFinding());
    EXPECT_EQ(beats.Beats(), found);
    EXPECT_EQ(ReadFile(beatFile), kept);
    EXPECT_EQ(QFileInfo(beatFile).lastModified(), written);
    Loader->CloseSong();
    EXPECT_FALSE(beats.HasBeats());
    EXPECT_TRUE(beats.SongPath().isEmpty());
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(SongLoaderTest, ASearchInTheBackgroundEndsWithTheLoaderOrAnotherSong) {
    const QString first = Folder.AddSong("clicks_120.mp3", "first.mp3");
    const QString second = Folder.AddSong("clicks_100_140.mp3", "second.mp3");
    for (const QString& song : {first, second}) {
        ASSERT_TRUE(Loader->LoadSong(song));
        ASSERT_TRUE(QFile::remove(ChangeFileExt(song, QStringLiteral(".beats"))));
    }
    ASSERT_TRUE(Loader->LoadSong(first));
    EXPECT_TRUE(Loader->SongBeats().IsFinding());
    // Another song stops the first search; what it finds is for the second song only.
    ASSERT_TRUE(Loader->LoadSong(second));
    QSignalSpy changed(&Loader->SongBeats(), &TBeatFinder::BeatsChanged);
    ASSERT_TRUE(changed.wait(30000));
    EXPECT_EQ(Loader->SongBeats().SongPath(), second);
    EXPECT_EQ(Loader->SongBeats().Beats(), AnalyseSong(second).Beats);
    // A loader destroyed mid-search stops it and leaves no beat file half written.
    ASSERT_TRUE(Loader->LoadSong(first));
    EXPECT_TRUE(Loader->SongBeats().IsFinding());
    Loader.reset();
    QCoreApplication::processEvents();
    const QString left = Folder.Song("first.beats");
    EXPECT_TRUE(!QFileInfo::exists(left) || ReadCurrentBeatFile(left, first).has_value());
}

} // namespace
