// The timeline's place in the real main window: Ctrl+wheel zooms around the pointer, Shift
// and the header column's wheel scroll, edits and undo keep the view, Zoom to fit, the play
// cursor's keys and its line across the lanes, and drawing into the song's last cell.
#include "app/MainWindow.h"
#include "app/TrackHeaderColumn.h"
#include "editing/BlockOperations.h"
#include "editing/TimelineScroll.h"
#include "support/ScriptedUserInterface.h"
#include "support/widgets/WindowFixture.h"
#include "timeline/LanesView.h"
#include "timeline/RulerView.h"
#include "timeline/TimelineStyle.h"
#include "timeline/TrackHeader.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace lumivox;
using lumivox::test::ScriptedUserInterface;
using lumivox::test::WindowFixture;
using Kind = ScriptedUserInterface::Event;

namespace {

class TimelineViewWindowTest : public WindowFixture {
protected:
    // A new project over the 60.05 s song (5,167 pixels at level 13) with `tracks` tracks.
    void Open(int tracks) { OpenWindow({.Song = "song_60_05s.mp3", .Tracks = tracks}); }

    TimelineScroll& Scroll() { return Window->ViewScroll(); }
    QWidget* Headers() { return Window->findChild<QWidget*>(QStringLiteral("ScrollBox3")); }
    // The time at the middle of view pixel `x`.
    double TimeAt(int x) {
        return static_cast<double>(
            TimeAxis::MsOfX(static_cast<long double>(Scroll().HorizontalOffset() + x) + 0.5L,
                            Window->Geometry().HorzZoom()));
    }
    // A wheel turn over `at` of `widget`. (A synthesized wheel event does not travel up to
    // the parents, so a turn over a header is sent to the column the header ignores it to.)
    static void Wheel(QWidget* widget, QPoint at, int angle, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget, &event);
    }
};

TEST_F(TimelineViewWindowTest, CtrlWheelZoomsAroundThePointerAndShiftWheelScrollsInTime) {
    Open(1);
    Scroll().SetHorizontalOffset(1000);
    const double time = TimeAt(300);
    Wheel(Lanes(), QPoint(300, 20), 120, Qt::ControlModifier);
    EXPECT_EQ(Window->Geometry().HorzZoom(), 14);
    EXPECT_EQ(Scroll().ContentWidth(), Window->Geometry().ContentWidth());
    EXPECT_EQ(Window->Lanes().horizontalScrollBar()->maximum(), Scroll().MaxHorizontalOffset());
    EXPECT_LE(std::abs(TimeAt(300) - time), static_cast<double>(TimeAxis::MsOfX(1, 13)));
    // Two notches out over the ruler, around its own x: the same time stays under it.
    const double rulerTime = TimeAt(500);
    Wheel(&Window->Ruler(), QPoint(500, 40), -240, Qt::ControlModifier);
    EXPECT_EQ(Window->Geometry().HorzZoom(), 12);
    EXPECT_LE(std::abs(TimeAt(500) - rulerTime), static_cast<double>(TimeAxis::MsOfX(1, 12)));
    // Half a notch (a touchpad) waits for the other half.
    Wheel(Lanes(), QPoint(300, 20), 60, Qt::ControlModifier);
    EXPECT_EQ(Window->Geometry().HorzZoom(), 12);
    Wheel(Lanes(), QPoint(300, 20), 60, Qt::ControlModifier);
    EXPECT_EQ(Window->Geometry().HorzZoom(), 13);

    // Shift+wheel: time, not tracks.
    const std::int64_t offset = Scroll().HorizontalOffset();
    Wheel(Lanes(), QPoint(300, 20), -120, Qt::ShiftModifier);
    EXPECT_EQ(Scroll().HorizontalOffset(), offset + 60);
    EXPECT_EQ(Scroll().VerticalOffset(), 0);
    Wheel(&Window->Ruler(), QPoint(10, 10), 120, Qt::ShiftModifier);
    EXPECT_EQ(Scroll().HorizontalOffset(), offset);
    // The toolbar's buttons zoom around the play cursor when it is in view.
    Window->Motion().LocateMs(20000);
    const std::int64_t cursorViewX = Window->Ruler().PlayCursorX() - Scroll().HorizontalOffset();
    ASSERT_GE(cursorViewX, 0);
    ASSERT_LT(cursorViewX, Scroll().ViewWidth());
    Window->findChild<QToolButton*>(QStringLiteral("SpeedButton4"))->click();
    EXPECT_EQ(Window->Geometry().HorzZoom(), 14);
    EXPECT_NEAR(static_cast<double>(Window->Ruler().PlayCursorX() - Scroll().HorizontalOffset()),
                static_cast<double>(cursorViewX), 1.0);
    EXPECT_EQ(Window->Lanes().PlayCursorX(), Window->Ruler().PlayCursorX());
}

TEST_F(TimelineViewWindowTest, TheHeaderColumnsWheelScrollsTheTracksAsTheLanesDo) {
    Open(15);
    Scroll().SetVerticalOffset(0);
    Wheel(Lanes(), QPoint(300, 20), -120, Qt::NoModifier);
    const std::int64_t step = Scroll().VerticalOffset();
    ASSERT_GT(step, 0);
    Scroll().SetVerticalOffset(0);
    // Over the headers the column passes it to the lanes.
    Wheel(Headers(), QPoint(20, 20), -120, Qt::NoModifier);
    EXPECT_EQ(Scroll().VerticalOffset(), step);
    Wheel(Headers(), QPoint(20, 20), 120, Qt::NoModifier);
    EXPECT_EQ(Scroll().VerticalOffset(), 0);
    // Ctrl over the headers zooms about the left edge (no cursor in view after End).
    Window->Motion().GoToEnd();
    Scroll().SetHorizontalOffset(0);
    Wheel(Headers(), QPoint(20, 20), 120, Qt::ControlModifier);
    EXPECT_EQ(Window->Geometry().HorzZoom(), 14);
    EXPECT_EQ(Scroll().HorizontalOffset(), 0);
}

TEST_F(TimelineViewWindowTest, EditsUndoAndRowHeightsKeepTheView) {
    Open(20);
    TMainMenus& m = Window->Menus();
    Scroll().ScrollTo(1500, 300);
    ASSERT_EQ(Scroll().HorizontalOffset(), 1500);
    ASSERT_EQ(Scroll().VerticalOffset(), 300);
    auto expectView = [this](std::int64_t x, std::int64_t y, const char* after) {
        EXPECT_EQ(Scroll().HorizontalOffset(), x) << after;
        EXPECT_EQ(Scroll().VerticalOffset(), y) << after;
        EXPECT_EQ(Window->Lanes().horizontalScrollBar()->value(), x) << after;
        EXPECT_EQ(Window->Lanes().verticalScrollBar()->value(), y) << after;
    };
    Window->Commands().HeaderPress(2, Qt::LeftButton, TModifierKey::None);
    m.Copier1->trigger();
    m.Coller1->trigger();
    ASSERT_EQ(Window->Document().TrackCount(), 21);
    expectView(1500, 300, "paste");
    m.Undo1->trigger();
    ASSERT_EQ(Window->Document().TrackCount(), 20);
    expectView(1500, 300, "undo");
    m.Redo1->trigger();
    expectView(1500, 300, "redo");
    m.Couper1->trigger();
    expectView(1500, 300, "cut");
    Window->Commands().HeaderPress(3, Qt::LeftButton, TModifierKey::None);
    Ui.ConfirmAnswers.push_back(true);
    m.Delete1->trigger();
    ASSERT_EQ(Window->Document().TrackCount(), 19);
    expectView(1500, 300, "delete");
    // The header column stands where the lanes do.
    const TFrame2* first = Window->HeaderColumn().Frame(5);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->mapTo(Headers(), QPoint(0, 0)).y(), 4 * 73 - 300);
    // Flatter rows: the track at the top (row 300 of 73-pixel rows, track 5) stays there.
    Window->findChild<QToolButton*>(QStringLiteral("SpeedButton12"))->click();
    expectView(1500, 300 * 41 / 73, "flatter rows");
    // Deleting most tracks clamps the view to what is left.
    for (int k = 1; k <= 17; ++k)
        Window->Document().SetSelected(k, true);
    Ui.ConfirmAnswers.push_back(true);
    m.Delete1->trigger();
    ASSERT_EQ(Window->Document().TrackCount(), 2);
    expectView(1500, 0, "delete to two tracks");
}

TEST_F(TimelineViewWindowTest, ZoomToFitFromTheViewMenuAndItsKey) {
    Open(1);
    TMainMenus& m = Window->Menus();
    Scroll().SetHorizontalOffset(2000);
    m.ZoomToFit1->trigger();
    const int level = Window->Geometry().HorzZoom();
    EXPECT_EQ(level, TimeAxis::LevelToFit(Window->Player().LengthMs(), Scroll().ViewWidth()));
    EXPECT_LE(Scroll().ContentWidth(), Scroll().ViewWidth());
    EXPECT_EQ(Scroll().HorizontalOffset(), 0);
    EXPECT_EQ(Window->findChild<QLabel*>(QStringLiteral("StaticText5"))->text(),
              QStringLiteral("x %1").arg(16 - level));
    // Its key, from anywhere in the window; and the zoom keys of the same menu.
    m.HorizontalZoomIn1->trigger();
    EXPECT_EQ(Window->Geometry().HorzZoom(), level + 1);
    EXPECT_EQ(m.ZoomToFit1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_0));
    QTest::keyClick(Window.get(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(Window->Geometry().HorzZoom(), level);
    m.HorizontalZoomOut1->trigger();
    EXPECT_EQ(Window->Geometry().HorzZoom(), level - 1);
    // The menu speaks the window's language.
    Window->SetLanguage(Language::German);
    EXPECT_EQ(m.View1->title(), QStringLiteral("Ansicht"));
    EXPECT_EQ(m.ZoomToFit1->text(), QStringLiteral("Ganzen Song einpassen"));
    Window->SetLanguage(Language::French);
    EXPECT_EQ(m.View1->title(), QStringLiteral("Affichage"));
    EXPECT_EQ(m.HorizontalZoomIn1->text(), QStringLiteral("Zoom Horizontal +"));
}

TEST_F(TimelineViewWindowTest, ZoomToSelectionFitsTheRangeAtTheFinestLevel) {
    Open(3);
    TMainMenus& m = Window->Menus();
    EXPECT_FALSE(m.ZoomToSelection1->isEnabled());
    for (const auto& [first, last] :
         {std::pair{101, 160}, std::pair{20, 400}, std::pair{550, 599}}) {
        Window->Selection().Select(TRangeSelection{1, 2, first, last});
        ASSERT_TRUE(m.ZoomToSelection1->isEnabled());
        m.ZoomToSelection1->trigger();
        const TimelineGeometry& g = Window->Geometry();
        const std::int64_t x0 = g.SlotX(first - 1);
        const std::int64_t x1 = g.SlotX(last);
        // The whole range is in the view...
        EXPECT_GE(x0, Scroll().HorizontalOffset()) << first;
        EXPECT_LE(x1, Scroll().HorizontalOffset() + Scroll().ViewWidth()) << first;
        // ...and one level finer it would not be.
        if (g.HorzZoom() < TimelineGeometry::MaxHorzZoom) {
            TimelineGeometry finer = g;
            finer.SetHorzZoom(g.HorzZoom() + 1);
            EXPECT_GT(finer.SlotX(last) - finer.SlotX(first - 1), Scroll().ViewWidth()) << first;
        }
    }
    // Its key, and its text in the window's language.
    Window->Selection().Select(TRangeSelection{1, 1, 101, 160});
    m.ZoomToFit1->trigger();
    const int fit = Window->Geometry().HorzZoom();
    QTest::keyClick(Window.get(), Qt::Key_Z);
    EXPECT_GT(Window->Geometry().HorzZoom(), fit);
    Window->SetLanguage(Language::German);
    EXPECT_EQ(m.ZoomToSelection1->text(), QStringLiteral("Auswahl einpassen"));
    Window->Selection().Clear();
    EXPECT_FALSE(m.ZoomToSelection1->isEnabled());
}

TEST_F(TimelineViewWindowTest, HomeEndAndTheArrowsMoveThePlayCursorAndTheViewFollows) {
    Open(3);
    Transport& t = Window->Motion();
    const std::int64_t width = Scroll().ContentWidth();
    QTest::keyClick(Window.get(), Qt::Key_End);
    EXPECT_EQ(t.CuePosition(), Window->Player().LengthMs());
    EXPECT_EQ(Window->Lanes().PlayCursorX(), width);
    EXPECT_EQ(Scroll().HorizontalOffset(), Scroll().MaxHorizontalOffset());
    // The line stands across the lanes on the timeline's last column.
    QApplication::processEvents();
    QImage lanes = Lanes()->grab().toImage();
    const int endX = static_cast<int>(width - 1 - Scroll().HorizontalOffset());
    EXPECT_EQ(lanes.pixelColor(endX, 30), ToQColor(PlayCursorColor));
    EXPECT_EQ(lanes.pixelColor(endX, 3 * 73 - 2), ToQColor(PlayCursorColor));
    QTest::keyClick(Window.get(), Qt::Key_Home);
    EXPECT_EQ(t.CuePosition(), 0);
    EXPECT_EQ(Scroll().HorizontalOffset(), 0);
    // One cell is 100 ms at level 13, 500 ms at level 12.
    QTest::keyClick(Window.get(), Qt::Key_Right);
    QTest::keyClick(Window.get(), Qt::Key_Right);
    EXPECT_EQ(t.CuePosition(), 200);
    QTest::keyClick(Window.get(), Qt::Key_Left);
    EXPECT_EQ(t.CuePosition(), 100);
    Window->findChild<QToolButton*>(QStringLiteral("SpeedButton7"))->click();
    ASSERT_EQ(Window->Geometry().HorzZoom(), 12);
    QTest::keyClick(Window.get(), Qt::Key_Right);
    EXPECT_EQ(t.CuePosition(), 500);
    // Stepping on past the right edge scrolls just enough to keep the cursor in view.
    const int view = Scroll().ViewWidth();
    for (int k = 0; k < 100 && Scroll().HorizontalOffset() == 0; ++k)
        QTest::keyClick(Window.get(), Qt::Key_Right);
    const std::int64_t cursorX = Window->Lanes().PlayCursorX();
    EXPECT_GT(Scroll().HorizontalOffset(), 0);
    EXPECT_EQ(Scroll().HorizontalOffset(), cursorX - view + 1);
    // With a modifier the arrows are no cursor keys.
    const std::int64_t cue = t.CuePosition();
    QTest::keyClick(Window.get(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(t.CuePosition(), cue);
}

// The 60.05 s song holds 600 slots: the last cell is 50-60 s at level 7 (slots 501-600) and
// the whole song at level 3; before, neither could be reached.
TEST_F(TimelineViewWindowTest, DrawingIntoTheSongsLastCellWritesUpToItsLastSlot) {
    Open(1);
    ASSERT_EQ(Window->Document().SlotCount, 601);
    auto* zoomOut = Window->findChild<QToolButton*>(QStringLiteral("SpeedButton7"));
    struct Case {
        int Level;
        int FirstSlot;
    };
    for (const Case& c : {Case{7, 501}, Case{3, 1}}) {
        while (Window->Geometry().HorzZoom() > c.Level)
            zoomOut->click();
        ASSERT_EQ(Window->Geometry().HorzZoom(), c.Level);
        Window->Document().FillSlots(1, 1, 600, 0);
        const std::int64_t end = Window->Geometry().EditableEndX();
        const int x = static_cast<int>(end - 1 - Scroll().HorizontalOffset());
        ASSERT_GE(x, 0);
        QTest::mouseClick(Lanes(), Qt::LeftButton, {}, QPoint(x, 0));
        EXPECT_TRUE(Ui.Texts(Kind::Warning).isEmpty()) << c.Level;
        EXPECT_EQ(Value(1, c.FirstSlot), 255) << c.Level;
        EXPECT_EQ(Value(1, 600), 255) << c.Level;
        if (c.FirstSlot > 1) {
            EXPECT_EQ(Value(1, c.FirstSlot - 1), 0) << c.Level;
        }
        // The cell's bars show up to the timeline's end line.
        QApplication::processEvents();
        const QImage lanes = Lanes()->grab().toImage();
        EXPECT_EQ(lanes.pixelColor(x - 1, 40), ToQColor(Window->Document().Track(1).LaneColor))
            << c.Level;
    }
}

} // namespace
