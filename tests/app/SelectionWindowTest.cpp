// The time-range selection in the real main window: dragging it with the selection tool and
// with Shift, its band and status-bar read-out, growing it from the keyboard, the block
// commands from the Edit menu, the keys and the lanes' pop-up with their undo, and the play
// ranges on a manual clock.
#include "app/MainWindow.h"
#include "editing/TimelineScroll.h"
#include "support/ScriptedUserInterface.h"
#include "support/widgets/WindowFixture.h"
#include "timeline/LanesView.h"

#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace lumivox;
using namespace lumivox::test;
using namespace std::chrono_literals;

namespace {

class SelectionWindowTest : public WindowFixture {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OpenWindow({.Tracks = 3, .OnManualClock = true}));
    }

    // The middle of slot `slot` at 100 ms and level 13 (8.6133 pixels per slot), and a row
    // inside the lane of `track` (73 rows per track).
    static QPoint At(int track, int slot) {
        return {static_cast<int>((slot - 0.5) * 8.6133), (track - 1) * 73 + 20};
    }
    QString StatusText() {
        return Window->findChild<QLabel*>(QStringLiteral("SelectionReadOut"))->text();
    }
    // A left drag from one corner to the other, through the cells between.
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mousePress(Lanes(), Qt::LeftButton, modifiers, from);
        QTest::mouseMove(Lanes(), (from + to) / 2);
        QTest::mouseMove(Lanes(), to);
        QTest::mouseRelease(Lanes(), Qt::LeftButton, modifiers, to);
    }
    TRangeSelection Selected() { return Window->Selection().Range(); }
    void FillTrack(int track, int first, int last, std::uint8_t value) {
        for (int slot = first; slot <= last; ++slot)
            Doc().SetSlot(track, slot, value);
    }
};

TEST_F(SelectionWindowTest, TheSelectionToolDragsARangeThatTheBandAndStatusBarShow) {
    auto* tool = Window->findChild<QToolButton*>(QStringLiteral("SpeedButton8"));
    ASSERT_NE(tool, nullptr);
    EXPECT_TRUE(tool->isVisible());
    EXPECT_FALSE(Menus().BlockFill1->isEnabled());
    QTest::keyClick(Window.get(), Qt::Key_S);
    EXPECT_TRUE(tool->isChecked());
    EXPECT_EQ(Window->EditTools().EditTool(), TEditTool::None);

    const QImage before = Lanes()->grab().toImage();
    Drag(At(2, 8), At(1, 5)); // up and left: the range is the same
    EXPECT_EQ(Selected(), (TRangeSelection{1, 2, 5, 8}));
    for (int slot = 4; slot <= 9; ++slot)
        EXPECT_EQ(Value(1, slot), 0) << "a selection writes nothing";
    EXPECT_EQ(StatusText(),
              QStringLiteral("Selection: 00:00:00,400 to 00:00:00,800 (00:00:00,400)"));
    EXPECT_TRUE(Menus().BlockFill1->isEnabled());
    EXPECT_TRUE(Menus().Copier1->isEnabled()) << "Ctrl+C serves the block";

    // Tinted inside the band, unchanged outside it.
    const QImage after = Lanes()->grab().toImage();
    EXPECT_NE(after.pixelColor(At(1, 6)), before.pixelColor(At(1, 6)));
    EXPECT_NE(after.pixelColor(At(2, 7)), before.pixelColor(At(2, 7)));
    EXPECT_EQ(after.pixelColor(At(1, 12)), before.pixelColor(At(1, 12)));
    EXPECT_EQ(after.pixelColor(At(3, 6)), before.pixelColor(At(3, 6)));

    // The keyboard grows it by a cell and by a track; Escape clears it.
    QTest::keyClick(Window.get(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), (TRangeSelection{1, 2, 6, 8})) << "the moving corner is top-left";
    QTest::keyClick(Window.get(), Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), (TRangeSelection{1, 2, 6, 8})) << "already at the first track";
    QTest::keyClick(Window.get(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(Window.get(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), (TRangeSelection{2, 3, 6, 8})) << "past the anchor's track";
    QTest::keyClick(Window.get(), Qt::Key_Escape);
    EXPECT_TRUE(Window->Selection().Empty());
    EXPECT_TRUE(StatusText().isEmpty());
    EXPECT_FALSE(Menus().BlockFill1->isEnabled());
    EXPECT_EQ(Lanes()->grab().toImage().pixelColor(At(1, 6)), before.pixelColor(At(1, 6)));
}

} // namespace

namespace {

TEST_F(SelectionWindowTest, ShiftDragsSelectInTheDrawToolAndAPlainDragStillDraws) {
    EXPECT_EQ(Window->EditTools().EditTool(), TEditTool::Draw);
    QTest::keyPress(Window.get(), Qt::Key_Shift);
    Drag(At(3, 20), At(2, 24), Qt::ShiftModifier);
    QTest::keyRelease(Window.get(), Qt::Key_Shift);
    EXPECT_EQ(Selected(), (TRangeSelection{2, 3, 20, 24}));
    for (int slot = 20; slot <= 24; ++slot)
        EXPECT_EQ(Value(3, slot), 0) << slot;
    // Without Shift the draw tool draws, and the selection stays.
    QTest::mouseClick(Lanes(), Qt::LeftButton, {}, QPoint(At(1, 30).x(), 0));
    EXPECT_EQ(Value(1, 30), 255);
    EXPECT_EQ(Selected(), (TRangeSelection{2, 3, 20, 24}));
    // Deleting a selected track shortens the selection with it.
    Doc().SelectOnly(3);
    Ui.ConfirmAnswers.push_back(true);
    Menus().Delete1->trigger();
    EXPECT_EQ(Selected(), (TRangeSelection{2, 2, 20, 24}));
}

TEST_F(SelectionWindowTest, BlockCommandsRunFromTheMenuAndTheKeysAndUndoInOneStep) {
    FillTrack(1, 1, 40, 100);
    FillTrack(2, 1, 40, 10);
    Window->TakeSnapshot();
    QTest::keyClick(Window.get(), Qt::Key_S);
    Drag(At(1, 5), At(2, 8));
    ASSERT_EQ(Selected(), (TRangeSelection{1, 2, 5, 8}));

    // Fill from the Edit menu, its value asked and proposed from the draw value.
    Ui.NumberAnswers.push_back(77);
    Menus().BlockFill1->trigger();
    for (int slot = 5; slot <= 8; ++slot) {
        EXPECT_EQ(Value(1, slot), 77);
        EXPECT_EQ(Value(2, slot), 77);
    }
    EXPECT_EQ(Value(1, 4), 100);
    EXPECT_EQ(Value(2, 9), 10);
    Menus().Undo1->trigger();
    EXPECT_EQ(Value(1, 5), 100);
    EXPECT_EQ(Value(2, 8), 10);
    EXPECT_EQ(Selected(), (TRangeSelection{1, 2, 5, 8})) << "undo keeps the selection";

    // Invert from its key; one undo step brings every value back.
    QTest::keyClick(Window.get(), Qt::Key_I);
    EXPECT_EQ(Value(1, 5), 155);
    EXPECT_EQ(Value(2, 8), 245);
    Menus().Undo1->trigger();
    EXPECT_EQ(Value(1, 5), 100);
    EXPECT_EQ(Value(2, 8), 10);

    // Ctrl+X cuts the block, not the tracks; Ctrl+V pastes it under the pointer.
    QTest::keyClick(Window.get(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Doc().TrackCount(), 3);
    EXPECT_EQ(Value(1, 5), 0);
    EXPECT_EQ(Value(2, 8), 0);
    QTest::keyClick(Window.get(), Qt::Key_Escape);
    QTest::mouseMove(Lanes(), At(2, 30));
    QTest::keyClick(Window.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Value(2, 30), 100);
    EXPECT_EQ(Value(3, 33), 10);
    EXPECT_EQ(Value(2, 34), 10) << "untouched after the block";
    EXPECT_EQ(Selected(), (TRangeSelection{2, 3, 30, 33})) << "the paste is selected";
    Menus().Undo1->trigger();
    EXPECT_EQ(Value(2, 30), 10);
    EXPECT_EQ(Value(3, 33), 0);
    EXPECT_TRUE(Selected().Empty()) << "undo puts back the selection before the paste: none";
    Window->Selection().Select({2, 3, 30, 33});

    // From the menu (the pointer over the menu, not where the lanes last saw it) the block
    // goes to the play cursor, from the selection's first track down.
    QCursor::setPos(Lanes()->mapToGlobal(At(3, 60)));
    Menus().BlockPaste1->trigger();
    EXPECT_EQ(Value(2, 1), 100);
    EXPECT_EQ(Value(3, 4), 10);
    EXPECT_EQ(Value(3, 60), 0);
    Menus().Undo1->trigger();
    EXPECT_EQ(Value(2, 1), 10);

    // Without a time range Ctrl+C copies the selected tracks again, and Ctrl+V pastes them.
    QTest::keyClick(Window.get(), Qt::Key_Escape);
    Doc().SelectOnly(1);
    QTest::keyClick(Window.get(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(Window.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Doc().TrackCount(), 4);
}

// The block commands write spans of slots: the view stays where the operator left it, through
// each command, its undo and its redo.
TEST_F(SelectionWindowTest, BlockCommandsUndoAndRedoKeepTheView) {
    for (int k = 0; k < 8; ++k)
        Menus().New1->trigger();
    FillTrack(4, 30, 50, 90);
    Window->TakeSnapshot();
    TimelineScroll& scroll = Window->ViewScroll();
    scroll.ScrollTo(100, 150);
    ASSERT_EQ(scroll.HorizontalOffset(), 100);
    ASSERT_EQ(scroll.VerticalOffset(), 150);
    Window->Selection().Select(TRangeSelection{3, 6, 20, 60});
    Ui.NumberAnswers = {33, 50, 5, 2};
    const std::vector<std::pair<QAction*, const char*>> commands{
        {Menus().BlockFill1, "fill"},     {Menus().BlockInvert1, "invert"},
        {Menus().BlockScale1, "scale"},   {Menus().BlockShiftLater1, "shift"},
        {Menus().BlockRepeat1, "repeat"}, {Menus().BlockCopy1, "copy"},
        {Menus().BlockPaste1, "paste"},   {Menus().BlockCut1, "cut"},
        {Menus().BlockClear1, "clear"},
    };
    for (const auto& [command, name] : commands) {
        const TRangeSelection before = Selected();
        ASSERT_TRUE(command->isEnabled()) << name;
        command->trigger();
        EXPECT_EQ(scroll.HorizontalOffset(), 100) << name;
        EXPECT_EQ(scroll.VerticalOffset(), 150) << name;
        if (Menus().Undo1->isEnabled()) {
            Menus().Undo1->trigger();
            EXPECT_EQ(scroll.HorizontalOffset(), 100) << name << " undone";
            EXPECT_EQ(scroll.VerticalOffset(), 150) << name << " undone";
            Menus().Redo1->trigger();
            EXPECT_EQ(scroll.HorizontalOffset(), 100) << name << " redone";
            EXPECT_EQ(scroll.VerticalOffset(), 150) << name << " redone";
        }
        Window->Selection().Select(before);
    }
}

TEST_F(SelectionWindowTest, ARightClickInsideTheSelectionOpensTheBlockMenu) {
    FillTrack(1, 1, 20, 40);
    QTest::keyClick(Window.get(), Qt::Key_S);
    Drag(At(1, 2), At(1, 4));
    QTest::mouseClick(Lanes(), Qt::RightButton, {}, At(1, 3));
    EXPECT_TRUE(Menus().PopupMenu5->isVisible());
    EXPECT_FALSE(Menus().PopupMenu1->isVisible());
    Menus().BlockClear1->trigger();
    Menus().PopupMenu5->close();
    EXPECT_EQ(Value(1, 2), 0);
    EXPECT_EQ(Value(1, 4), 0);
    EXPECT_EQ(Value(1, 5), 40);

    // Its Paste pastes where the menu was opened.
    Menus().BlockCopy1->trigger();
    Drag(At(2, 10), At(2, 12));
    QTest::mouseClick(Lanes(), Qt::RightButton, {}, At(2, 11));
    ASSERT_TRUE(Menus().PopupMenu5->isVisible());
    Menus().BlockPaste2->trigger();
    Menus().PopupMenu5->close();
    EXPECT_EQ(Value(2, 11), 0);
    EXPECT_EQ(Value(2, 13), 0);
    EXPECT_EQ(Selected(), (TRangeSelection{2, 2, 11, 13}));

    // Outside the selection the tool menu stays.
    QTest::mouseClick(Lanes(), Qt::RightButton, {}, At(3, 40));
    EXPECT_TRUE(Menus().PopupMenu1->isVisible());
    EXPECT_FALSE(Menus().PopupMenu5->isVisible());
    Menus().PopupMenu1->close();
}

TEST_F(SelectionWindowTest, PlaySelectionStopsAtItsEndAndLoopsWhileLoopIsOn) {
    QTest::keyClick(Window.get(), Qt::Key_S);
    Drag(At(1, 5), At(1, 8)); // 400 to 800 ms
    EXPECT_TRUE(Menus().PlaySelection1->isEnabled());
    Menus().PlaySelection1->trigger();
    EXPECT_TRUE(Window->SongPlaying());
    EXPECT_EQ(Window->Player().PositionMs(), 400);
    PlayUntil(790);
    EXPECT_TRUE(Window->SongPlaying());
    Clock.Advance(30ms);
    // The player stops at the selection's end by itself; the show clock's next tick takes the
    // cursor back to the start.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !Window->SongPlaying() && !Window->Motion().RangePlaying(); }, 20000));
    EXPECT_EQ(Window->Player().PositionMs(), 400) << "back at the selection's start";

    // Looping: at the end it goes on from the start, until stopped.
    QTest::keyClick(Window.get(), Qt::Key_L);
    EXPECT_TRUE(Menus().Loop1->isChecked());
    QTest::keyClick(Window.get(), Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_TRUE(Window->SongPlaying());
    PlayUntil(790);
    Clock.Advance(30ms);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Window->Player().PositionMs() < 500; }, 20000));
    EXPECT_TRUE(Window->SongPlaying());
    EXPECT_TRUE(Window->Motion().RangePlaying());
    PlayUntil(700);
    Window->findChild<QToolButton*>(QStringLiteral("SpeedButton1"))->click(); // Stop
    EXPECT_FALSE(Window->SongPlaying());
    EXPECT_FALSE(Window->Motion().RangePlaying());
    // A plain Play plays on past the range's end.
    Window->findChild<QToolButton*>(QStringLiteral("SpeedButton6"))->click();
    PlayUntil(900);
    EXPECT_TRUE(Window->SongPlaying());
}

TEST_F(SelectionWindowTest, PlayFromPointerStartsAtTheTimeUnderThePointer) {
    QTest::mouseMove(Lanes(), At(2, 21)); // slot 21: from 2,000 ms
    QTest::keyClick(Window.get(), Qt::Key_P);
    EXPECT_TRUE(Window->SongPlaying());
    EXPECT_NEAR(static_cast<double>(Window->Motion().CuePosition()), 2050.0, 60.0);
    EXPECT_EQ(Window->Player().PositionMs(), Window->Motion().CuePosition());
}

} // namespace
