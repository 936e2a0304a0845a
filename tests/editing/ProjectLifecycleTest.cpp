// The project commands with scripted dialogs: the save prompt, New, Open, Save, Save as,
// Replace MP3 File and Create Seq File, as an operator goes through them.
#include "editing/ProjectLifecycle.h"
#include "editing/CommandState.h"
#include "support/ScriptedUserInterface.h"
#include "support/TestSongs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>

using namespace lumivox;
using lumivox::test::FixturePath;
using lumivox::test::ScriptedUserInterface;
using Kind = ScriptedUserInterface::Event;

namespace {

class FakePlayer : public IMediaPlayer {
public:
    bool Open(const QString& path) override {
        OpenPath = path;
        return true;
    }
    void Close() override { OpenPath.clear(); }
    bool IsOpen() const override { return !OpenPath.isEmpty(); }
    void Play() override { Playing = true; }
    void Stop() override { Playing = false; }
    void Seek(std::int64_t) override {}
    std::int64_t PositionMs() const override { return 0; }
    std::int64_t LengthMs() const override { return 0; }
    TMediaMode Mode() const override {
        return Playing ? TMediaMode::Playing : IsOpen() ? TMediaMode::Stopped : TMediaMode::NotOpen;
    }
    // The tests here play no ranges.
    void SetPlayRange(std::int64_t, std::int64_t) override {}
    void ClearPlayRange() override {}
    void SetLooping(bool) override {}
    std::int64_t RangeWraps() const override { return 0; }
    QString OpenPath;
    bool Playing = false;
};

// Opens songs in the fake player with a slot count per song file name.
class Songs : public ISongLoader {
public:
    Songs(ShowDocument& doc, FakePlayer& player) : Doc(doc), Player(player) {}
    bool LoadSong(const QString& path) override {
        Loaded << path;
        if (!QFile::exists(path) || path == Refused)
            return false;
        Player.Open(path);
        Doc.SlotCount = path.contains(QLatin1String("short")) ? 51 : 101;
        return true;
    }
    void CloseSong() override {
        Player.Close();
        ++Closed;
    }
    int Closed = 0;
    QString Refused; // a song that is there but cannot be used
    ShowDocument& Doc;
    FakePlayer& Player;
    QStringList Loaded;
};

class ScriptedProperties : public IProjectPropertiesEditor {
public:
    std::deque<std::function<bool(TProjectPropertiesData&)>> Answers;
    std::vector<TProjectPropertiesData> Shown;
    bool EditProjectProperties(TProjectPropertiesData& data, Language language) override {
        Shown.push_back(data);
        Languages.push_back(language);
        if (Answers.empty())
            return false;
        auto answer = Answers.front();
        Answers.pop_front();
        return answer(data);
    }
    std::vector<Language> Languages;
};

class RecordingShell : public IProjectShell {
public:
    QStringList Calls;
    void StopTransport() override { Calls << "stop"; }
    void ClearHistory() override { Calls << "clearHistory"; }
    void TakeSnapshot() override { Calls << "snapshot"; }
    void ClearClipboard() override { Calls << "clearClipboard"; }
    void ProjectFileUsed(const QString&) override {}
    void ChangesSettled() override {}
};

class ProjectLifecycleTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Song, ShortSong;
    ShowDocument Doc;
    ScriptedUserInterface Ui;
    ScriptedProperties Properties;
    FakePlayer Player;
    Songs Loader{Doc, Player};
    ProjectFile File{Doc, Ui, Loader};
    RecordingShell Shell;
    Language Lang = Language::English;
    ProjectLifecycle Life{Doc, Ui, Properties, Loader, Player, File, Shell, Lang};
    // The title the window shows, as it follows the announcements of the project's name.
    QString Caption;

    void SetUp() override {
        QObject::connect(&Doc, &ShowDocument::ProjectChanged, &Doc, [this](TProjectFields f) {
            if (f & TProjectField::Name)
                Caption = Life.WindowCaption();
        });
        QObject::connect(&Doc, &ShowDocument::Reset, &Doc,
                         [this] { Caption = Life.WindowCaption(); });
        Song = Dir.filePath(QStringLiteral("song.mp3"));
        ShortSong = Dir.filePath(QStringLiteral("short.mp3"));
        ASSERT_TRUE(QFile::copy(FixturePath("song_10s.mp3"), Song));
        ASSERT_TRUE(QFile::copy(FixturePath("song_350ms.mp3"), ShortSong));
    }

    QString Path(const char* name) const { return Dir.filePath(QLatin1String(name)); }

    // A new project over the song, named `name`, with `tracks` tracks.
    void NewShow(const QString& name, int tracks) {
        Ui.SongAnswers.push_back(Song);
        Properties.Answers.push_back([name](TProjectPropertiesData& data) {
            data.Name = name;
            data.ResolutionIndex = 2;
            data.Comments = {QStringLiteral("line")};
            return true;
        });
        Life.NewProject();
        for (int k = 0; k < tracks; ++k)
            Doc.AddTrack(Lang);
    }
};

TEST_F(ProjectLifecycleTest, NewProjectProposesTheLanguagesNameAndStartsModified) {
    Lang = Language::French;
    NewShow(QStringLiteral("Fête"), 0);
    ASSERT_EQ(Properties.Shown.size(), 1u);
    EXPECT_EQ(Properties.Shown[0].Name, QStringLiteral("Nouveau Projet"));
    EXPECT_EQ(Properties.Shown[0].Mp3Path, Song);
    EXPECT_TRUE(Properties.Shown[0].ResolutionEnabled);
    EXPECT_EQ(Properties.Languages[0], Language::French);
    EXPECT_EQ(Doc.Project().Name, QStringLiteral("Fête"));
    EXPECT_EQ(Caption, QStringLiteral("Lumivox Editor V1.4 - Fête"));
    EXPECT_EQ(Doc.Project().Mp3FileName, Song);
    EXPECT_EQ(Doc.ResolutionIndex(), 2);
    EXPECT_EQ(Doc.Project().Resolution, 2);
    EXPECT_EQ(Doc.Project().Comments, QStringList{QStringLiteral("line")});
    EXPECT_TRUE(Doc.Modified());
    EXPECT_TRUE(Doc.ProjectFileName.isEmpty());
    EXPECT_EQ(Doc.SlotCount, 101);
    EXPECT_TRUE(Shell.Calls.contains("snapshot"));
}

TEST_F(ProjectLifecycleTest, CancellingNewProjectLeavesTheProjectUntouched) {
    NewShow(QStringLiteral("Kept"), 3);
    Shell.Calls.clear();
    Life.NewProject(); // the save prompt (No), then the song chooser is cancelled
    EXPECT_EQ(Doc.Project().Name, QStringLiteral("Kept"));
    EXPECT_EQ(Doc.TrackCount(), 3);
    EXPECT_EQ(Ui.Texts(Kind::Confirm).size(), 1);
    EXPECT_FALSE(Shell.Calls.contains("clearHistory"));

    Ui.SongAnswers.push_back(Song); // the properties dialog is cancelled
    Life.NewProject();
    EXPECT_EQ(Doc.TrackCount(), 3);
    EXPECT_EQ(Doc.Project().Name, QStringLiteral("Kept"));

    // A song that fails to open keeps tracks and fields, but history and clipboard go.
    Ui.SongAnswers.push_back(Path("missing.mp3"));
    Properties.Answers.push_back([](TProjectPropertiesData& data) {
        data.Name = QStringLiteral("Other");
        return true;
    });
    Shell.Calls.clear();
    Life.NewProject();
    EXPECT_EQ(Doc.TrackCount(), 3);
    EXPECT_EQ(Doc.Project().Name, QStringLiteral("Kept"));
    EXPECT_TRUE(Shell.Calls.contains("clearHistory"));
    EXPECT_TRUE(Shell.Calls.contains("clearClipboard"));
}

TEST_F(ProjectLifecycleTest, SavePromptYesSavesNoDiscardsAndCancelKeeps) {
    NewShow(QStringLiteral("Show"), 2);
    // Open: No to the prompt, then the chooser is cancelled: still modified.
    Ui.ConfirmAnswers.push_back(false);
    Life.Open();
    EXPECT_TRUE(Doc.Modified());
    EXPECT_EQ(Doc.TrackCount(), 2);
    EXPECT_EQ(Ui.Texts(Kind::Confirm).last(),
              QStringLiteral("The current project has been modified. Do you want to save these "
                             "changes?"));

    // Yes: the project was never saved, so Save as asks for a name and writes there.
    Ui.ConfirmAnswers.push_back(true);
    Ui.SaveAnswers.push_back(Path("saved.PRJ"));
    Life.Open();
    EXPECT_TRUE(QFile::exists(Path("saved.PRJ")));
    EXPECT_EQ(Doc.ProjectFileName, Path("saved.PRJ"));
    EXPECT_FALSE(Doc.Modified());

    // Open the saved file: the project is read back, unmodified, with its resolution.
    Ui.ProjectAnswers.push_back(Path("saved.PRJ"));
    Life.Open();
    EXPECT_EQ(Doc.TrackCount(), 2);
    EXPECT_FALSE(Doc.Modified());
    EXPECT_EQ(Doc.ResolutionIndex(), 2);
    EXPECT_EQ(Caption, QStringLiteral("Lumivox Editor V1.4 - Show"));
}

TEST_F(ProjectLifecycleTest, SaveRefusesWithoutTheSongAndActsAsSaveAsForADeletedFile) {
    NewShow(QStringLiteral("Show"), 1);
    Ui.SaveAnswers.push_back(Path("a.PRJ"));
    Life.Save();
    ASSERT_TRUE(QFile::exists(Path("a.PRJ")));
    Shell.Calls.clear();

    // The file was deleted since: Save asks for a name again.
    QFile::remove(Path("a.PRJ"));
    Doc.SetModified(true);
    Ui.SaveAnswers.push_back(Path("b.PRJ"));
    Life.Save();
    EXPECT_TRUE(QFile::exists(Path("b.PRJ")));
    EXPECT_EQ(Ui.Texts(Kind::ChooseSaveFile).size(), 2);
    // Saving starts a new history: cleared, then one snapshot.
    EXPECT_EQ(Shell.Calls.filter("History").size() + Shell.Calls.filter("snapshot").size(), 2);
    EXPECT_LT(Shell.Calls.indexOf("clearHistory"), Shell.Calls.indexOf("snapshot"));

    QFile::remove(Song);
    Doc.SetModified(true);
    Life.Save();
    EXPECT_EQ(Ui.Texts(Kind::Warning).last(),
              QStringLiteral("MP3 File does not exist or not selected!"));
    EXPECT_TRUE(Doc.Modified());
    Life.SaveAs();
    EXPECT_EQ(Ui.Texts(Kind::Warning).size(), 2);
    EXPECT_EQ(Ui.Texts(Kind::ChooseSaveFile).size(), 2); // no chooser without a song
}

TEST_F(ProjectLifecycleTest, AFailedSaveKeepsTheProjectModifiedAndItsName) {
    NewShow(QStringLiteral("Show"), 1);
    Shell.Calls.clear();
    Ui.SaveAnswers.push_back(Path("no/such/folder/x.PRJ"));
    Life.SaveAs();
    EXPECT_TRUE(Doc.Modified());
    EXPECT_TRUE(Doc.ProjectFileName.isEmpty());
    EXPECT_EQ(Ui.Texts(Kind::ReportError).size(), 1);
    EXPECT_FALSE(Shell.Calls.contains("clearHistory")); // the history still matches the show
}

TEST_F(ProjectLifecycleTest, ResetProjectCountsTheGaugeDown) {
    NewShow(QStringLiteral("Show"), 4);
    Ui.Gauges.clear();
    Life.ResetProject();
    EXPECT_EQ(Ui.ProgressTexts.last(), QStringLiteral("Deleting track(s)..."));
    EXPECT_EQ(Ui.Gauges, (std::vector<int>{0, 75, 50, 25, 0}));
    EXPECT_FALSE(Ui.ProgressVisible);
    EXPECT_EQ(Doc.TrackCount(), 0);
    EXPECT_EQ(Doc.Project().Name, QStringLiteral("New Project"));
    EXPECT_TRUE(Doc.Project().Mp3FileName.isEmpty());
    EXPECT_TRUE(Doc.Modified());
}

TEST_F(ProjectLifecycleTest, AFailedOpenLeavesAnEmptyUnnamedUnmodifiedProjectWithoutSong) {
    NewShow(QStringLiteral("Show"), 2);
    // Refused after its song was opened: the file ends early.
    QFile bad(Path("bad.PRJ"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("Lumivox Project File of Vostrel\r\nFile version : \r\n1.0.3\r\n*****\r\nX\r\n" +
              Song.toUtf8() + "\r\n7\r\n");
    bad.close();
    Ui.ConfirmAnswers.push_back(false);
    Ui.ProjectAnswers.push_back(Path("bad.PRJ"));
    Life.Open();
    EXPECT_EQ(Doc.TrackCount(), 0);
    EXPECT_FALSE(Player.IsOpen());
    EXPECT_EQ(Loader.Closed, 1); // its waveform is gone too
    // Nothing of it can be saved over it: no name, not modified, no song to save with.
    EXPECT_TRUE(Doc.ProjectFileName.isEmpty());
    EXPECT_FALSE(Doc.Modified());
    EXPECT_EQ(Doc.Project().Name, QStringLiteral("New Project"));
    EXPECT_EQ(Caption, QStringLiteral("Lumivox Editor V1.4 - New Project"));
    EXPECT_FALSE(ComputeCommandStates({Player.IsOpen(), 0, 0, 0, -1}).SongCommands);

    NewShow(QStringLiteral("Again"), 1);
    EXPECT_FALSE(Life.OpenProjectByName(Path("bad.PRJ"))); // the start-up open alike
    EXPECT_TRUE(Doc.ProjectFileName.isEmpty());
    EXPECT_EQ(Doc.TrackCount(), 0);
    EXPECT_FALSE(Doc.Modified());
    EXPECT_FALSE(Player.IsOpen());
}

TEST_F(ProjectLifecycleTest, AShowToBeSavedIsNotGivenUpWhenItsSaveFailsOrIsCancelled) {
    NewShow(QStringLiteral("Show"), 2);
    ASSERT_TRUE(Doc.Modified());
    // Yes to the prompt, then the save chooser is cancelled: closing, New and Open stop.
    Ui.ConfirmAnswers = {true, true, true};
    EXPECT_FALSE(Life.PrepareClose());
    const int chosen = static_cast<int>(Ui.Texts(Kind::ChooseSong).size());
    Life.NewProject();
    EXPECT_EQ(Ui.Texts(Kind::ChooseSong).size(), chosen); // no song chooser: it stopped
    Life.Open();
    EXPECT_TRUE(Ui.Texts(Kind::ChooseProject).isEmpty());
    EXPECT_EQ(Doc.TrackCount(), 2);
    EXPECT_TRUE(Doc.Modified());
    // A save that fails (the folder is gone) also keeps the window open.
    Ui.ConfirmAnswers = {true};
    Ui.SaveAnswers.push_back(Path("missing/folder/show.PRJ"));
    EXPECT_FALSE(Life.PrepareClose());
    EXPECT_EQ(Ui.Texts(Kind::ReportError).size(), 1);
    // No to the prompt gives the changes up and lets it close; Yes with a save that works too.
    Ui.ConfirmAnswers = {false};
    EXPECT_TRUE(Life.PrepareClose());
    Ui.ConfirmAnswers = {true};
    Ui.SaveAnswers.push_back(Path("show.PRJ"));
    EXPECT_TRUE(Life.PrepareClose());
    EXPECT_TRUE(QFile::exists(Path("show.PRJ")));
    EXPECT_TRUE(Life.PrepareClose()); // saved: nothing to ask
}

TEST_F(ProjectLifecycleTest, ReplacingTheSongResizesEveryTrack) {
    NewShow(QStringLiteral("Show"), 2);
    Doc.FillSlots(1, 1, 100, 9);
    Life.ReplaceMp3File(); // No to the warning: nothing happens
    EXPECT_EQ(Ui.Texts(Kind::Confirm).last().left(10), QStringLiteral("Attention!"));
    EXPECT_EQ(Doc.Project().Mp3FileName, Song);

    Ui.ConfirmAnswers.push_back(true);
    Ui.SongAnswers.push_back(ShortSong);
    Life.ReplaceMp3File();
    EXPECT_EQ(Doc.Project().Mp3FileName, ShortSong);
    for (const auto& track : Doc.Tracks())
        EXPECT_EQ(track->SlotCount(), 51);
    std::uint8_t value = 0;
    ASSERT_TRUE(Doc.Track(1).GetValue(50, value));
    EXPECT_EQ(value, 9);

    Ui.ConfirmAnswers.push_back(true);
    Ui.SongAnswers.push_back(Song);
    Life.ReplaceMp3File();
    for (const auto& track : Doc.Tracks())
        EXPECT_EQ(track->SlotCount(), 101);
    ASSERT_TRUE(Doc.Track(1).GetValue(60, value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(Doc.Modified());
}

TEST_F(ProjectLifecycleTest, CreateSeqFileWritesBesideTheSongAndAsksBeforeReplacing) {
    NewShow(QStringLiteral("Show"), 1);
    Doc.SetSlot(1, 1, 7);
    EXPECT_EQ(Life.CreateSeqFile(), TSequenceExport::Result::Done);
    const QString seq = Path("song.seq");
    ASSERT_EQ(QFileInfo(seq).size(), 65536);
    EXPECT_EQ(Ui.Texts(Kind::Information), QStringList{QStringLiteral("Process done!")});
    EXPECT_TRUE(Shell.Calls.contains("stop"));

    EXPECT_EQ(Life.CreateSeqFile(), TSequenceExport::Result::Declined);
    EXPECT_EQ(Ui.Texts(Kind::Confirm).last(),
              QDir::toNativeSeparators(seq) + QStringLiteral(" already exists. Do you want to "
                                                             "replace this file?"));
    EXPECT_EQ(Ui.Texts(Kind::Information).size(), 1);

    // Many tracks switching at every slot pass the unit's memory.
    for (int k = 0; k < 200; ++k) {
        Doc.AddTrack(Lang);
        for (int j = 1; j <= 100; ++j)
            Doc.SetSlot(Doc.TrackCount(), j, j % 2 ? 255 : 0);
    }
    Ui.ConfirmAnswers.push_back(true);
    EXPECT_EQ(Life.CreateSeqFile(), TSequenceExport::Result::TooManyEvents);
    EXPECT_TRUE(Ui.Texts(Kind::Information)
                    .last()
                    .startsWith(QStringLiteral("Process done! But there are too many events")));
}

TEST_F(ProjectLifecycleTest, SaveAsProposesAPlaceAndAsksBeforeReplacingAnotherProject) {
    NewShow(QStringLiteral("Gala: 2026/12"), 1);
    // A new show: its name (made safe for a file) in its song's folder.
    Ui.SaveAnswers.push_back(std::nullopt);
    EXPECT_FALSE(Life.SaveAs());
    EXPECT_EQ(Ui.Texts(Kind::ChooseSaveFile).last(), Path("Gala_ 2026_12.PRJ"));

    // Another project of the chosen name: asked; No leaves it as it was, unsaved here.
    QFile other(Path("other.PRJ"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("someone else's show");
    other.close();
    Ui.SaveAnswers.push_back(Path("other.PRJ"));
    Ui.ConfirmAnswers = {false};
    EXPECT_FALSE(Life.SaveAs());
    EXPECT_EQ(Ui.Texts(Kind::Confirm).last(),
              QDir::toNativeSeparators(Path("other.PRJ")) +
                  QStringLiteral(" already exists. Do you want to replace this file?"));
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    EXPECT_EQ(other.readAll(), QByteArray("someone else's show"));
    other.close();
    EXPECT_TRUE(Doc.Modified());
    EXPECT_TRUE(Doc.ProjectFileName.isEmpty());
    // Yes replaces it.
    Ui.SaveAnswers.push_back(Path("other.PRJ"));
    Ui.ConfirmAnswers = {true};
    EXPECT_TRUE(Life.SaveAs());
    EXPECT_EQ(Doc.ProjectFileName, Path("other.PRJ"));
    EXPECT_FALSE(Doc.Modified());

    // Saved once: the project's own file is proposed, and saving over it asks nothing.
    const int asked = Ui.Texts(Kind::Confirm).size();
    Ui.SaveAnswers.push_back(Path("other.PRJ"));
    EXPECT_TRUE(Life.SaveAs());
    EXPECT_EQ(Ui.Texts(Kind::ChooseSaveFile).last(), Path("other.PRJ"));
    EXPECT_EQ(Ui.Texts(Kind::Confirm).size(), asked);
}

TEST_F(ProjectLifecycleTest, ExportToWritesWhereTheUserChoosesOrNothingWhenCancelled) {
    NewShow(QStringLiteral("Show"), 1);
    Doc.SetSlot(1, 1, 7);
    Ui.SequenceAnswers.push_back(std::nullopt);
    EXPECT_EQ(Life.ExportTo(), TSequenceExport::Result::Declined);
    EXPECT_EQ(Ui.Texts(Kind::ChooseSequenceFile), QStringList{Path("song.seq")});
    EXPECT_FALSE(QFile::exists(Path("song.seq")));

    QDir(Dir.path()).mkdir(QStringLiteral("usb"));
    Ui.SequenceAnswers.push_back(Path("usb/gala.seq"));
    EXPECT_EQ(Life.ExportTo(), TSequenceExport::Result::Done);
    EXPECT_EQ(QFileInfo(Path("usb/gala.seq")).size(), 65536);
    EXPECT_EQ(Life.Exporter().WrittenPath(), Path("usb/gala.seq"));
    EXPECT_TRUE(Shell.Calls.contains("stop"));
}

TEST_F(ProjectLifecycleTest, ASongThatCannotBeUsedIsOneToReplaceAndTheShowOpensModified) {
    NewShow(QStringLiteral("Show"), 2);
    Doc.SetSlot(2, 5, 99);
    Ui.SaveAnswers.push_back(Path("show.PRJ"));
    ASSERT_TRUE(Life.SaveAs());
    // The song is there but no longer decodes.
    QFile song(Song);
    ASSERT_TRUE(song.open(QIODevice::WriteOnly | QIODevice::Truncate));
    song.write(QByteArray(4096, '\0'));
    song.close();
    const QString replacement = Path("replacement.mp3");
    ASSERT_TRUE(QFile::copy(FixturePath("song_10s.mp3"), replacement));
    Loader.Refused = Song;

    // Cancelling the chooser gives up the opening; choosing a song opens the show with it.
    Ui.Events.clear();
    Ui.SongAnswers = {std::nullopt, replacement};
    EXPECT_FALSE(Life.OpenProjectByName(Path("show.PRJ")));
    EXPECT_TRUE(Life.OpenProjectByName(Path("show.PRJ")));
    const QString offered = QStringLiteral("The song \"%1\" of your project cannot be used. Please "
                                           "select another song for your project: Show")
                                .arg(QDir::toNativeSeparators(Song));
    EXPECT_EQ(Ui.Texts(Kind::Warning), (QStringList{offered, offered}));
    EXPECT_EQ(Ui.Texts(Kind::ChooseSong).size(), 2);
    EXPECT_EQ(Doc.Project().Mp3FileName, replacement);
    EXPECT_TRUE(Doc.Modified());
    ASSERT_EQ(Doc.TrackCount(), 2);
    std::uint8_t value = 0;
    ASSERT_TRUE(Doc.Track(2).GetValue(5, value));
    EXPECT_EQ(value, 99);
}

TEST(CommandStates, FollowSongTracksClipboardAndHistory) {
    EXPECT_EQ(ComputeCommandStates({}), TCommandStates{});
    TCommandStates open = ComputeCommandStates({true, 0, 0, 0, -1});
    EXPECT_TRUE(open.NewTrack);
    EXPECT_TRUE(open.SongCommands);
    EXPECT_TRUE(open.Transport);
    EXPECT_FALSE(open.DeleteTrack);
    EXPECT_FALSE(open.CutCopy);
    EXPECT_FALSE(ComputeCommandStates({true, 255, 0, 0, -1}).NewTrack);
    EXPECT_TRUE(ComputeCommandStates({true, 254, 0, 0, -1}).NewTrack);
    EXPECT_TRUE(ComputeCommandStates({true, 1, 0, 0, -1}).CutCopy);
    EXPECT_FALSE(ComputeCommandStates({false, 1, 0, 0, -1}).CutCopy);
    EXPECT_TRUE(ComputeCommandStates({false, 0, 1, 0, -1}).Paste);
    // History of three: Undo needs a current entry past the first; Redo one before the last.
    EXPECT_FALSE(ComputeCommandStates({true, 0, 0, 1, 0}).Undo);
    EXPECT_TRUE(ComputeCommandStates({true, 0, 0, 3, 2}).Undo);
    EXPECT_FALSE(ComputeCommandStates({true, 0, 0, 3, 2}).Redo);
    EXPECT_TRUE(ComputeCommandStates({true, 0, 0, 3, 0}).Redo);
    EXPECT_FALSE(ComputeCommandStates({true, 0, 0, 3, 0}).Undo);
    EXPECT_FALSE(ComputeCommandStates({true, 0, 0, 3, -1}).Redo);
}

} // namespace
