// The keys a user reaches for, in the real main window: Delete on a time range clears its
// values and leaves locked tracks and the track list alone; Delete on tracks keeps the locked
// ones and says which; no header is selected after opening a show; Alt in the selection tool
// selects with snapping turned over; undo and redo put back the range of a shift and the
// headers of a move; and Ctrl+Y and Ctrl+Shift+Z redo, and Ctrl+Q quits through the save
// prompt.
#include "app/MainWindow.h"
#include "app/TrackHeaderColumn.h"
#include "support/ScriptedUserInterface.h"
#include "support/widgets/WindowFixture.h"
#include "timeline/TrackHeader.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <vector>

using namespace lumivox;
using namespace lumivox::test;
using Kind = ScriptedUserInterface::Event;

namespace {

class EditingKeysWindowTest : public WindowFixture {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(OpenWindow({.Tracks = 3})); }

    // The middle of slot `slot` at 100 ms and level 13 (8.6133 pixels per slot), and a row
    // inside the lane of `track` (73 rows per track).
    static QPoint At(int track, int slot) {
        return {static_cast<int>((slot - 0.5) * 8.6133), (track - 1) * 73 + 20};
    }
    static int XOfMs(double ms) { return static_cast<int>(ms * 8.6133 / 100); }
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
    TRangeSelection Band() { return Window->Selection().Range(); }
    void Fill(int track, int first, int last, std::uint8_t value) {
        for (int slot = first; slot <= last; ++slot)
            Doc().SetSlot(track, slot, value);
    }
    std::vector<int> SelectedHeaders() {
        std::vector<int> rows;
        for (int k = 1; k <= Doc().TrackCount(); ++k)
            if (Doc().Track(k).Selected)
                rows.push_back(k);
        return rows;
    }
    QWidget* Panel(int track) {
        return Window->HeaderColumn().Frame(track)->findChild<QWidget*>(QStringLiteral("Panel1"));
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(Window.get(), key, modifiers);
    }
};

TEST_F(EditingKeysWindowTest, DeleteOnARangeClearsItsValuesAndLeavesLockedTracksAndTracksAlone) {
    for (int track = 1; track <= 3; ++track)
        Fill(track, 1, 20, 100);
    Window->Commands().ToggleLock(2);
    Window->TakeSnapshot();
    // New Track left track 3 selected alone: the header that Delete used to delete.
    ASSERT_EQ(SelectedHeaders(), std::vector<int>{3});
    Key(Qt::Key_S);
    Drag(At(1, 5), At(3, 10));
    ASSERT_EQ(Band(), (TRangeSelection{1, 3, 5, 10}));
    EXPECT_TRUE(Menus().Delete1->shortcut().isEmpty()) << "the key is the range's now";

    const int snapshots = Window->EditHistory().Count();
    Ui.Events.clear();
    Key(Qt::Key_Delete);
    EXPECT_EQ(Doc().TrackCount(), 3);
    EXPECT_TRUE(Ui.Events.empty()) << "nothing is asked";
    for (int track : {1, 3}) {
        for (int slot = 5; slot <= 10; ++slot)
            EXPECT_EQ(Value(track, slot), 0) << track << ":" << slot;
        EXPECT_EQ(Value(track, 4), 100);
        EXPECT_EQ(Value(track, 11), 100);
    }
    for (int slot = 5; slot <= 10; ++slot)
        EXPECT_EQ(Value(2, slot), 100) << "locked track 2 keeps slot " << slot;
    EXPECT_EQ(Window->EditHistory().Count(), snapshots + 1) << "one undo step";
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Value(1, 7), 100);
    EXPECT_EQ(Value(3, 7), 100);

    // Backspace clears the same; once the range is gone, Delete is Delete Track again.
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Value(3, 7), 0);
    Key(Qt::Key_Escape);
    ASSERT_TRUE(Band().Empty());
    EXPECT_EQ(Menus().Delete1->shortcut(), QKeySequence(Qt::Key_Delete));
    Key(Qt::Key_Delete);
    EXPECT_EQ(Ui.Texts(Kind::ConfirmDefaultNo),
              QStringList{"Do you want to delete the selected track(s)?"});
    EXPECT_EQ(Doc().TrackCount(), 3) << "No, the default, deletes nothing";
}

TEST_F(EditingKeysWindowTest, DeleteOnTracksKeepsTheLockedOnesAndSaysWhich) {
    Window->Commands().ToggleLock(2);
    Menus().SelectAll1->trigger();
    Key(Qt::Key_Delete); // answered No
    EXPECT_EQ(Doc().TrackCount(), 3);
    Ui.ConfirmAnswers.push_back(true);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Ui.Texts(Kind::ConfirmDefaultNo).back(),
              "Delete the selected track(s)? The locked track(s) 2 (Track 2) stay: unlock a "
              "track to delete it.");
    ASSERT_EQ(Doc().TrackCount(), 1);
    EXPECT_EQ(Doc().Track(1).Caption, "Track 2");
    EXPECT_TRUE(Doc().Track(1).Locked);

    // A locked track alone is refused with a warning; nothing is asked.
    QTest::mouseClick(Panel(1), Qt::LeftButton, {}, QPoint(5, 30));
    const int asked = static_cast<int>(Ui.Texts(Kind::ConfirmDefaultNo).size());
    Key(Qt::Key_Delete);
    EXPECT_EQ(Doc().TrackCount(), 1);
    EXPECT_EQ(Ui.Texts(Kind::Warning).back(),
              "The selected track(s) 1 (Track 2) are locked and were not deleted. Unlock a "
              "track to delete it.");
    EXPECT_EQ(Ui.Texts(Kind::ConfirmDefaultNo).size(), asked);

    // Unlocked, it goes.
    Window->Commands().ToggleLock(1);
    Ui.ConfirmAnswers.push_back(true);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Doc().TrackCount(), 0);
}

TEST_F(EditingKeysWindowTest, NoHeaderIsSelectedAfterOpeningAndNewTrackStillSelectsIt) {
    const QString project = Dir.filePath(QStringLiteral("show.PRJ"));
    Ui.SaveAnswers.push_back(project);
    Menus().SaveAs1->trigger();
    ASSERT_FALSE(Doc().Modified());
    Ui.ProjectAnswers.push_back(project);
    Menus().Open1->trigger();
    ASSERT_EQ(Doc().TrackCount(), 3);
    EXPECT_TRUE(SelectedHeaders().empty());
    EXPECT_EQ(Window->Commands().AnchorTrack(), -1);
    EXPECT_FALSE(Menus().Delete1->isEnabled());
    EXPECT_FALSE(Menus().Couper1->isEnabled());
    // The headers show it: no panel in the selection grey.
    const QColor grey(0xA1, 0xA1, 0xA1);
    auto shade = [this](int track) {
        return Panel(track)->palette().color(Panel(track)->backgroundRole());
    };
    for (int track = 1; track <= 3; ++track)
        EXPECT_NE(shade(track), grey) << track;
    Key(Qt::Key_Delete);
    EXPECT_EQ(Doc().TrackCount(), 3);
    EXPECT_TRUE(Ui.Texts(Kind::ConfirmDefaultNo).isEmpty());

    Menus().New1->trigger();
    EXPECT_EQ(SelectedHeaders(), std::vector<int>{4});
    EXPECT_EQ(shade(4), grey);
}

TEST_F(EditingKeysWindowTest, AltInTheSelectionToolSelectsWithSnappingTurnedOver) {
    // A mark 60 ms (5 pixels) into the slot after the pointer's: within the snapping distance.
    Doc().AddMark(1250, QStringLiteral("Drop"));
    const QPoint from(XOfMs(1190), At(1, 1).y());
    const QPoint to = At(2, 26);
    Key(Qt::Key_S);
    auto altDrag = [&] {
        QTest::keyPress(Window.get(), Qt::Key_Alt, Qt::AltModifier);
        Drag(from, to, Qt::AltModifier);
        QTest::keyRelease(Window.get(), Qt::Key_Alt);
    };

    ASSERT_FALSE(Window->Marks().Guides().Enabled());
    altDrag();
    EXPECT_EQ(Band(), (TRangeSelection{1, 2, 13, 26})) << "snapped although Snap is off";
    Drag(from, to);
    EXPECT_EQ(Band(), (TRangeSelection{1, 2, 12, 26}));

    Key(Qt::Key_G);
    ASSERT_TRUE(Window->Marks().Guides().Enabled());
    Drag(from, to);
    EXPECT_EQ(Band(), (TRangeSelection{1, 2, 13, 26}));
    altDrag();
    EXPECT_EQ(Band(), (TRangeSelection{1, 2, 12, 26})) << "not snapped although Snap is on";
    for (int slot = 10; slot <= 26; ++slot) {
        EXPECT_EQ(Value(1, slot), 0) << "nothing drawn at " << slot;
        EXPECT_EQ(Value(2, slot), 0) << "nothing drawn at " << slot;
    }
}

TEST_F(EditingKeysWindowTest, UndoPutsBackTheRangeOfAShiftAndTheHeadersOfAMove) {
    Fill(1, 5, 8, 90);
    Window->TakeSnapshot();
    Key(Qt::Key_S);
    Drag(At(1, 5), At(2, 8));
    Ui.NumberAnswers.push_back(3);
    Menus().BlockShiftLater1->trigger();
    ASSERT_EQ(Band(), (TRangeSelection{1, 2, 8, 11}));
    ASSERT_EQ(Value(1, 11), 90);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Value(1, 5), 90);
    EXPECT_EQ(Value(1, 11), 0);
    EXPECT_EQ(Band(), (TRangeSelection{1, 2, 5, 8})) << "the range before the shift";
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(Band(), (TRangeSelection{1, 2, 8, 11})) << "and after it again";
    Key(Qt::Key_Escape);

    // Track 3 moved up a row, then the move undone: the header selection stays on the track.
    QTest::mouseClick(Panel(3), Qt::LeftButton, {}, QPoint(5, 30));
    Key(Qt::Key_Up, Qt::AltModifier);
    ASSERT_EQ(Doc().Track(2).Caption, "Track 3");
    ASSERT_EQ(SelectedHeaders(), std::vector<int>{2});
    Key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(Doc().Track(3).Caption, "Track 3");
    EXPECT_EQ(SelectedHeaders(), std::vector<int>{3});
    EXPECT_EQ(Window->Commands().AnchorTrack(), 3);
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(SelectedHeaders(), std::vector<int>{2});
    EXPECT_TRUE(Band().Empty()) << "no range was selected with the move";
}

TEST_F(EditingKeysWindowTest, CtrlYAndCtrlShiftZRedoAndCtrlQQuitsThroughTheSavePrompt) {
    EXPECT_EQ(Menus().Redo1->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z));
    EXPECT_EQ(Menus().Exit1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    Key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(Doc().TrackCount(), 2);
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Doc().TrackCount(), 3);
    Key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(Doc().TrackCount(), 2);
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Doc().TrackCount(), 3);

    ASSERT_TRUE(Doc().Modified());
    ASSERT_TRUE(Window->isVisible());
    Key(Qt::Key_Q, Qt::ControlModifier); // answered No: the changes are given up
    EXPECT_EQ(Ui.Texts(Kind::Confirm),
              QStringList{Text(TextTable::Messages, MessageText::SaveChanges, Language::English)});
    EXPECT_FALSE(Window->isVisible());
}

} // namespace
