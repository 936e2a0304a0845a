// Tests of the editing tools and the keyboard over hits of the real timeline geometry: what
// each tool writes into a cell and the slots the show reports for repainting, the presses
// that write nothing, the cell past the track's end, modifiers switching the tool mid-drag,
// the space bar, and the pointer feedback.
#include "editing/EditingTools.h"
#include "editing/KeyboardControl.h"
#include "editing/TimelineGeometry.h"
#include "model/ShowDocument.h"
#include "support/ScriptedUserInterface.h"

#include <gtest/gtest.h>

#include <QPoint>
#include <QStringList>

#include <functional>
#include <optional>

namespace lumivox {
namespace {

using test::ScriptedUserInterface;

struct RecordingHost : IEditingToolHost, IKeyboardHost {
    QStringList Values;
    std::vector<TToolCursor> Cursors;
    int ToolMenus = 0;
    int Snapshots = 0;
    bool Playing = false;
    QStringList Transport;
    // The pointer in content coordinates; the lanes view's hit of it is taken when asked.
    std::optional<QPoint> Pointer;
    std::function<TLaneHit(QPoint)> HitOf;

    void ShowValueText(const QString& text) override { Values << text; }
    void ShowToolCursor(TToolCursor cursor) override { Cursors.push_back(cursor); }
    void PopupToolMenu() override { ++ToolMenus; }
    void TakeSnapshot() override { ++Snapshots; }
    bool SongPlaying() const override { return Playing; }
    void Play() override { Transport << "play"; }
    void Pause() override { Transport << "pause"; }
    void MovePlayCursor(TCursorMove move) override {
        static const char* const names[] = {"start", "end", "back", "forward"};
        Transport << names[static_cast<int>(move)];
    }
    std::optional<TLaneHit> PointerInLanes() const override {
        if (!Pointer)
            return std::nullopt;
        return HitOf(*Pointer);
    }
};

// Three Proportional tracks over a ten-second song at 100 ms, level 13 and VertZoom 3.
class EditingToolsTest : public ::testing::Test {
protected:
    EditingToolsTest() : Tools(Doc, Host, Ui, Lang), Keys(Tools, Host) {
        Timeline.SetPeakPairCount(10 * 44100 / 128 * 3);
        Doc.SlotCount = 101;
        for (int k = 0; k < 3; ++k)
            Doc.AddTrack(Lang);
        Host.HitOf = [this](QPoint p) { return HitAt(p); };
        // The slots the lanes are told to repaint, as "track:first-last".
        QObject::connect(&Doc, &ShowDocument::SlotsChanged, &Doc,
                         [this](int track, int first, int last) {
                             Repaints << QStringLiteral("%1:%2-%3").arg(track).arg(first).arg(last);
                         });
    }

    // The hit of content point `p` at the current zoom, as the lanes view reports it.
    TLaneHit HitAt(QPoint p, Qt::MouseButton button = Qt::NoButton) const {
        TLaneHit hit = Timeline.HitAt(p.x(), p.y(), Doc.TrackCount());
        hit.Button = button;
        return hit;
    }
    // A point inside `cell` of `track`, `rowsUp` rows above the lane's bottom line.
    QPoint At(int track, int cell, int rowsUp = 10) const {
        return QPoint(static_cast<int>(Timeline.CellSpan(cell).X0 + 1),
                      static_cast<int>(Timeline.LaneRow(track).Bottom - rowsUp));
    }
    int Slot(int track, int slot) const {
        std::uint8_t value = 0;
        EXPECT_TRUE(Doc.Track(track).GetValue(slot, value)) << "slot " << slot;
        return value;
    }
    void Fill(int track, std::uint8_t value) {
        Doc.FillSlots(track, 1, Doc.SlotCount - 1, value);
        Repaints.clear();
    }
    void Press(QPoint p) { Tools.MouseDown(HitAt(p, Qt::LeftButton), Keys.ModifierKey()); }
    void Move(QPoint p) { Tools.MouseMove(HitAt(p), Keys.ModifierKey()); }

    Language Lang = Language::English;
    ShowDocument Doc;
    TimelineGeometry Timeline;
    QStringList Repaints;
    ScriptedUserInterface Ui;
    RecordingHost Host;
    EditingTools Tools;
    KeyboardControl Keys;
};

TEST_F(EditingToolsTest, EachToolWritesItsValueIntoTheCellUnderThePointer) {
    Press(At(2, 1, 0));
    Press(At(2, 2, 1));
    Press(At(2, 3, 64));
    EXPECT_EQ(Slot(2, 1), 0) << "the bottom line";
    EXPECT_EQ(Slot(2, 2), 4) << "one row up";
    EXPECT_EQ(Slot(2, 3), 255) << "the top row: 64 x 4 clamped";
    EXPECT_EQ(Host.Values, (QStringList{"0", "4", "255"}));
    EXPECT_EQ(Repaints.last(), "2:3-3") << "cell 3 is slot 3 at level 13";

    Doc.SetType(1, TrackTypeOnOff);
    Press(At(1, 1, 3));
    EXPECT_EQ(Slot(1, 1), 255) << "draw on an On/Off lane";
    Tools.SelectTool(3);
    Tools.SetDrawValue(128);
    Press(At(1, 2));
    Press(At(3, 2));
    EXPECT_EQ(Slot(1, 2), 255) << "draw-value on an On/Off lane";
    EXPECT_EQ(Slot(3, 2), 128);
    Tools.SelectTool(2);
    Press(At(1, 1));
    EXPECT_EQ(Slot(1, 1), 0);
}

TEST_F(EditingToolsTest, APressWritesEverySlotOfTheCellAtTheZoomLevel) {
    Fill(1, 7);
    Timeline.SetHorzZoom(12);
    Press(At(1, 2, 20));
    for (int s = 1; s <= 11; ++s)
        EXPECT_EQ(Slot(1, s), s >= 6 && s <= 10 ? 80 : 7) << "level 12, slot " << s;
    Timeline.SetHorzZoom(10);
    Press(At(2, 1, 20));
    for (int s = 1; s <= 11; ++s)
        EXPECT_EQ(Slot(2, s), s <= 10 ? 80 : 0) << "level 10, slot " << s;
    EXPECT_EQ(Repaints, (QStringList{"1:6-10", "2:1-10"})) << "exactly the cells' slots";
}

TEST_F(EditingToolsTest, PressesThatWriteNothing) {
    Fill(1, 9);
    Doc.SetLocked(1, true);
    Press(At(1, 1));
    EXPECT_EQ(Slot(1, 1), 9) << "a locked track";
    EXPECT_TRUE(Doc.Modified()) << "is still modified";
    Tools.MouseUp();

    Doc.SetModified(false);
    Tools.MouseDown(HitAt(At(2, 1), Qt::RightButton), TModifierKey::None);
    EXPECT_EQ(Host.ToolMenus, 1);
    EXPECT_FALSE(Tools.MouseDrawing());
    EXPECT_FALSE(Doc.Modified()) << "a right click is no edit";
    Tools.MouseUp();

    Tools.SelectTool(0);
    Press(At(2, 1));
    EXPECT_TRUE(Doc.Modified()) << "no tool still modifies";
    Tools.SelectTool(1);
    Move(QPoint(At(2, 1).x(), static_cast<int>(Timeline.LaneRow(2).Bottom + 1)));
    Move(QPoint(5000, At(2, 1).y())); // right of the last tick
    Tools.MouseUp();
    EXPECT_EQ(Slot(2, 1), 0);
    EXPECT_TRUE(Repaints.isEmpty());
    EXPECT_EQ(Host.Snapshots, 2) << "a release takes a snapshot only when modified";
}

TEST_F(EditingToolsTest, ACellPastTheTracksEndKeepsItsEarlierSlotsAndEndsTheDrag) {
    TBulkUpdate(Doc).Track(1).Resize(8); // slots 1..7 can be written
    Timeline.SetHorzZoom(12);            // cell 2 is slots 6..10
    Press(At(1, 2, 64));
    EXPECT_EQ(Slot(1, 6), 255);
    EXPECT_EQ(Slot(1, 7), 255);
    EXPECT_EQ(Ui.Texts(ScriptedUserInterface::Event::Warning),
              QStringList{"No more event(s) can be create!"});
    EXPECT_EQ(Repaints, QStringList{"1:6-7"}) << "only the slots written before the end";
    // The release went to the message box: without ending the drag here, every later
    // move of a free mouse would go on writing.
    EXPECT_FALSE(Tools.MouseDrawing());
    EXPECT_EQ(Host.Snapshots, 1);
    Move(At(1, 1, 64));
    EXPECT_EQ(Slot(1, 1), 0);
}

TEST_F(EditingToolsTest, ModifiersSwitchTheToolInTheMiddleOfADrag) {
    Fill(1, 100);
    Press(At(1, 1, 20));
    Keys.KeyDown(Qt::Key_Control);
    Move(At(1, 2, 20));
    Keys.KeyUp(Qt::Key_Control);
    Move(At(1, 3, 20));
    Tools.SetDrawValue(33);
    Keys.KeyDown(Qt::Key_Shift);
    Move(At(1, 4, 20));
    Tools.MouseUp();
    EXPECT_EQ(Slot(1, 1), 80);
    EXPECT_EQ(Slot(1, 2), 0) << "Ctrl held erases";
    EXPECT_EQ(Slot(1, 3), 80) << "releasing Ctrl resumes drawing";
    EXPECT_EQ(Slot(1, 4), 33);

    // Shift is still held: pressing and releasing another key ends the override.
    Fill(2, 50);
    Keys.KeyDown(Qt::Key_A);
    Keys.KeyUp(Qt::Key_A);
    Tools.SelectTool(2);
    Press(At(2, 1, 5));
    EXPECT_EQ(Slot(2, 1), 0) << "the selected rubber, not the draw value";
    Keys.KeyDown(Qt::Key_Alt);
    Move(At(2, 2, 5));
    EXPECT_EQ(Slot(2, 2), 20) << "Alt draws although the rubber is selected";
    Keys.KeyUp(Qt::Key_Alt);
    Move(At(2, 3, 5));
    EXPECT_EQ(Slot(2, 3), 0);
}

TEST_F(EditingToolsTest, KeysSetOnlyTheLatestModifierAndSpacePlaysOrPauses) {
    Keys.KeyDown(Qt::Key_Shift);
    Keys.KeyDown(Qt::Key_Space);
    EXPECT_EQ(Keys.ModifierKey(), TModifierKey::Shift) << "Space leaves the modifier";
    Host.Playing = true;
    Keys.KeyDown(Qt::Key_Space);
    Keys.KeyDown(Qt::Key_Space, true);
    EXPECT_EQ(Host.Transport, (QStringList{"play", "pause"})) << "auto-repeat toggles nothing";
    Keys.KeyUp(Qt::Key_Space, true);
    EXPECT_EQ(Keys.ModifierKey(), TModifierKey::Shift) << "nor does its synthetic release";
    Keys.KeyUp(0);
    EXPECT_EQ(Keys.ModifierKey(), TModifierKey::Shift);
    Keys.KeyUp(Qt::Key_B); // any release with a code
    EXPECT_EQ(Keys.ModifierKey(), TModifierKey::None);
}

TEST_F(EditingToolsTest, TheFeedbackFollowsThePointerAndTheModifierAtOnce) {
    Doc.SetSlot(2, 3, 77);
    Host.Pointer = At(2, 3);
    Keys.KeyDown(Qt::Key_Control); // no mouse move needed
    EXPECT_EQ(Host.Cursors.back(), TToolCursor::Rubber);
    EXPECT_EQ(Host.Values.back(), "77");
    Keys.KeyUp(Qt::Key_Control);
    EXPECT_EQ(Host.Cursors.back(), TToolCursor::Draw);
    Tools.SelectTool(0);
    Keys.KeyDown(Qt::Key_Shift);
    EXPECT_EQ(Host.Cursors.back(), TToolCursor::Default) << "a press with Shift selects";
    Keys.KeyUp(Qt::Key_Shift);
    EXPECT_EQ(Host.Cursors.back(), TToolCursor::Default);

    Timeline.SetHorzZoom(12);
    Keys.KeyDown(Qt::Key_F2);
    EXPECT_EQ(Host.Values.back(), "...") << "a cell of several slots has no one value";
    Host.Pointer = QPoint(At(2, 3).x(), static_cast<int>(Timeline.LaneRow(2).Bottom + 3));
    Keys.KeyDown(Qt::Key_F2);
    EXPECT_EQ(Host.Cursors.back(), TToolCursor::Default) << "the separator band";
    const std::size_t shown = Host.Cursors.size();
    Host.Pointer.reset(); // over another control
    Keys.KeyDown(Qt::Key_Control);
    EXPECT_EQ(Host.Cursors.size(), shown);

    Keys.KeyUp(Qt::Key_Control);
    Tools.SelectTool(1);
    Press(At(1, 1, 16));
    Move(At(1, 2, 16));
    EXPECT_EQ(Host.Values.last(), "64") << "while drawing the read-out keeps the value written";
    EXPECT_EQ(Host.Cursors.size(), shown);
}

TEST_F(EditingToolsTest, HomeEndAndTheArrowsMoveThePlayCursorUnlessAModifierIsHeld) {
    EXPECT_TRUE(Keys.KeyDown(Qt::Key_Home));
    EXPECT_TRUE(Keys.KeyDown(Qt::Key_End));
    EXPECT_TRUE(Keys.KeyDown(Qt::Key_Left));
    EXPECT_TRUE(Keys.KeyDown(Qt::Key_Right, true)) << "an arrow held down repeats";
    EXPECT_TRUE(Keys.KeyDown(Qt::Key_Right, false, Qt::KeypadModifier));
    EXPECT_EQ(Host.Transport, (QStringList{"start", "end", "back", "forward", "forward"}));
    // With a modifier the keys are the focused control's; other keys are nobody's here.
    EXPECT_FALSE(Keys.KeyDown(Qt::Key_Left, false, Qt::ShiftModifier));
    EXPECT_FALSE(Keys.KeyDown(Qt::Key_Home, false, Qt::ControlModifier));
    EXPECT_FALSE(Keys.KeyDown(Qt::Key_Up));
    EXPECT_FALSE(Keys.KeyDown(Qt::Key_B));
    EXPECT_EQ(Host.Transport.size(), 5);
    EXPECT_TRUE(Keys.KeyDown(Qt::Key_Space));
    // A cursor key ends a modifier's override like any other key.
    Keys.KeyDown(Qt::Key_Control);
    Keys.KeyDown(Qt::Key_Right);
    EXPECT_EQ(Keys.ModifierKey(), TModifierKey::None);
}

// A song whose end falls inside a cell: 9.95 s at 100 ms gives 99 editable slots (the
// tracks hold 100 here), so the last cell holds what is left of the song: nine slots at
// level 10, one at 13, all 99 where a tick is longer than the song. Below level 4 the ten
// seconds are narrower than one pixel and no timeline is shown.
TEST_F(EditingToolsTest, TheLastPartialCellIsWrittenUpToTheSongsLastSlotAtEveryLevel) {
    Timeline.SetSongLength(9950);
    for (int level = 4; level <= 15; ++level) {
        Timeline.SetHorzZoom(level);
        Fill(1, 0);
        const auto warnings = Ui.Texts(ScriptedUserInterface::Event::Warning).size();
        const std::int64_t end = Timeline.EditableEndX();
        ASSERT_GT(end, 0) << "level " << level;
        const int cell = Timeline.LastEditableCell();
        const TSlotRange slots = Timeline.EditableSlots(cell);
        ASSERT_EQ(slots.Last, 99) << "level " << level;
        ASSERT_EQ(slots.First, Timeline.CellSlots(cell).First) << "level " << level;
        // Its last pixel and the one on the end line both hit it, nothing beyond.
        for (const std::int64_t x : {end - 1, end}) {
            const TLaneHit hit = HitAt(QPoint(static_cast<int>(x), 0));
            ASSERT_EQ(hit.Cell, cell) << "level " << level << " x " << x;
            EXPECT_EQ(hit.Slots, slots) << "level " << level;
        }
        EXPECT_EQ(HitAt(QPoint(static_cast<int>(end + 1), 0)).Cell, -1) << "level " << level;
        Press(QPoint(static_cast<int>(end - 1), 0)); // the lane's top row draws 255
        Tools.MouseUp();
        EXPECT_EQ(Ui.Texts(ScriptedUserInterface::Event::Warning).size(), warnings)
            << "level " << level;
        EXPECT_EQ(Slot(1, slots.First), 255) << "level " << level;
        EXPECT_EQ(Slot(1, 99), 255) << "level " << level;
        EXPECT_EQ(Slot(1, 100), 0) << "level " << level << ": past the song";
        if (slots.First > 1) {
            EXPECT_EQ(Slot(1, slots.First - 1), 0) << "level " << level;
        }
    }
}

} // namespace
} // namespace lumivox
