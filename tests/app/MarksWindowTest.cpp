// The show's marks in the real window: M tapped while the song plays on a manual clock, the
// Marks menu, the ruler's mouse editing and its pop-up menus, undo of each edit, and the
// marks file written by Save and read by Open.
#include "app/MainWindow.h"
#include "app/MarksMenu.h"
#include "editing/TimelineScroll.h"
#include "persistence/MarksFile.h"
#include "support/widgets/WindowFixture.h"
#include "timeline/RulerView.h"
#include "timeline/TimelineStyle.h"
#include "timeline/TimingMarks.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace lumivox;
using namespace lumivox::test;
using namespace std::chrono_literals;

namespace {

class MarksWindowTest : public WindowFixture {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(OpenWindow({.OnManualClock = true})); }

    std::vector<int> Times() {
        std::vector<int> times;
        for (const TShowMark& mark : Doc().Marks())
            times.push_back(mark.Ms);
        return times;
    }
    RulerView& Ruler() { return Window->Ruler(); }
    // The ruler's view x of a time.
    int ViewX(int ms) {
        return static_cast<int>(Ruler().ColumnOf(ms) - Window->ViewScroll().HorizontalOffset());
    }
    void Mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, pos, Ruler().mapToGlobal(pos), button, held, Qt::NoModifier);
        QApplication::sendEvent(&Ruler(), &event);
    }
    void ContextMenu(QPoint pos) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, Ruler().mapToGlobal(pos));
        QApplication::sendEvent(&Ruler(), &event);
    }
    TMarksMenu& MarkMenus() { return Window->Marks().Menu(); }
};

} // namespace

TEST_F(MarksWindowTest, MTappedWhilePlayingDropsMarksWhereTheSongWasHeard) {
    QTest::mouseClick(Button("SpeedButton6"), Qt::LeftButton); // Play
    ASSERT_TRUE(Window->SongPlaying());
    PlayUntil(1000);
    QTest::keyClick(Window.get(), Qt::Key_M);
    PlayUntil(2500);
    QTest::keyClick(Window.get(), Qt::Key_M);
    // Song time the window has not shown yet: the tap takes the time heard now, not the
    // cursor's last place.
    Clock.Advance(std::chrono::microseconds(300'100));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Window->Player().PositionMs() >= 2800; }, 20000));
    MarkMenus().AddMark1->trigger();
    EXPECT_EQ(Times(), (std::vector<int>{1000, 2500, 2800}));
    EXPECT_EQ(Doc().Marks()[0].Name, QStringLiteral("1"));
    EXPECT_EQ(Doc().Marks()[2].Name, QStringLiteral("3"));
    EXPECT_TRUE(Doc().Modified());

    // Paused, M marks the play cursor.
    QTest::keyClick(Window.get(), Qt::Key_Space);
    ASSERT_FALSE(Window->SongPlaying());
    const std::int64_t cursor = Window->Player().PositionMs();
    QTest::keyClick(Window.get(), Qt::Key_M);
    EXPECT_EQ(Doc().Marks().size(), 4);
    EXPECT_EQ(Doc().Marks()[3].Ms, cursor);

    // Each tap is one undo step.
    Menus().Undo1->trigger();
    EXPECT_EQ(Times(), (std::vector<int>{1000, 2500, 2800}));
    Menus().Undo1->trigger();
    Menus().Undo1->trigger();
    EXPECT_EQ(Times(), (std::vector<int>{1000}));
    Menus().Redo1->trigger();
    EXPECT_EQ(Times(), (std::vector<int>{1000, 2500}));

    // The Marks menu's Rename and Delete act on the mark at the play cursor.
    Window->Motion().LocateMs(2500);
    ASSERT_EQ(Window->Marks().MarkAtCursor(), 1);
    Ui.TextAnswers.push_back(QStringLiteral("Chorus"));
    MarkMenus().RenameMark1->trigger();
    EXPECT_EQ(Doc().Marks()[1].Name, QStringLiteral("Chorus"));
    MarkMenus().DeleteMark1->trigger();
    EXPECT_EQ(Times(), (std::vector<int>{1000}));
    EXPECT_EQ(Window->Marks().MarkAtCursor(), -1);
    MarkMenus().DeleteMark1->trigger(); // nothing there: nothing happens
    EXPECT_EQ(Times(), (std::vector<int>{1000}));
}

TEST_F(MarksWindowTest, TheRulerAddsMovesRenamesAndDeletesMarksWithTheMouse) {
    const int historyAtStart = Window->EditHistory().Count();
    // A double click adds a mark at the time under the pointer.
    QTest::mouseDClick(&Ruler(), Qt::LeftButton, {}, QPoint(200, 6));
    ASSERT_EQ(Doc().Marks().size(), 1);
    const int first = Doc().Marks()[0].Ms;
    EXPECT_EQ(first, Ruler().MsAtColumn(200 + Window->ViewScroll().HorizontalOffset()));
    EXPECT_EQ(Window->EditHistory().Count(), historyAtStart + 1);

    // Dragging the flag moves the mark once, when it is let go; the press does not locate.
    const std::int64_t cue = Window->Motion().CuePosition();
    const QPoint grab(ViewX(first) + 3, 6);
    Mouse(QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
    for (int dx = 10; dx <= 100; dx += 10)
        Mouse(QEvent::MouseMove, grab + QPoint(dx, 0), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(Doc().Marks()[0].Ms, first); // not yet
    EXPECT_EQ(Ruler().DraggedMark(), 0);
    Mouse(QEvent::MouseButtonRelease, grab + QPoint(100, 0), Qt::LeftButton, Qt::NoButton);
    const int moved = Doc().Marks()[0].Ms;
    EXPECT_EQ(moved, Ruler().MsAtColumn(Ruler().ColumnOf(first) + 100));
    EXPECT_EQ(Window->Motion().CuePosition(), cue);
    EXPECT_EQ(Window->EditHistory().Count(), historyAtStart + 2);
    Menus().Undo1->trigger();
    EXPECT_EQ(Times(), (std::vector<int>{first}));
    Menus().Redo1->trigger();
    EXPECT_EQ(Times(), (std::vector<int>{moved}));

    // The flag's menu renames (through the text question) and deletes.
    ContextMenu(QPoint(ViewX(moved) + 4, 5));
    ASSERT_TRUE(MarkMenus().PopupMenu6->isVisible());
    MarkMenus().PopupMenu6->close();
    Ui.TextAnswers.push_back(QStringLiteral("Big hit"));
    MarkMenus().RenameMark2->trigger();
    EXPECT_EQ(Doc().Marks()[0].Name, QStringLiteral("Big hit"));
    Menus().Undo1->trigger();
    EXPECT_EQ(Doc().Marks()[0].Name, QStringLiteral("1"));
    Menus().Redo1->trigger();
    // A double click on the flag renames it too.
    Ui.TextAnswers.push_back(QStringLiteral("Bigger hit"));
    QTest::mouseDClick(&Ruler(), Qt::LeftButton, {}, QPoint(ViewX(moved) + 4, 5));
    EXPECT_EQ(Doc().Marks()[0].Name, QStringLiteral("Bigger hit"));
    EXPECT_EQ(Doc().Marks().size(), 1);

    // Off the flags, the menu adds a mark at the time under the pointer.
    ContextMenu(QPoint(600, 5));
    ASSERT_TRUE(MarkMenus().PopupMenu7->isVisible());
    MarkMenus().PopupMenu7->close();
    MarkMenus().AddMarkHere1->trigger();
    ASSERT_EQ(Doc().Marks().size(), 2);
    EXPECT_EQ(Doc().Marks()[1].Ms,
              Ruler().MsAtColumn(600 + Window->ViewScroll().HorizontalOffset()));

    ContextMenu(QPoint(ViewX(moved) + 4, 5));
    MarkMenus().PopupMenu6->close();
    MarkMenus().DeleteMark2->trigger();
    ASSERT_EQ(Doc().Marks().size(), 1);
    EXPECT_NE(Doc().Marks()[0].Ms, moved);
    Menus().Undo1->trigger();
    EXPECT_EQ(Doc().Marks().size(), 2);

    // A press on the ruler off the flags still locates.
    QTest::mouseClick(&Ruler(), Qt::LeftButton, {}, QPoint(400, 40));
    EXPECT_NEAR(Ruler().CueX() - Window->ViewScroll().HorizontalOffset(), 400, 1);
}

TEST_F(MarksWindowTest, SaveWritesTheMarksFileAndOpenReadsItBackOrRefusesADamagedOne) {
    Doc().AddMark(1200, QStringLiteral("Intro"));
    Doc().AddMark(4000, QString());
    Doc().SetModified(true);
    const QString project = Dir.filePath(QStringLiteral("show.PRJ"));
    Ui.SaveAnswers.push_back(project);
    Menus().SaveAs1->trigger();
    ASSERT_TRUE(QFile::exists(project));
    QFile file(MarksPathOf(project));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("1200 Intro\n4000 \n"));
    file.close();

    // New clears the marks; Open reads them, with nothing to undo.
    Ui.SongAnswers.push_back(Dir.filePath(QStringLiteral("song.mp3")));
    Menus().New2->trigger();
    EXPECT_TRUE(Doc().Marks().empty());
    Ui.ConfirmAnswers.push_back(false);
    Ui.ProjectAnswers.push_back(project);
    Menus().Open1->trigger();
    ASSERT_EQ(Doc().Marks().size(), 2);
    EXPECT_EQ(Doc().Marks()[0].Name, QStringLiteral("Intro"));
    EXPECT_FALSE(Window->EditHistory().CanUndo());
    EXPECT_FALSE(Doc().Modified());

    // A damaged file: a warning naming it and its line; the project opens without marks, and
    // the file stays as it is, the only copy of those marks.
    const QByteArray damaged("1200 Intro\nnot a mark\n");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(damaged);
    file.close();
    Ui.Events.clear();
    Ui.ProjectAnswers.push_back(project);
    Menus().Open1->trigger();
    EXPECT_TRUE(Doc().Marks().empty());
    EXPECT_EQ(Doc().ProjectFileName, project);
    const QString marksPath = MarksPathOf(project);
    const QStringList warnings = Ui.Texts(ScriptedUserInterface::Event::Warning);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0],
              Text(TextTable::FileText, FileText::MarksKept, Language::English)
                  .arg(QDir::toNativeSeparators(marksPath))
                  .arg(2)
                  .arg(Text(TextTable::MarksText, MarksText::NotATime, Language::English),
                       QDir::toNativeSeparators(marksPath + QStringLiteral(".bak"))));
    auto bytes = [](const QString& path) {
        QFile read(path);
        return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray();
    };
    // A save of other changes leaves it; the first mark made puts it aside before the new
    // marks are written.
    Window->Document().SetProjectName(QStringLiteral("Renamed"));
    Window->Document().SetModified(true);
    Menus().Save1->trigger();
    EXPECT_FALSE(Doc().Modified());
    EXPECT_EQ(bytes(marksPath), damaged);
    Doc().AddMark(500, QStringLiteral("New"));
    Doc().SetModified(true);
    Menus().Save1->trigger();
    EXPECT_EQ(bytes(marksPath + QStringLiteral(".bak")), damaged);
    EXPECT_EQ(bytes(marksPath), QByteArray("500 New\n"));

    // The menu follows the language.
    Menus().French1->trigger();
    EXPECT_EQ(MarkMenus().Marks1->title(), QStringLiteral("Repères"));
}

namespace {

class BeatsOnTheRulerTest : public WindowFixture {};

} // namespace

TEST_F(BeatsOnTheRulerTest, TheBeatsFoundInTheSongAreTicksOnTheRulerWithTheBarsStronger) {
    ASSERT_NO_FATAL_FAILURE(OpenWindow({.Song = "clicks_120.mp3"}));
    const TSongBeats& found = Window->Songs().SongBeats().Beats();
    ASSERT_GT(found.BeatsMs.size(), 8u);
    ASSERT_GT(found.TempoBpm, 0);
    Window->Ruler().repaint();
    const QImage image = Window->Ruler().grab().toImage();
    const std::int64_t offset = Window->ViewScroll().HorizontalOffset();
    auto colorAt = [&](double ms, int row) {
        const int x = static_cast<int>(Window->Ruler().ColumnOf(ms) - offset);
        return image.pixelColor(x, row);
    };
    for (std::size_t i = 0; i < 8; ++i) {
        const double ms = found.BeatsMs[i];
        EXPECT_EQ(colorAt(ms, RulerBaselineY - 1),
                  ToQColor(i % 4 == 0 ? BarTickColor : BeatTickColor))
            << i;
    }
    EXPECT_GT(Window->Ruler().PaintStats().Beats, 0);
}
