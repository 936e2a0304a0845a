// Keeping shows in the real main window: recovery copies offered and restored at start, autosave
// and its removal on save and close, the recent projects, a project dropped on the window, a
// close that does not lose a show, a refused file that stays as it was, and the window's place.
#include "app/MainWindow.h"
#include "persistence/Autosave.h"
#include "persistence/Preferences.h"
#include "support/ScriptedUserInterface.h"
#include "support/TestSongs.h"
#include "support/widgets/WindowOptions.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

using namespace lumivox;
using namespace lumivox::test;
using Kind = ScriptedUserInterface::Event;

namespace {

class KeepingShowsTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    ScriptedUserInterface Ui;
    AcceptProperties Properties;
    QString Song;

    void SetUp() override {
        Song = Dir.filePath(QStringLiteral("song.mp3"));
        ASSERT_TRUE(QFile::copy(FixturePath("song_10s.mp3"), Song));
    }
    std::unique_ptr<TForm1> Open() {
        auto window = std::make_unique<TForm1>(TestWindowOptions(Ui, Properties, Dir));
        window->FormActivate();
        return window;
    }
    // A new show over the song with one track holding 42 at slot 3, saved as `name`.
    QString SavedShow(TForm1& window, const char* name) {
        Ui.SongAnswers.push_back(Song);
        window.Menus().New2->trigger();
        window.Menus().New1->trigger();
        window.Document().SetSlot(1, 3, 42);
        QString path = Dir.filePath(QLatin1String(name));
        Ui.SaveAnswers.push_back(path);
        window.Menus().SaveAs1->trigger();
        return path;
    }
    bool WriteCopy(TForm1& window) {
        QSignalSpy written(&window.Recovery(), &Autosave::CopyWritten);
        return window.Recovery().SaveNow() && written.wait(10000);
    }
    static QByteArray Bytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace

TEST_F(KeepingShowsTest, AShowLeftByACrashIsOfferedAtStartAndRestoredUnderItsName) {
    QString project;
    {
        auto window = Open();
        project = SavedShow(*window, "gala.PRJ");
        window->Document().SetSlot(1, 4, 99); // an edit after the save
        window->Document().SetModified(true);
        ASSERT_TRUE(WriteCopy(*window));
        // The window goes away without closing, as a crash would leave it.
    }
    Ui.Events.clear();
    Ui.ActionAnswers.push_back(0); // Restore
    auto window = Open();
    const QStringList asked = Ui.Texts(Kind::ChooseAction);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains(QDir::toNativeSeparators(project))) << asked[0].toStdString();
    EXPECT_TRUE(asked[0].endsWith(QStringLiteral("|Restore|Discard")));
    ShowDocument& doc = window->Document();
    ASSERT_EQ(doc.TrackCount(), 1);
    std::uint8_t value = 0;
    ASSERT_TRUE(doc.Track(1).GetValue(4, value));
    EXPECT_EQ(value, 99); // the edit that was never saved
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.ProjectFileName, QFileInfo(project).absoluteFilePath());
    // Saving writes the original project, and the copy is not needed any more.
    window->Menus().Save1->trigger();
    EXPECT_FALSE(doc.Modified());
    EXPECT_TRUE(Autosave::FindCopies(window->Recovery().Folder()).empty());
    EXPECT_TRUE(QDir(window->Recovery().Folder()).entryList({"*.PRJ"}, QDir::Files).isEmpty());
}

TEST_F(KeepingShowsTest, ADiscardedCopyGoesAndTheLastProjectOpensAsUsual) {
    QString project;
    {
        auto window = Open();
        project = SavedShow(*window, "gala.PRJ");
        window->close();
    }
    {
        // An untitled show, crashed.
        auto window = Open();
        ASSERT_EQ(Ui.Texts(Kind::ChooseAction).size(), 0);
        Ui.SongAnswers.push_back(Song);
        window->Menus().New2->trigger();
        ASSERT_TRUE(WriteCopy(*window));
    }
    Ui.Events.clear();
    Ui.ActionAnswers.push_back(1); // Discard
    auto window = Open();
    EXPECT_EQ(Ui.Texts(Kind::ChooseAction).size(), 1);
    EXPECT_TRUE(Autosave::FindCopies(window->Recovery().Folder()).empty());
    EXPECT_EQ(window->Document().ProjectFileName, project); // the last project, as before
    EXPECT_FALSE(window->Document().Modified());
}

TEST_F(KeepingShowsTest, AClosedShowLeavesNoCopyAndAClosingThatCouldNotSaveStaysOpen) {
    auto window = Open();
    window->show();
    Ui.SongAnswers.push_back(Song);
    window->Menus().New2->trigger();
    ASSERT_TRUE(WriteCopy(*window));
    // Yes, save, then the chooser is cancelled: the window stays, with the show and its copy.
    Ui.ConfirmAnswers = {true};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->Document().Modified());
    EXPECT_EQ(QDir(window->Recovery().Folder()).entryList({"*.PRJ"}, QDir::Files).size(), 1);
    // No: the changes are given up, and so is their copy.
    Ui.ConfirmAnswers = {false};
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(QDir(window->Recovery().Folder()).entryList({"*.PRJ"}, QDir::Files).isEmpty());
}

TEST_F(KeepingShowsTest, RecentProjectsAndADroppedProjectOpenWithTheSavePrompt) {
    auto window = Open();
    QMenu* recent = window->Menus().RecentProjects1;
    ASSERT_EQ(recent->actions().size(), 1);
    EXPECT_FALSE(recent->actions()[0]->isEnabled()); // "(none)"
    window->Menus().Deutsch1->trigger();             // which follows the language
    ASSERT_EQ(recent->actions().size(), 1);
    EXPECT_EQ(recent->actions()[0]->text(),
              Text(TextTable::Extra, ExtraText::NoRecentProjects, Language::German));
    const QString first = SavedShow(*window, "first.PRJ");
    const QString second = SavedShow(*window, "second & more.PRJ");
    ASSERT_EQ(recent->actions().size(), 2);
    EXPECT_EQ(recent->actions()[0]->text(),
              QStringLiteral("&1 ") + QDir::toNativeSeparators(second).replace("&", "&&"));
    EXPECT_EQ(recent->actions()[1]->data().toString(), first);
    window->Menus().Deutsch1->trigger();
    EXPECT_EQ(recent->title(), Text(TextTable::Extra, ExtraText::RecentProjects, Language::German));

    // Modified, then a recent project: the save prompt comes first; No opens it.
    window->Document().SetModified(true);
    Ui.ConfirmAnswers = {false};
    recent->actions()[1]->trigger();
    EXPECT_EQ(Ui.Texts(Kind::Confirm).size(), 1);
    EXPECT_EQ(window->Document().ProjectFileName, first);
    EXPECT_EQ(recent->actions()[0]->data().toString(), first); // first again

    // A project dropped on the window opens the same way; a song alone is not taken.
    EXPECT_TRUE(window->acceptDrops());
    QMimeData songOnly;
    songOnly.setUrls({QUrl::fromLocalFile(Song)});
    EXPECT_FALSE(window->OpenDroppedFiles(&songOnly));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Song), QUrl::fromLocalFile(second)});
    EXPECT_TRUE(window->OpenDroppedFiles(&data));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Document().ProjectFileName == second; }));
    // A project that is gone is taken off the list when it cannot be opened.
    QFile::remove(first);
    recent->actions()[1]->trigger();
    EXPECT_EQ(recent->actions().size(), 1);
    // At most eight, kept in the preferences for the next start.
    for (int k = 0; k < 10; ++k)
        window->Prefs().AddRecentProject(Dir.filePath(QStringLiteral("p%1.PRJ").arg(k)));
    EXPECT_EQ(window->Prefs().RecentProjects().size(), Preferences::MaxRecentProjects);
}

TEST_F(KeepingShowsTest, ARefusedFileStaysByteForByteWhateverIsAnsweredAtExit) {
    QString project;
    {
        auto window = Open();
        project = SavedShow(*window, "show.PRJ");
        window->close();
    }
    // The song re-encoded to another length is read now; damage after the song line is not.
    QByteArray bytes = Bytes(project);
    const qsizetype songLine = bytes.indexOf(Song.toUtf8());
    ASSERT_GT(songLine, 0);
    bytes.insert(bytes.indexOf('\n', songLine) + 1, "junk\r\n");
    QFile file(project);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();

    Ui.Events.clear();
    Ui.ConfirmAnswers = {true, true};
    Ui.SaveAnswers.push_back(project);
    auto window = Open();                         // the settings name it as the last project
    EXPECT_EQ(Ui.Texts(Kind::Warning).size(), 1); // refused, with the reason
    EXPECT_EQ(window->Document().TrackCount(), 0);
    EXPECT_FALSE(window->Document().Modified());
    EXPECT_TRUE(window->Document().ProjectFileName.isEmpty());
    EXPECT_FALSE(window->Menus().Save1->isEnabled());
    EXPECT_FALSE(window->Menus().CreateSeqFile1->isEnabled());
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(Ui.Texts(Kind::Confirm).isEmpty()); // nothing to save
    EXPECT_EQ(Bytes(project), bytes);
}

TEST_F(KeepingShowsTest, TheWindowOpensWhereItWasClosedAndAskedIntervalsAreKept) {
    {
        auto window = Open();
        window->show();
        window->setGeometry(50, 60, 900, 640);
        Ui.NumberAnswers.push_back(15);
        window->Menus().AutosaveInterval1->trigger();
        EXPECT_EQ(window->Recovery().IntervalSeconds(), 15);
        window->close();
    }
    auto window = Open();
    EXPECT_EQ(window->size(), QSize(900, 640));
    EXPECT_EQ(window->Prefs().AutosaveSeconds(), 15);
    EXPECT_EQ(window->Recovery().IntervalSeconds(), 15);
}

TEST_F(KeepingShowsTest, ASongThatCannotBeUsedLeavesTheProjectAndItsSongAsTheyWere) {
    auto window = Open();
    const QString project = SavedShow(*window, "show.PRJ");
    ShowDocument& doc = window->Document();
    const int slots = doc.SlotCount;
    for (const char* bad : {"empty.mp3", "not_an_mp3.mp3"}) {
        SCOPED_TRACE(bad);
        const QString path = Dir.filePath(QLatin1String(bad));
        ASSERT_TRUE(QFile::copy(FixturePath(bad), path));
        Ui.ConfirmAnswers = {true}; // yes, replace the song
        Ui.SongAnswers.push_back(path);
        window->Menus().ReplaceMP3File1->trigger();
        EXPECT_EQ(doc.Project().Mp3FileName, Song);
        EXPECT_EQ(doc.SlotCount, slots);
        ASSERT_EQ(doc.TrackCount(), 1);
        std::uint8_t value = 0;
        ASSERT_TRUE(doc.Track(1).GetValue(3, value));
        EXPECT_EQ(value, 42);
        EXPECT_EQ(window->Player().LengthMs(), 10000); // the song still open is the old one
        EXPECT_TRUE(window->Menus().Save1->isEnabled());
        EXPECT_FALSE(doc.Modified());
    }
    // A cut-off song that still decodes is a song: it replaces the old one.
    const QString cut = Dir.filePath(QStringLiteral("cut.mp3"));
    ASSERT_TRUE(QFile::copy(FixturePath("song_truncated.mp3"), cut));
    Ui.ConfirmAnswers = {true};
    Ui.SongAnswers.push_back(cut);
    window->Menus().ReplaceMP3File1->trigger();
    EXPECT_EQ(doc.Project().Mp3FileName, cut);
    EXPECT_LT(doc.SlotCount, slots);
    EXPECT_EQ(doc.Track(1).SlotCount(), doc.SlotCount);
    EXPECT_TRUE(doc.Modified());
    // And the show still saves.
    window->Menus().Save1->trigger();
    EXPECT_FALSE(doc.Modified());
    EXPECT_TRUE(Bytes(project).contains(cut.toUtf8()));
}
