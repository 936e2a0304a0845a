// Autosave and recovery copies: what is written and when, where copies go, which ones the
// next start offers, and copies that survive an editor killed after an edit or while writing.
#include "persistence/Autosave.h"
#include "persistence/ProjectFile.h"
#include "support/CoreApp.h"
#include "support/ScriptedUserInterface.h"
#include "support/TestSongs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using namespace lumivox;
using namespace lumivox::test;

namespace {

void SetModified(const QString& path, const QDateTime& when) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
}

class AutosaveTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    ShowDocument Doc;
    QString Folder;
    int SongSlots = 11; // the slot count the copies are read against

    void SetUp() override {
        CoreApp();
        Folder = Dir.filePath(QStringLiteral("recovery"));
        Doc.SlotCount = 11;
        Doc.SetProjectName(QStringLiteral("Gala"));
        Doc.SetSongFile(Dir.filePath(QStringLiteral("song.mp3")));
        for (int t = 0; t < 3; ++t)
            Doc.AddTrack(Language::English);
    }
    // Writes a copy and waits until it is on disk; false when none was started.
    bool Save(Autosave& saver) {
        QSignalSpy written(&saver, &Autosave::CopyWritten);
        if (!saver.SaveNow())
            return false;
        return written.wait(10000);
    }
    // Reads a copy back as a project.
    bool Read(const QString& path, ShowDocument& into) {
        ScriptedUserInterface ui;
        FixedSongLoader songs(into, SongSlots);
        QFile::copy(FixturePath("song_350ms.mp3"), Doc.Project().Mp3FileName);
        ProjectFile file(into, ui, songs);
        return file.ReadProject(path);
    }
};

} // namespace

TEST_F(AutosaveTest, WritesOnlyWhileModifiedAndOnlyWhatChanged) {
    Autosave saver(Doc, Folder);
    EXPECT_FALSE(saver.SaveNow()); // nothing to keep
    Doc.SetModified(true);
    Doc.SetSlot(2, 4, 77);
    ASSERT_TRUE(Save(saver));
    const QString copy = saver.CopyPathFor(QString());
    ASSERT_TRUE(QFile::exists(copy));
    EXPECT_FALSE(saver.SaveNow()); // unchanged since: not written again
    Doc.SetCaption(3, QStringLiteral("renamed"));
    ASSERT_TRUE(Save(saver));

    // The copy is an ordinary project file holding the show as it was.
    ShowDocument back;
    ASSERT_TRUE(Read(copy, back));
    ASSERT_EQ(back.TrackCount(), 3);
    std::uint8_t value = 0;
    ASSERT_TRUE(back.Track(2).GetValue(4, value));
    EXPECT_EQ(value, 77);
    EXPECT_EQ(back.Track(3).Caption, QStringLiteral("renamed"));
    // This editor still runs: the copy is not offered to another start.
    EXPECT_TRUE(Autosave::FindCopies(Folder).empty());
    // Saved: the copy goes.
    saver.Discard();
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_TRUE(QDir(Folder).entryList(QDir::Files).isEmpty());
}

TEST_F(AutosaveTest, CopiesAreNamedAfterTheirProjectAndFollowItsName) {
    Autosave saver(Doc, Folder);
    const QString a = saver.CopyPathFor(QStringLiteral("/shows/one/Gala.PRJ"));
    const QString b = saver.CopyPathFor(QStringLiteral("/shows/two/Gala.PRJ"));
    EXPECT_TRUE(QFileInfo(a).fileName().startsWith(QStringLiteral("Gala-")));
    EXPECT_NE(a, b); // same name, other folder: a copy of its own
    EXPECT_EQ(QFileInfo(a).absolutePath(), QDir(Folder).absolutePath());
    Autosave other(Doc, Folder);
    EXPECT_NE(saver.CopyPathFor(QString()), other.CopyPathFor(QString())); // untitled, per run

    Doc.SetModified(true);
    ASSERT_TRUE(Save(saver));
    const QString untitled = saver.CopyPathFor(QString());
    // Saved under a name and changed again: the untitled copy gives way to the named one.
    Doc.ProjectFileName = Dir.filePath(QStringLiteral("Gala.PRJ"));
    Doc.SetSlot(1, 1, 1);
    ASSERT_TRUE(Save(saver));
    EXPECT_FALSE(QFile::exists(untitled));
    EXPECT_TRUE(QFile::exists(saver.CopyPathFor(Doc.ProjectFileName)));
}

TEST_F(AutosaveTest, TheNextStartOffersOrphanCopiesNewerThanTheirProject) {
    const QString project = Dir.filePath(QStringLiteral("Gala.PRJ"));
    {
        QFile file(project);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("an older save");
    }
    SetModified(project, QDateTime::currentDateTime().addSecs(-60));
    Doc.ProjectFileName = project;
    Doc.SetModified(true);
    QString copy;
    {
        Autosave saver(Doc, Folder);
        ASSERT_TRUE(Save(saver));
        copy = saver.CopyPathFor(project);
        // The editor goes away without discarding it, as a crash would leave it.
    }
    std::vector<TRecoveryCopy> found = Autosave::FindCopies(Folder);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].CopyPath, QFileInfo(copy).absoluteFilePath());
    EXPECT_EQ(found[0].OriginalPath, QFileInfo(project).absoluteFilePath());
    EXPECT_EQ(found[0].ProjectName, QStringLiteral("Gala"));

    // A copy written in the same tick of the file system's clock as the save (an edit and a
    // copy right after Save) cannot be told older: it is offered, not deleted.
    SetModified(project, QFileInfo(copy).lastModified());
    ASSERT_EQ(Autosave::FindCopies(Folder).size(), 1u);

    // Saved again later: the copy is older than the project, so it is stale and goes.
    SetModified(project, QDateTime::currentDateTime().addSecs(60));
    EXPECT_TRUE(Autosave::FindCopies(Folder).empty());
    EXPECT_FALSE(QFile::exists(copy));
}

// ---- An editor killed ---------------------------------------------------------------------

class KilledEditor : public AutosaveTest {
protected:
    QProcess Child;
    QString Project;

    void Start(int tracks, int slots) {
        Project = Dir.filePath(QStringLiteral("Crash.PRJ"));
        Child.start(QString::fromUtf8(LUMIVOX_AUTOSAVE_CHILD_PATH),
                    {Folder, Project, Doc.Project().Mp3FileName, QString::number(tracks),
                     QString::number(slots)});
        ASSERT_TRUE(Child.waitForStarted(10000));
    }
    // The number of the last change the child says is on disk, once it said `count` have.
    int WaitForWrites(int count) {
        int last = -1;
        QByteArray out;
        while (out.count('\n') < count && Child.waitForReadyRead(30000))
            out += Child.readAllStandardOutput();
        for (const QByteArray& line : out.split('\n'))
            if (line.startsWith("written "))
                last = line.mid(8).toInt();
        return last;
    }
    void Kill() {
        ::kill(static_cast<pid_t>(Child.processId()), SIGKILL);
        Child.waitForFinished(10000);
    }
};

TEST_F(KilledEditor, AfterAnEditAndAnAutosaveTheCopyHoldsTheEditAndReopens) {
    SongSlots = 101;
    Start(4, 101);
    const int written = WaitForWrites(3);
    ASSERT_GE(written, 3);
    Kill();
    const std::vector<TRecoveryCopy> found = Autosave::FindCopies(Folder);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].OriginalPath, QFileInfo(Project).absoluteFilePath());
    ShowDocument back;
    ASSERT_TRUE(Read(found[0].CopyPath, back));
    // It holds the last change reported written, or the one after it if that one got to
    // the disk before the kill.
    const int held = back.Project().Subject.toInt();
    EXPECT_TRUE(held == written || held == written + 1) << held << " after " << written;
    ASSERT_EQ(back.TrackCount(), 4);
    std::uint8_t value = 0;
    ASSERT_TRUE(back.Track(4).GetValue(1, value));
    EXPECT_EQ(value, held % 256);
}

TEST_F(KilledEditor, KilledWhileWritingLeavesACompleteCopy) {
    // A show big enough that most of the time a copy is being written.
    for (int attempt = 0; attempt < 4; ++attempt) {
        SCOPED_TRACE(attempt);
        SongSlots = 20001;
        Start(60, 20001);
        ASSERT_GE(WaitForWrites(1), 1);
        QThread::msleep(37UL * static_cast<unsigned long>(attempt) + 5);
        Kill();
        const std::vector<TRecoveryCopy> found = Autosave::FindCopies(Folder);
        ASSERT_EQ(found.size(), 1u);
        ShowDocument back;
        ASSERT_TRUE(Read(found[0].CopyPath, back)); // never a half-written file
        EXPECT_EQ(back.TrackCount(), 60);
        EXPECT_GE(back.Project().Subject.toInt(), 1);
        // No temporary file of the interrupted write is taken for a copy.
        for (const QString& name : QDir(Folder).entryList(QDir::Files))
            EXPECT_TRUE(
                name.endsWith(QLatin1String(".PRJ")) || name.endsWith(QLatin1String(".info")) ||
                name.endsWith(QLatin1String(".lock")) || name.contains(QLatin1String(".PRJ.")))
                << name.toStdString();
        Autosave::RemoveCopy(found[0]);
    }
}
