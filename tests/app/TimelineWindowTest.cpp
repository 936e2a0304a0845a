// The timeline inside the real main window: tracks added and deleted from the menus, values
// drawn with the mouse, the Ctrl override of a drag, locked tracks, zoom buttons and the
// colours the lanes end up painting.
#include "app/MainWindow.h"
#include "app/TrackHeaderColumn.h"
#include "support/ScriptedUserInterface.h"
#include "support/widgets/WindowFixture.h"
#include "timeline/LanesView.h"
#include "timeline/TimelineStyle.h"
#include "timeline/TrackHeader.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace lumivox;
using lumivox::test::ScriptedUserInterface;
using lumivox::test::WindowFixture;
using Kind = ScriptedUserInterface::Event;

namespace {

class TimelineWindowTest : public WindowFixture {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OpenWindow());
        ASSERT_EQ(Window->Document().SlotCount, 101);
    }

    // The middle of slot `slot` at 100 ms and level 13 (8.6133 pixels per slot).
    static int SlotX(int slot) { return static_cast<int>((slot - 0.5) * 8.6133); }
};

TEST_F(TimelineWindowTest, TracksComeAndGoFromTheMenusWithTheirHeaders) {
    for (int k = 0; k < 5; ++k)
        Window->Menus().New1->trigger();
    ASSERT_EQ(Window->Document().TrackCount(), 5);
    EXPECT_EQ(Window->findChildren<TFrame2*>().size(), 5);
    EXPECT_TRUE(Window->Document().Track(5).Selected);
    EXPECT_TRUE(Window->Menus().Delete1->isEnabled());
    EXPECT_FALSE(Window->Menus().OutputMenu->Item(3)->isEnabled()); // in use by track 3
    EXPECT_TRUE(Window->Menus().OutputMenu->Item(6)->isEnabled());

    Window->Document().SetSelected(5, false);
    Window->Document().SetSelected(2, true);
    Window->Document().SetSelected(4, true);
    Ui.ConfirmAnswers.push_back(true);
    Window->Menus().Delete1->trigger();
    ASSERT_EQ(Window->Document().TrackCount(), 3);
    EXPECT_EQ(Window->findChildren<TFrame2*>().size(), 3);
    EXPECT_EQ(Window->Document().Track(2).Caption, QStringLiteral("Track 3"));
    EXPECT_EQ(Window->Document().Track(3).Caption, QStringLiteral("Track 5"));
    EXPECT_TRUE(Window->Menus().OutputMenu->Item(2)->isEnabled()); // freed by the deletion
}

TEST_F(TimelineWindowTest, DrawingWithTheMouseWritesWholeCellsAndCtrlErases) {
    Window->Menus().New1->trigger();
    // The lane's top row writes 255 at the default vertical zoom.
    QTest::mousePress(Lanes(), Qt::LeftButton, {}, QPoint(SlotX(5), 0));
    for (int slot = 6; slot <= 8; ++slot)
        QTest::mouseMove(Lanes(), QPoint(SlotX(slot), 0));
    QTest::mouseRelease(Lanes(), Qt::LeftButton, {}, QPoint(SlotX(8), 0));
    for (int slot = 5; slot <= 8; ++slot)
        EXPECT_EQ(Value(1, slot), 255) << slot;
    EXPECT_EQ(Value(1, 4), 0);
    EXPECT_EQ(Value(1, 9), 0);
    EXPECT_TRUE(Window->Document().Modified());

    // The bar is painted in the lane colour; the cell's first column stays background.
    const QImage lanes = Lanes()->grab().toImage();
    const QColor bar = lanes.pixelColor(SlotX(6), 40);
    EXPECT_EQ(bar, ToQColor(Window->Document().Track(1).LaneColor));

    // Ctrl held during the drag erases; releasing it resumes drawing.
    QTest::mousePress(Lanes(), Qt::LeftButton, {}, QPoint(SlotX(5), 0));
    QTest::keyPress(Window.get(), Qt::Key_Control);
    QTest::mouseMove(Lanes(), QPoint(SlotX(6), 0));
    QTest::keyRelease(Window.get(), Qt::Key_Control);
    QTest::mouseMove(Lanes(), QPoint(SlotX(7), 0));
    QTest::mouseMove(Lanes(), QPoint(SlotX(9), 0));
    QTest::mouseRelease(Lanes(), Qt::LeftButton, {}, QPoint(SlotX(9), 0));
    EXPECT_EQ(Value(1, 6), 0);
    EXPECT_EQ(Value(1, 9), 255);

    // A right click opens the tool menu and writes nothing.
    QTest::mouseClick(Lanes(), Qt::RightButton, {}, QPoint(SlotX(20), 0));
    EXPECT_EQ(Value(1, 20), 0);
    Window->Menus().PopupMenu1->close();
}

TEST_F(TimelineWindowTest, ALockedTrackIsNotWrittenButTheProjectIsModified) {
    Window->Menus().New1->trigger();
    Window->Commands().ToggleLock(1);
    Window->Document().SetModified(false);
    QTest::mouseClick(Lanes(), Qt::LeftButton, {}, QPoint(SlotX(3), 0));
    EXPECT_EQ(Value(1, 3), 0);
    EXPECT_TRUE(Window->Document().Modified());
}

TEST_F(TimelineWindowTest, ZoomButtonsStopAtTheirLimitsAndResizeTheRows) {
    Window->Menus().New1->trigger();
    auto* horizontal = Window->findChild<QLabel*>(QStringLiteral("StaticText5"));
    auto* vertical = Window->findChild<QLabel*>(QStringLiteral("StaticText4"));
    Button("SpeedButton4")->click();
    EXPECT_EQ(horizontal->text(), QStringLiteral("x 2"));
    Button("SpeedButton4")->click();
    Button("SpeedButton4")->click();
    EXPECT_EQ(horizontal->text(), QStringLiteral("x 1"));
    EXPECT_EQ(Window->Geometry().HorzZoom(), 15);

    auto* header = Window->findChild<TFrame2*>();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->height(), 73);
    Ui.ProgressTexts.clear();
    Button("SpeedButton12")->click(); // flatter lanes
    EXPECT_EQ(vertical->text(), QStringLiteral("x 4"));
    EXPECT_EQ(header->height(), 41);
    EXPECT_EQ(Ui.ProgressTexts, QStringList{QStringLiteral("Processing Resize...")});
    for (int k = 0; k < 3; ++k)
        Button("SpeedButton11")->click();
    EXPECT_EQ(vertical->text(), QStringLiteral("x 1"));
    EXPECT_EQ(header->height(), 264);
    Ui.ProgressTexts.clear();
    Button("SpeedButton11")->click(); // already at the tallest: nothing happens
    EXPECT_TRUE(Ui.ProgressTexts.isEmpty());
}

TEST_F(TimelineWindowTest, MutedLanesArePaintedGreyOnGrey) {
    Window->Menus().New1->trigger();
    Window->Document().SetSlot(1, 2, 255);
    Window->Commands().ToggleMute(1);
    const QImage lanes = Lanes()->grab().toImage();
    EXPECT_EQ(lanes.pixelColor(SlotX(2), 40), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(lanes.pixelColor(SlotX(4), 40), QColor(0xA1, 0xA1, 0xA1));
}

} // namespace

namespace {

TEST_F(TimelineWindowTest, HeaderPressesSelectWithTheHeldModifier) {
    for (int k = 0; k < 3; ++k)
        Window->Menus().New1->trigger();
    auto panel = [this](int track) {
        auto* frame = Window->HeaderColumn().Frame(track);
        return frame->findChild<QWidget*>(QStringLiteral("Panel1"));
    };
    QTest::mouseClick(panel(2), Qt::LeftButton, {}, QPoint(5, 30));
    EXPECT_TRUE(Window->Document().Track(2).Selected);
    EXPECT_FALSE(Window->Document().Track(3).Selected);

    QTest::keyPress(Window.get(), Qt::Key_Control);
    QTest::mouseClick(panel(3), Qt::LeftButton, Qt::ControlModifier, QPoint(5, 30));
    QTest::keyRelease(Window.get(), Qt::Key_Control);
    EXPECT_TRUE(Window->Document().Track(2).Selected);
    EXPECT_TRUE(Window->Document().Track(3).Selected);
    EXPECT_EQ(Window->Commands().AnchorTrack(), 3);

    QTest::mouseClick(panel(1), Qt::RightButton, {}, QPoint(5, 30));
    EXPECT_TRUE(Window->Document().Track(1).Selected);
    EXPECT_FALSE(Window->Document().Track(2).Selected);
    EXPECT_TRUE(Window->Menus().PopupMenu3->isVisible());
    Window->Menus().PopupMenu3->close();
}

} // namespace

namespace {

TEST_F(TimelineWindowTest, DrawingUndoesAndRedoesFromTheEditMenu) {
    TMainMenus& m = Window->Menus();
    m.New1->trigger();
    EXPECT_TRUE(m.Undo1->isEnabled()); // New Track from the menu is one step
    QTest::mouseClick(Lanes(), Qt::LeftButton, {}, QPoint(SlotX(4), 0));
    EXPECT_EQ(Value(1, 4), 255);
    m.Undo1->trigger();
    EXPECT_EQ(Value(1, 4), 0);
    EXPECT_TRUE(m.Redo1->isEnabled());
    m.Redo1->trigger();
    EXPECT_EQ(Value(1, 4), 255);
    EXPECT_FALSE(m.Redo1->isEnabled());

    // Saving starts a new history: nothing before it can be undone.
    Ui.SaveAnswers.push_back(Dir.filePath(QStringLiteral("undo.PRJ")));
    m.SaveAs1->trigger();
    EXPECT_FALSE(m.Undo1->isEnabled());
    EXPECT_FALSE(m.Redo1->isEnabled());
}

TEST_F(TimelineWindowTest, TracksAreCopiedAndPastedFromBothMenus) {
    TMainMenus& m = Window->Menus();
    for (int k = 0; k < 3; ++k)
        m.New1->trigger();
    EXPECT_FALSE(m.Coller1->isEnabled());
    Window->Commands().HeaderPress(2, Qt::LeftButton, TModifierKey::None);
    Window->Document().SetSlot(2, 7, 99);
    m.Copier1->trigger();
    EXPECT_TRUE(m.Coller1->isEnabled());
    EXPECT_TRUE(m.Paste1->isEnabled());
    m.Paste1->trigger();
    ASSERT_EQ(Window->Document().TrackCount(), 4);
    EXPECT_EQ(Window->Document().Track(4).Caption, QStringLiteral("Track 2"));
    EXPECT_EQ(Window->Document().Track(4).Output, 4); // a new output, not the copied one
    EXPECT_EQ(Value(4, 7), 99);
    EXPECT_TRUE(Window->Document().Track(4).Selected);

    m.Cut1->trigger(); // cuts the pasted track, one undo step
    EXPECT_EQ(Window->Document().TrackCount(), 3);
    m.Undo1->trigger();
    EXPECT_EQ(Window->Document().TrackCount(), 4);
}

} // namespace
