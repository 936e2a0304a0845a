// Snapping in the real main window: the G key, the tool button and the preference; a
// selection drag whose edges land on the beats found in a click track, and Alt turning it
// over; the draw tool, Paste and a ruler press pulled onto a beat or a mark; Ctrl+Left and
// Ctrl+Right from mark to mark, also while playing; and Flash and Chase on beats, cell by
// cell, each undone in one step.
#include "app/MainWindow.h"
#include "editing/TimelineScroll.h"
#include "support/ClickTracks.h"
#include "support/widgets/WindowFixture.h"
#include "timeline/LanesView.h"
#include "timeline/RulerView.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

using namespace lumivox;
using namespace lumivox::test;

namespace {

constexpr int SlotMs = 100;

class SnapWindowTest : public WindowFixture {
protected:
    // Content x of a time in the lanes at the current level, and a row in `track`'s lane.
    int LaneX(double ms) const {
        return static_cast<int>(std::lround(
            ms * static_cast<double>(TimeAxis::PixelsPerMs(Window->Geometry().HorzZoom()))));
    }
    static int LaneY(int track) { return (track - 1) * 73 + 20; }
    // The slot under lane x, as the pointer alone picks it.
    int SlotAtX(int x) const { return Window->Lanes().SelectionCornerAt(QPoint(x, 0)).Slot; }
    static int SlotOf(double ms) { return static_cast<int>(std::llround(ms)) / SlotMs + 1; }
    // View x of the ruler for a time, on its own scale (the song across the timeline).
    int RulerX(double ms) {
        return static_cast<int>(
            std::lround(ms * static_cast<double>(Window->ViewScroll().ContentWidth()) /
                        static_cast<double>(Window->Player().LengthMs())));
    }
    // A left drag whose every event carries `modifiers`, as the held keys give them.
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mousePress(Lanes(), Qt::LeftButton, modifiers, from);
        for (const QPoint at : {(from + to) / 2, to}) {
            QMouseEvent move(QEvent::MouseMove, at, Lanes()->mapToGlobal(at), Qt::NoButton,
                             Qt::LeftButton, modifiers);
            QApplication::sendEvent(Lanes(), &move);
        }
        QTest::mouseRelease(Lanes(), Qt::LeftButton, modifiers, to);
    }
    void SetBeats(std::vector<double> beats) {
        Window->Songs().SongBeats().Set(Dir.filePath(QStringLiteral("song.mp3")),
                                        TSongBeats{120, std::move(beats), {}});
    }
    // Pixels from `ms` to put the pointer at, five either side, whichever the pointer alone
    // would place in another slot than `ms`'s; 0 when neither does.
    int OffsetLeavingTheSlot(double ms) const {
        for (const int dx : {5, -5})
            if (SlotAtX(LaneX(ms) + dx) != SlotOf(ms))
                return dx;
        return 0;
    }
    TRangeSelection Selected() { return Window->Selection().Range(); }
};

TEST_F(SnapWindowTest, SelectionEdgesSnapToTheBeatsOfAClickTrackAndAltTurnsItOver) {
    ASSERT_NO_FATAL_FAILURE(OpenWindow({.Song = "clicks_120.mp3", .Tracks = 2}));
    const TBeatFinder& finder = Window->Songs().SongBeats();
    ASSERT_TRUE(finder.HasBeats());
    // The beats found nearest the clicks at 4,250 and 5,750 ms, once the finder has locked on.
    auto near = [&finder](double click) {
        const std::vector<double>& beats = finder.Beats().BeatsMs;
        return *std::min_element(beats.begin(), beats.end(), [click](double a, double b) {
            return std::abs(a - click) < std::abs(b - click);
        });
    };
    const double first = near(Clicks120()[8]);
    const double last = near(Clicks120()[11]);
    ASSERT_NEAR(first, 4250, 30);
    ASSERT_NEAR(last, 5750, 30);
    const int firstDx = OffsetLeavingTheSlot(first);
    const int lastDx = OffsetLeavingTheSlot(last);
    ASSERT_NE(firstDx, 0);
    ASSERT_NE(lastDx, 0);
    const QPoint from(LaneX(first) + firstDx, LaneY(1));
    const QPoint to(LaneX(last) + lastDx, LaneY(2));

    // Off at first: the drag selects what lies under the pointer.
    QToolButton* snap = Button("SnapButton");
    ASSERT_NE(snap, nullptr);
    EXPECT_TRUE(snap->isVisible());
    EXPECT_FALSE(snap->isChecked());
    EXPECT_FALSE(Menus().Snap1->isChecked());
    QTest::keyClick(Window.get(), Qt::Key_S);
    Drag(from, to);
    const TRangeSelection loose{1, 2, SlotAtX(from.x()), SlotAtX(to.x())};
    EXPECT_EQ(Selected(), loose);

    // G turns it on: both edges land in the beats' slots.
    QTest::keyClick(Window.get(), Qt::Key_G);
    EXPECT_TRUE(Menus().Snap1->isChecked());
    EXPECT_TRUE(snap->isChecked());
    EXPECT_TRUE(Window->Marks().Guides().Enabled());
    Drag(from, to);
    EXPECT_EQ(Selected(), (TRangeSelection{1, 2, SlotOf(first), SlotOf(last)}));

    // Alt held turns it off for the drag; alone it would be the draw tool's key, so Shift
    // keeps the drag a selection.
    Drag(from, to, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(Selected(), loose);
    EXPECT_EQ(Value(1, SlotOf(first)), 0) << "nothing drawn";

    // Seven pixels away is too far.
    const QPoint far(LaneX(first) + (firstDx > 0 ? 7 : -7), LaneY(1));
    Drag(far, to);
    EXPECT_EQ(Selected().FirstSlot, SlotAtX(far.x()));
    EXPECT_EQ(Selected().LastSlot, SlotOf(last));

    // The button turns it off again, and the next window starts as this one was left.
    snap->click();
    EXPECT_FALSE(Menus().Snap1->isChecked());
    QTest::keyClick(Window.get(), Qt::Key_G);
    Window.reset();
    ASSERT_NO_FATAL_FAILURE(OpenWindow({.Tracks = 1}));
    EXPECT_TRUE(Menus().Snap1->isChecked());
    EXPECT_TRUE(Button("SnapButton")->isChecked());
}

TEST_F(SnapWindowTest, TheDrawToolAndPasteLandOnTheCellOfANearBeat) {
    ASSERT_NO_FATAL_FAILURE(OpenWindow({.Tracks = 2}));
    ASSERT_EQ(Window->Geometry().SlotsPerCell(), 1);
    SetBeats({1000, 2000, 3000});
    Menus().Snap1->trigger();
    ASSERT_TRUE(Window->Marks().Guides().Enabled());

    // 5 pixels before the beat at 2,000 ms lies in slot 20; the tool writes slot 21.
    const int x = LaneX(2000) - 5;
    ASSERT_EQ(SlotAtX(x), 20);
    QTest::mouseClick(Lanes(), Qt::LeftButton, {}, QPoint(x, LaneY(1)));
    EXPECT_GT(Value(1, 21), 0);
    EXPECT_EQ(Value(1, 20), 0);
    // With Alt the pointer's own cell.
    QTest::keyPress(Window.get(), Qt::Key_Alt);
    QTest::mouseClick(Lanes(), Qt::LeftButton, Qt::AltModifier, QPoint(x, LaneY(2)));
    QTest::keyRelease(Window.get(), Qt::Key_Alt);
    EXPECT_GT(Value(2, 20), 0);
    EXPECT_EQ(Value(2, 21), 0);

    // A block pasted at the pointer starts at the beat near it.
    Doc().SetSlot(1, 5, 77);
    Doc().SetSlot(1, 6, 88);
    Window->Selection().Select({1, 1, 5, 6});
    Menus().BlockCopy1->trigger();
    Window->Selection().Clear();
    const QPoint pointer(LaneX(3000) - 4, LaneY(2));
    ASSERT_EQ(SlotAtX(pointer.x()), 30);
    QTest::mouseMove(Lanes(), pointer);
    Menus().BlockPaste1->trigger();
    EXPECT_EQ(Value(2, 31), 77);
    EXPECT_EQ(Value(2, 32), 88);
    EXPECT_EQ(Selected(), (TRangeSelection{2, 2, 31, 32}));
}

TEST_F(SnapWindowTest, ARulerPressLocatesOntoABeatOrAMarkAndCtrlArrowsJumpFromMarkToMark) {
    ASSERT_NO_FATAL_FAILURE(OpenWindow({.Tracks = 1, .OnManualClock = true}));
    SetBeats({1000, 2000, 3000, 4000});
    Doc().SetMarks(TShowMarks({{3330, QStringLiteral("verse")}, {1500, {}}, {6000, {}}}));
    Button("SnapButton")->click();
    ASSERT_TRUE(Menus().Snap1->isChecked());
    QWidget* ruler = &Window->Ruler();

    QTest::mouseClick(ruler, Qt::LeftButton, {}, QPoint(RulerX(2000) + 4, 40));
    EXPECT_EQ(Window->Player().PositionMs(), 2000);
    QTest::mouseClick(ruler, Qt::LeftButton, {}, QPoint(RulerX(3330) - 4, 40));
    EXPECT_EQ(Window->Player().PositionMs(), 3330) << "the mark";
    // Far from every guide, or with Alt held, the press is where it is.
    QTest::mouseClick(ruler, Qt::LeftButton, {}, QPoint(RulerX(2500), 40));
    EXPECT_NEAR(static_cast<double>(Window->Player().PositionMs()), 2500, 15);
    QTest::keyPress(Window.get(), Qt::Key_Alt);
    QTest::mouseClick(ruler, Qt::LeftButton, Qt::AltModifier, QPoint(RulerX(2000) + 4, 40));
    QTest::keyRelease(Window.get(), Qt::Key_Alt);
    EXPECT_GT(Window->Player().PositionMs(), 2020);

    // From mark to mark with Ctrl and the arrows; past the last one nothing moves.
    EXPECT_TRUE(Menus().NextMark1->isEnabled());
    QTest::keyClick(Window.get(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(Window->Player().PositionMs(), 3330);
    QTest::keyClick(Window.get(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(Window->Player().PositionMs(), 6000);
    QTest::keyClick(Window.get(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(Window->Player().PositionMs(), 6000);
    QTest::keyClick(Window.get(), Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(Window->Player().PositionMs(), 3330);
    QTest::keyClick(Window.get(), Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(Window->Player().PositionMs(), 1500);

    // While playing the jump plays on from the mark; a jump back just after a mark goes to
    // the one before it.
    Window->Play();
    ASSERT_TRUE(Window->SongPlaying());
    ASSERT_NO_FATAL_FAILURE(PlayUntil(1600));
    QTest::keyClick(Window.get(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(Window->Player().PositionMs(), 3330);
    EXPECT_TRUE(Window->SongPlaying());
    ASSERT_NO_FATAL_FAILURE(PlayUntil(3400));
    QTest::keyClick(Window.get(), Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(Window->Player().PositionMs(), 1500);
    EXPECT_TRUE(Window->SongPlaying());
    Window->Pause();

    // Without marks the jumps are off.
    Doc().SetMarks({});
    EXPECT_FALSE(Menus().NextMark1->isEnabled());
    EXPECT_FALSE(Menus().PreviousMark1->isEnabled());
}

TEST_F(SnapWindowTest, FlashAndChaseOnBeatsWriteCellByCellAndUndoInOneStep) {
    ASSERT_NO_FATAL_FAILURE(OpenWindow({.Tracks = 3}));
    for (int track = 1; track <= 3; ++track)
        for (int slot = 1; slot <= 30; ++slot)
            Doc().SetSlot(track, slot, 40);
    Window->TakeSnapshot();
    // Beats in slots 3, 8, 13 and 18, and one past the selection.
    SetBeats({250, 750, 1299, 1750, 2650});
    Window->Selection().Select({1, 3, 2, 20});
    ASSERT_TRUE(Menus().BlockFlashBeats1->isEnabled());
    ASSERT_TRUE(Menus().BlockChaseBeats1->isEnabled());
    auto lit = [](int slot, std::initializer_list<int> from, int length) {
        for (const int beat : from)
            if (slot >= beat && slot < beat + length)
                return true;
        return false;
    };

    Ui.NumberAnswers.push_back(2);
    Menus().BlockFlashBeats1->trigger();
    for (int track = 1; track <= 3; ++track) {
        EXPECT_EQ(Value(track, 1), 40) << "before the selection";
        for (int slot = 2; slot <= 20; ++slot)
            EXPECT_EQ(Value(track, slot), lit(slot, {3, 8, 13, 18}, 2) ? 255 : 0)
                << track << ":" << slot;
        EXPECT_EQ(Value(track, 21), 40) << "after the selection";
    }
    Menus().Undo1->trigger();
    for (int track = 1; track <= 3; ++track)
        for (int slot = 1; slot <= 30; ++slot)
            ASSERT_EQ(Value(track, slot), 40) << track << ":" << slot;

    // Chase: beat k lights track k mod 3, for the one slot asked.
    Ui.NumberAnswers.push_back(1);
    Menus().BlockChaseBeats1->trigger();
    const std::array<std::initializer_list<int>, 3> beatsOf{{{3, 18}, {8}, {13}}};
    for (int track = 1; track <= 3; ++track)
        for (int slot = 2; slot <= 20; ++slot)
            EXPECT_EQ(Value(track, slot),
                      lit(slot, beatsOf[static_cast<std::size_t>(track - 1)], 1) ? 255 : 0)
                << track << ":" << slot;
    Menus().Undo1->trigger();
    EXPECT_EQ(Value(1, 3), 40);
    EXPECT_EQ(Value(2, 8), 40);
    EXPECT_EQ(Value(1, 4), 40);

    // With no beat in the selection the command says so and writes nothing; without beats
    // it is off, and run anyway it says why.
    Ui.Events.clear();
    Window->Selection().Select({1, 3, 21, 25});
    Menus().BlockFlashBeats1->trigger();
    EXPECT_EQ(Ui.Texts(ScriptedUserInterface::Event::Warning).size(), 1u);
    EXPECT_EQ(Value(1, 22), 40);
    SetBeats({});
    EXPECT_FALSE(Menus().BlockFlashBeats1->isEnabled());
    EXPECT_FALSE(Menus().BlockChaseBeats1->isEnabled());
    Ui.Events.clear();
    EXPECT_FALSE(Window->Blocks().ChaseOnBeats({}));
    EXPECT_EQ(Ui.Texts(ScriptedUserInterface::Event::Warning).size(), 1u);
    EXPECT_EQ(Value(1, 22), 40);
}

} // namespace
