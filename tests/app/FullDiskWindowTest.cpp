// A show on a disk that fills up, in the real main window: Save, Save As, the export and the
// recovery copies fail with the disk's reason and leave every file as it was, the show stays
// modified with its recovery copy, and closing asks again rather than losing it.
#include "app/MainWindow.h"
#include "persistence/Autosave.h"
#include "support/ScriptedUserInterface.h"
#include "support/SmallDisk.h"
#include "support/TestSongs.h"
#include "support/widgets/WindowOptions.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace lumivox;
using namespace lumivox::test;
using Kind = ScriptedUserInterface::Event;

namespace {

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class FullDiskWindowTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    SmallDisk Disk{4 << 20};
    ScriptedUserInterface Ui;
    AcceptProperties Properties;
    QString Song;

    void SetUp() override {
        if (!Disk.Ready())
            GTEST_SKIP() << Disk.Why().toStdString();
        Song = Disk.Path(QStringLiteral("song.mp3"));
        ASSERT_TRUE(QFile::copy(FixturePath("song_10s.mp3"), Song));
    }
    std::unique_ptr<TForm1> Open(const TForm1Options& options) {
        auto window = std::make_unique<TForm1>(options);
        window->FormActivate();
        return window;
    }
    // A new show over the song on the small disk, one track with 42 at slot 3, saved there.
    QString SavedShow(TForm1& window) {
        Ui.SongAnswers.push_back(Song);
        window.Menus().New2->trigger();
        window.Menus().New1->trigger();
        window.Document().SetSlot(1, 3, 42);
        QString path = Disk.Path(QStringLiteral("gala.PRJ"));
        Ui.SaveAnswers.push_back(path);
        window.Menus().SaveAs1->trigger();
        EXPECT_FALSE(window.Document().Modified());
        return path;
    }
    static bool WriteCopy(TForm1& window) {
        QSignalSpy written(&window.Recovery(), &Autosave::CopyWritten);
        return window.Recovery().SaveNow() && written.wait(10000);
    }
    QString NoSpace() const {
        return Text(TextTable::FileText, FileText::NoSpace, Language::English);
    }
};

} // namespace

TEST_F(FullDiskWindowTest, NothingIsLostWhenTheDiskIsFullAndClosingAsksAgain) {
    auto window = Open(TestWindowOptions(Ui, Properties, Dir));
    window->show();
    const QString project = SavedShow(*window);
    const QByteArray saved = Bytes(project);
    ShowDocument& doc = window->Document();
    doc.SetSlot(1, 4, 99);
    for (int track = 0; track < 40; ++track)
        window->Menus().New1->trigger(); // a show bigger than the 8 KB left below
    ASSERT_TRUE(WriteCopy(*window));
    const QStringList copies =
        QDir(window->Recovery().Folder()).entryList({QStringLiteral("*.PRJ")}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);

    for (const std::int64_t left : {0, 8192}) {
        ASSERT_TRUE(Disk.Fill(left));
        Ui.Events.clear();
        // Save: the file as it was, the reason, still modified, the copy kept.
        window->Menus().Save1->trigger();
        EXPECT_EQ(Bytes(project), saved) << left;
        ASSERT_EQ(Ui.Texts(Kind::ReportError).size(), 1) << left;
        EXPECT_EQ(Ui.Texts(Kind::ReportError)[0],
                  Text(TextTable::FileText, FileText::ProjectNotSaved, Language::English)
                      .arg(QDir::toNativeSeparators(project), NoSpace()));
        EXPECT_TRUE(doc.Modified());
        EXPECT_EQ(QDir(window->Recovery().Folder()).entryList({QStringLiteral("*.PRJ")}), copies);
        // Save As a new name: nothing made, the show keeps its own name.
        const QString other = Disk.Path(QStringLiteral("other.PRJ"));
        Ui.SaveAnswers.push_back(other);
        window->Menus().SaveAs1->trigger();
        EXPECT_FALSE(QFile::exists(other));
        EXPECT_EQ(doc.ProjectFileName, project);
        EXPECT_TRUE(doc.Modified());
        // The export beside the song: said, another place offered (declined), nothing written.
        Ui.Events.clear();
        window->Menus().CreateSeqFile1->trigger();
        EXPECT_FALSE(QFile::exists(Disk.Path(QStringLiteral("song.seq"))));
        EXPECT_EQ(Ui.Texts(Kind::ChooseSequenceFile).size(), 1);
        ASSERT_EQ(Ui.Texts(Kind::Warning).size(), 1);
        EXPECT_TRUE(Ui.Texts(Kind::Warning)[0].contains(NoSpace()));
        EXPECT_TRUE(Ui.Texts(Kind::Information).isEmpty());
        Disk.Free();
    }

    // Closing: Yes, save; it fails, so the window stays with the show; asked again next time.
    ASSERT_TRUE(Disk.Fill(0));
    Ui.Events.clear();
    Ui.ConfirmAnswers = {true};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Ui.Texts(Kind::Confirm).size(), 1);
    EXPECT_EQ(Bytes(project), saved);
    EXPECT_EQ(QDir(window->Recovery().Folder()).entryList({QStringLiteral("*.PRJ")}), copies);
    Disk.Free();
    Ui.ConfirmAnswers = {true};
    EXPECT_TRUE(window->close());
    EXPECT_EQ(Ui.Texts(Kind::Confirm).size(), 2);
    EXPECT_NE(Bytes(project), saved);
    EXPECT_TRUE(QDir(window->Recovery().Folder()).entryList({QStringLiteral("*.PRJ")}).isEmpty());
}

TEST_F(FullDiskWindowTest, ARecoveryCopyThatCannotBeWrittenLeavesThePreviousOneWhole) {
    TForm1Options options = TestWindowOptions(Ui, Properties, Dir);
    options.RecoveryFolder = Disk.Path(QStringLiteral("recovery"));
    auto window = Open(options);
    SavedShow(*window);
    window->Document().SetSlot(1, 4, 99);
    window->Document().SetModified(true);
    ASSERT_TRUE(WriteCopy(*window));
    const QString copy = window->Recovery().CopyPathFor(window->Document().ProjectFileName);
    const QByteArray before = Bytes(copy);
    ASSERT_FALSE(before.isEmpty());

    for (int track = 0; track < 20; ++track)
        window->Menus().New1->trigger(); // a copy bigger than what is left
    ASSERT_TRUE(Disk.Fill(8192));
    QSignalSpy failed(&window->Recovery(), &Autosave::CopyFailed);
    Ui.Events.clear();
    ASSERT_TRUE(window->Recovery().SaveNow());
    ASSERT_TRUE(failed.wait(10000));
    EXPECT_EQ(Bytes(copy), before);
    ASSERT_EQ(Ui.Texts(Kind::Warning).size(), 1);
    EXPECT_TRUE(Ui.Texts(Kind::Warning)[0].contains(NoSpace()))
        << Ui.Texts(Kind::Warning)[0].toStdString();
    Disk.Free();
}
