// Writing on a disk that is full or nearly so, for real (a small tmpfs): every file the editor
// keeps is replaced whole or not at all, and the reason is told in the user's language.
#include "model/ShowDocument.h"
#include "persistence/MarksFile.h"
#include "persistence/Preferences.h"
#include "persistence/ProjectFile.h"
#include "persistence/SettingsFile.h"
#include "persistence/VerifiedFile.h"
#include "support/ScriptedUserInterface.h"
#include "support/SmallDisk.h"
#include "support/TestSongs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

namespace lumivox {
namespace {

using test::FixedSongLoader;
using test::ScriptedUserInterface;
using test::SmallDisk;
using EventKind = ScriptedUserInterface::Event::Kind;

QByteArray BytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What a folder holds besides the disk's filler: no temporary file may be left behind.
QStringList Entries(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    names.removeAll(QStringLiteral(".filler"));
    return names;
}

class FullDiskTest : public ::testing::Test {
protected:
    SmallDisk Disk{256 * 1024};

    void SetUp() override {
        if (!Disk.Ready())
            GTEST_SKIP() << Disk.Why().toStdString();
    }
};

TEST_F(FullDiskTest, AFileIsReplacedWholeOrLeftByteForByte) {
    const QString path = Disk.Path(QStringLiteral("show.txt"));
    const QByteArray before(10000, 'a');
    ASSERT_FALSE(WriteFileVerified(path, before));
    ::chmod(QFile::encodeName(path).constData(), 0640);

    // No space at all, then 8 KB left for 20 KB: both refused with the disk's reason.
    for (const std::int64_t left : {0, 8192}) {
        ASSERT_TRUE(Disk.Fill(left)) << left;
        const TFileError error = WriteFileVerified(path, QByteArray(20000, 'b'));
        EXPECT_EQ(error.Code, ENOSPC) << left;
        EXPECT_EQ(BytesOf(path), before) << left;
        EXPECT_EQ(Entries(Disk.Path(QString())), QStringList{QStringLiteral("show.txt")});
        Disk.Free();
    }
    EXPECT_EQ(FileErrorText(TFileError::FromErrno(ENOSPC), Language::German),
              QStringLiteral("auf dem Datenträger ist kein Platz mehr"));

    // With room again the new bytes replace the old ones, the permissions kept.
    EXPECT_FALSE(WriteFileVerified(path, QByteArray(20000, 'b')));
    EXPECT_EQ(BytesOf(path), QByteArray(20000, 'b'));
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
}

TEST_F(FullDiskTest, ALinkedFileIsWrittenThroughItsLink) {
    const QString target = Disk.Path(QStringLiteral("real.cfg"));
    const QString link = Disk.Path(QStringLiteral("link.cfg"));
    ASSERT_FALSE(WriteFileVerified(target, "one"));
    ASSERT_TRUE(QFile::link(target, link));
    EXPECT_FALSE(WriteFileVerified(link, "two"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(BytesOf(target), QByteArray("two"));
}

TEST_F(FullDiskTest, AProjectSavedOnAFullDiskKeepsTheOldOneAndSaysWhyInTheUsersLanguage) {
    ShowDocument doc;
    ScriptedUserInterface ui;
    const QString song = Disk.Path(QStringLiteral("song.mp3"));
    ASSERT_FALSE(WriteFileVerified(song, "a song"));
    FixedSongLoader songs(doc, 2000);
    ASSERT_TRUE(songs.LoadSong(song));
    doc.SetSongFile(song);
    doc.SetProjectName(QStringLiteral("Gala"));
    doc.AddTrack(Language::English);
    doc.AddMark(1500, QStringLiteral("Intro"));
    Language german = Language::German;
    ProjectFile file(doc, ui, songs, german);
    const QString path = Disk.Path(QStringLiteral("gala.PRJ"));
    ASSERT_TRUE(file.WriteProject(path));
    const QByteArray before = BytesOf(path);
    const QByteArray marksBefore = BytesOf(MarksPathOf(path));
    ASSERT_FALSE(marksBefore.isEmpty());

    for (int track = 2; track <= 40; ++track)
        doc.AddTrack(Language::English); // a file some 330 KB long now
    doc.AddMark(2500, QStringLiteral("Verse"));
    for (const std::int64_t left : {0, 8192}) {
        ui.Events.clear();
        ASSERT_TRUE(Disk.Fill(left));
        EXPECT_FALSE(file.WriteProject(path)) << left;
        EXPECT_EQ(BytesOf(path), before) << left;
        EXPECT_EQ(BytesOf(MarksPathOf(path)), marksBefore) << left;
        ASSERT_EQ(ui.Texts(EventKind::ReportError).size(), 1);
        EXPECT_EQ(ui.Texts(EventKind::ReportError)[0],
                  Text(TextTable::FileText, FileText::ProjectNotSaved, german)
                      .arg(QDir::toNativeSeparators(path),
                           Text(TextTable::FileText, FileText::NoSpace, german)));
        Disk.Free();
    }
    for (const QString& name : Entries(Disk.Path(QString())))
        EXPECT_FALSE(name.endsWith(QStringLiteral(".tmp"))) << name.toStdString();
}

TEST_F(FullDiskTest, SettingsAndPreferencesOnAFullDiskStayAsTheyWere) {
    const QString settingsPath = Disk.Path(QStringLiteral("LumivoxEditor.cfg"));
    TSettings settings;
    settings.LastProject = QStringLiteral("/shows/gala.PRJ");
    ASSERT_TRUE(WriteSettings(settingsPath, settings));
    const QByteArray settingsBefore = BytesOf(settingsPath);

    const QString prefsPath = Disk.Path(QStringLiteral("preferences.ini"));
    {
        Preferences prefs(prefsPath);
        prefs.SetUndoDepth(42);
        prefs.AddRecentProject(QStringLiteral("/shows/gala.PRJ"));
        prefs.SetWindowGeometry(QByteArray("\x01\x02geometry", 10));
        ASSERT_FALSE(prefs.Sync());
    }
    const QByteArray prefsBefore = BytesOf(prefsPath);
    ASSERT_FALSE(prefsBefore.isEmpty());

    ASSERT_TRUE(Disk.Fill(0));
    settings.LastProject = QStringLiteral("/shows/other.PRJ");
    TFileError error;
    EXPECT_FALSE(WriteSettings(settingsPath, settings, &error));
    EXPECT_EQ(error.Code, ENOSPC);
    EXPECT_EQ(BytesOf(settingsPath), settingsBefore);

    Preferences prefs(prefsPath);
    prefs.SetUndoDepth(7);
    prefs.AddRecentProject(QStringLiteral("/shows/other.PRJ"));
    EXPECT_TRUE(prefs.Sync());
    EXPECT_EQ(BytesOf(prefsPath), prefsBefore);
    EXPECT_EQ(Entries(Disk.Path(QString())), (QStringList{QStringLiteral("LumivoxEditor.cfg"),
                                                          QStringLiteral("preferences.ini")}));

    // The changes are still to be written, and are once there is room.
    Disk.Free();
    EXPECT_FALSE(prefs.Sync());
    const Preferences next(prefsPath);
    EXPECT_EQ(next.UndoDepth(), 7);
    EXPECT_EQ(next.RecentProjects().first(), QStringLiteral("/shows/other.PRJ"));
    EXPECT_EQ(next.WindowGeometry(), QByteArray("\x01\x02geometry", 10));
}

} // namespace
} // namespace lumivox
