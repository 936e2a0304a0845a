// What the real main window tells and offers a newcomer: how to begin in an empty window, the
// time under the pointer, the file an export wrote, the list of keyboard shortcuts in the
// language shown, a song that no longer decodes replaced on opening, marks left past the end of
// a shorter song, and the last project kept by its full path.
#include "app/MainWindow.h"
#include "app/MarksMenu.h"
#include "editing/TimelineScroll.h"
#include "persistence/MarksFile.h"
#include "persistence/SettingsFile.h"
#include "show/Transport.h"
#include "support/TestSongs.h"
#include "support/widgets/WindowFixture.h"
#include "timeline/LanesView.h"

#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace lumivox;
using namespace lumivox::test;
using Kind = ScriptedUserInterface::Event;

namespace {

class GuidanceWindowTest : public WindowFixture {
protected:
    QLabel* Label(const char* name) { return Window->findChild<QLabel*>(QLatin1String(name)); }
    QByteArray Bytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace

TEST_F(GuidanceWindowTest, AnEmptyWindowSaysHowToBeginAndTheStatusBarFollowsThePointer) {
    TForm1Options options = TestWindowOptions(Ui, Properties, Dir);
    Window = std::make_unique<TForm1>(options);
    Window->resize(900, 600);
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    EXPECT_TRUE(Window->Lanes().EmptyHintText().contains(QStringLiteral("File > New Project")));
    Menus().Deutsch1->trigger();
    EXPECT_TRUE(Window->Lanes().EmptyHintText().contains(QStringLiteral("Datei > Neues Projekt")));
    // The hint is painted in the empty area: some of its pixels differ from the background.
    const QImage empty = Lanes()->grab().toImage();
    const QColor background = empty.pixelColor(2, 2);
    int inked = 0;
    for (int y = 0; y < empty.height(); ++y)
        for (int x = 0; x < empty.width(); ++x)
            inked += empty.pixelColor(x, y) != background;
    EXPECT_GT(inked, 100);
    Menus().English1->trigger();

    const QString song = Dir.filePath(QStringLiteral("song.mp3"));
    ASSERT_TRUE(QFile::copy(FixturePath("song_10s.mp3"), song));
    Ui.SongAnswers.push_back(song);
    Menus().New2->trigger();
    Menus().New1->trigger();
    QTest::mouseMove(Lanes(), QPoint(200, 10));
    const auto ms = static_cast<std::int64_t>(TimeAxis::MsOfX(
        200 + Window->ViewScroll().HorizontalOffset(), Window->Geometry().HorzZoom()));
    EXPECT_EQ(Label("PointerReadOut")->text(),
              QStringLiteral("Pointer: ") + Transport::FormatTime(ms));
}

TEST_F(GuidanceWindowTest, AnExportShowsTheFileItWroteAndExportToWritesWhereChosen) {
    ASSERT_NO_FATAL_FAILURE(OpenWindow({.Tracks = 1}));
    Doc().SetSlot(1, 2, 255);
    Menus().CreateSeqFile1->trigger();
    const QString beside = Dir.filePath(QStringLiteral("song.seq"));
    EXPECT_EQ(QFileInfo(beside).size(), 65536);
    EXPECT_EQ(Label("NoticeReadOut")->text(),
              QStringLiteral("Written: ") + QDir::toNativeSeparators(beside));

    ASSERT_TRUE(QDir(Dir.path()).mkdir(QStringLiteral("usb")));
    const QString chosen = Dir.filePath(QStringLiteral("usb/gala.seq"));
    Ui.SequenceAnswers.push_back(chosen);
    Menus().ExportTo1->trigger();
    EXPECT_EQ(Ui.Texts(Kind::ChooseSequenceFile).last(), beside);
    EXPECT_EQ(Bytes(chosen), Bytes(beside));
    EXPECT_EQ(Label("NoticeReadOut")->text(),
              QStringLiteral("Written: ") + QDir::toNativeSeparators(chosen));
    // Cancelled: nothing written, nothing said.
    Ui.SequenceAnswers.push_back(std::nullopt);
    Label("NoticeReadOut")->clear();
    Menus().ExportTo1->trigger();
    EXPECT_TRUE(Label("NoticeReadOut")->text().isEmpty());
}

TEST_F(GuidanceWindowTest, TheShortcutsListEveryMenuKeyAndTheOthersInTheLanguageShown) {
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    Menus().Deutsch1->trigger();
    Menus().Shortcuts1->trigger();
    auto* dialog = Window->findChild<QDialog*>(QStringLiteral("ShortcutsDialog"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Tastenkürzel"));
    auto* table = dialog->findChild<QTableWidget*>(QStringLiteral("ShortcutsTable"));
    ASSERT_NE(table, nullptr);
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row)
        rows << table->item(row, 0)->text() + QStringLiteral(" = ") + table->item(row, 1)->text();
    auto listed = [&rows](const QKeySequence& keys, const QString& command) {
        return rows.contains(keys.toString(QKeySequence::NativeText) + QStringLiteral(" = ") +
                             command);
    };
    EXPECT_TRUE(listed(QKeySequence(Qt::CTRL | Qt::Key_S), QStringLiteral("Datei > Speichern")))
        << rows.join('\n').toStdString();
    EXPECT_TRUE(
        listed(QKeySequence(Qt::SHIFT | Qt::Key_F9), QStringLiteral("Datei > Exportieren nach")));
    EXPECT_TRUE(listed(QKeySequence(Qt::Key_M), QStringLiteral("Marken > Marke hinzufügen")));
    EXPECT_TRUE(
        listed(QKeySequence(Qt::Key_Space), QStringLiteral("Lied abspielen oder anhalten")));
    EXPECT_TRUE(rows.filter(QStringLiteral("beim Zeichnen löschen")).size() == 1);
    // Every key of every menu entry is listed.
    for (QMenu* menu : Window->findChildren<QMenu*>()) {
        for (QAction* action : menu->actions()) {
            if (action->menu() || action->shortcut().isEmpty() || action->text().isEmpty())
                continue;
            const QString keys = action->shortcut().toString(QKeySequence::NativeText);
            EXPECT_FALSE(rows.filter(keys).isEmpty()) << keys.toStdString();
        }
    }
}

TEST_F(GuidanceWindowTest, ASongThatNoLongerDecodesIsReplacedAndMarksPastTheEndCanBeDeleted) {
    ASSERT_NO_FATAL_FAILURE(OpenWindow({.Tracks = 1}));
    Doc().SetSlot(1, 7, 200);
    Doc().AddMark(2000, QStringLiteral("Verse"));
    Doc().AddMark(9500, QStringLiteral("Coda"));
    const QString project = Dir.filePath(QStringLiteral("show.PRJ"));
    Ui.SaveAnswers.push_back(project);
    Menus().SaveAs1->trigger();
    ASSERT_FALSE(Doc().Modified());

    // The song gets 4 KB of zeros in its middle; a shorter song is chosen in its place.
    const QString song = Dir.filePath(QStringLiteral("song.mp3"));
    QByteArray damaged = Bytes(song);
    damaged.replace(damaged.size() / 2, 4096, QByteArray(4096, '\0'));
    QFile file(song);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(damaged);
    // Damaged later than its waveform was made, as on a real disk.
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(3600),
                                 QFileDevice::FileModificationTime));
    file.close();
    const QString shorter = Dir.filePath(QStringLiteral("shorter.mp3"));
    ASSERT_TRUE(QFile::copy(FixturePath("song_mono.mp3"), shorter)); // 5 s

    Ui.Events.clear();
    Ui.ProjectAnswers.push_back(project);
    Ui.SongAnswers.push_back(shorter);
    Menus().Open1->trigger();
    ASSERT_EQ(Ui.Texts(Kind::ChooseSong).size(), 1)
        << Ui.Texts(Kind::Warning).join('|').toStdString()
        << Ui.Texts(Kind::ReportError).join('|').toStdString();
    EXPECT_EQ(Doc().Project().Mp3FileName, shorter);
    EXPECT_TRUE(Doc().Modified());
    ASSERT_EQ(Doc().TrackCount(), 1);
    EXPECT_EQ(Value(1, 7), 200);
    EXPECT_TRUE(
        Ui.Texts(Kind::Warning).filter(QStringLiteral("of your project cannot be used")).size() ==
        1);
    EXPECT_TRUE(Ui.Texts(Kind::Warning).filter(QStringLiteral("past the end of the song")).size() ==
                1);

    // The Marks menu lists the mark past the end and deletes it, one undo step.
    TMarksMenu& marks = Window->Marks().Menu();
    Q_EMIT marks.Marks1->aboutToShow();
    ASSERT_TRUE(marks.PastEnd1->menuAction()->isVisible());
    QStringList listed;
    for (QAction* action : marks.PastEnd1->actions())
        listed << action->text();
    EXPECT_EQ(listed.filter(QStringLiteral("Coda")).size(), 1);
    EXPECT_EQ(listed.filter(QStringLiteral("Verse")).size(), 0);
    marks.DeletePastEnd1->trigger();
    ASSERT_EQ(Doc().Marks().size(), 1);
    EXPECT_EQ(Doc().Marks()[0].Name, QStringLiteral("Verse"));
    Menus().Undo1->trigger();
    EXPECT_EQ(Doc().Marks().size(), 2);
}

TEST_F(GuidanceWindowTest, TheLastProjectIsKeptByItsFullPath) {
    ASSERT_NO_FATAL_FAILURE(OpenWindow({.Tracks = 1}));
    const QString project = Dir.filePath(QStringLiteral("show.PRJ"));
    Ui.SaveAnswers.push_back(project);
    Menus().SaveAs1->trigger();
    // Opened by a name relative to the working folder, as from a command line.
    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Dir.path()));
    Window->Lifecycle().OpenProjectByName(QStringLiteral("show.PRJ"));
    ASSERT_TRUE(QDir::setCurrent(current));
    EXPECT_EQ(Doc().ProjectFileName, project);
    Window->close();
    const TSettingsReadResult read =
        ReadSettings(Dir.filePath(QStringLiteral("LumivoxEditor.cfg")), TSettings{}, {});
    EXPECT_EQ(read.Settings.LastProject, project);
}
