// Track editing in the real main window: the Undo Levels dialog (steps and memory), the
// tracks moved up and down from the header menu and the keys, and what the header's menus
// show: where the type/output menu opens, the checked type, the items' images, and the
// "Value :" read-out put back to rest around the lanes.
#include "app/MainWindow.h"
#include "app/NumberMenu.h"
#include "app/TrackHeaderColumn.h"
#include "app/UndoLevelsDialog.h"
#include "model/TrackRules.h"
#include "persistence/Preferences.h"
#include "support/ScriptedUserInterface.h"
#include "support/widgets/WindowFixture.h"
#include "timeline/LanesView.h"
#include "timeline/TimelineStyle.h"
#include "timeline/TrackHeader.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

using namespace lumivox;
using lumivox::test::ScriptedUserInterface;
using lumivox::test::WindowFixture;
using Kind = ScriptedUserInterface::Event;

namespace {

class TrackEditingWindowTest : public WindowFixture {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(OpenWindow()); }
    void AddTracks(int count) {
        for (int k = 0; k < count; ++k)
            Window->Menus().New1->trigger();
    }
    TFrame2* Frame(int track) { return Window->HeaderColumn().Frame(track); }
    QWidget* Panel(int track) {
        return Frame(track)->findChild<QWidget*>(QStringLiteral("Panel1"));
    }
    QString Order() {
        QStringList numbers;
        for (const TFullTrack* track : Doc().Tracks())
            numbers << track->Caption.mid(6);
        return numbers.join(QLatin1Char(' '));
    }
    QString ValueText() {
        return Window->findChild<QLabel*>(QStringLiteral("StaticText7"))->text();
    }
    // Opens Options > Undo Levels and lets `script` play the user in it: OK when it returns
    // true, Cancel otherwise.
    void AnswerUndoLevels(const std::function<bool(TUndoLevelsDialog&)>& script) {
        bool answered = false;
        QTimer::singleShot(0, Window.get(), [&] {
            auto* dialog = Window->findChild<TUndoLevelsDialog*>();
            ASSERT_NE(dialog, nullptr);
            ASSERT_TRUE(dialog->isVisible());
            answered = true;
            if (script(*dialog))
                dialog->accept();
            else
                dialog->reject();
        });
        Window->Menus().UndoDepth1->trigger();
        EXPECT_TRUE(answered);
    }
    static QSpinBox* SpinBox(TUndoLevelsDialog& dialog, const char* name) {
        return dialog.findChild<QSpinBox*>(QLatin1String(name));
    }
    static QString HeldText(TUndoLevelsDialog& dialog) {
        return dialog.findChild<QLabel*>(QStringLiteral("HistoryHeld"))->text();
    }
};

TEST_F(TrackEditingWindowTest, TheUndoLevelsDialogSetsStepsAndMemoryAndShowsWhatIsHeld) {
    TMainMenus& m = Window->Menus();
    EXPECT_EQ(m.UndoDepth1->text(), "&Undo Levels...");
    EXPECT_EQ(Window->EditHistory().Depth(), 20);
    EXPECT_EQ(Window->EditHistory().Budget(),
              static_cast<std::size_t>(Window->Prefs().UndoBudgetMb()) * UndoHistory::Megabyte);
    AddTracks(6); // six undo steps after the opening state
    ASSERT_EQ(Window->EditHistory().Steps(), 6);

    const int budget = Window->Prefs().UndoBudgetMb(); // this machine's default
    QString title, depthLabel, held;
    AnswerUndoLevels([&](TUndoLevelsDialog& dialog) {
        title = dialog.windowTitle();
        depthLabel = dialog.findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly)->text();
        held = HeldText(dialog);
        EXPECT_EQ(SpinBox(dialog, "UndoDepthBox")->value(), 20);
        SpinBox(dialog, "UndoDepthBox")->setValue(3);
        SpinBox(dialog, "UndoBudgetBox")->setValue(100);
        return true;
    });
    EXPECT_EQ(title, "Undo Levels");
    EXPECT_EQ(depthLabel, "Number of undo steps kept (1 to 1000):");
    EXPECT_EQ(held, QStringLiteral("The history holds 6 steps, 0.0 MB of %1 MB.").arg(budget));
    EXPECT_EQ(Window->Prefs().UndoDepth(), 3);
    EXPECT_EQ(Window->Prefs().UndoBudgetMb(), 100);
    EXPECT_EQ(Window->EditHistory().Depth(), 3);
    EXPECT_EQ(Window->EditHistory().Budget(), 100 * UndoHistory::Megabyte);
    EXPECT_EQ(Window->EditHistory().Steps(), 3) << "the oldest went at once";
    for (int k = 0; k < 3; ++k)
        m.Undo1->trigger();
    EXPECT_EQ(Doc().TrackCount(), 3) << "three levels, three undo steps";
    EXPECT_FALSE(m.Undo1->isEnabled());

    // Cancelled: nothing changes.
    AnswerUndoLevels([&](TUndoLevelsDialog& dialog) {
        SpinBox(dialog, "UndoDepthBox")->setValue(9);
        SpinBox(dialog, "UndoBudgetBox")->setValue(900);
        return false;
    });
    EXPECT_EQ(Window->Prefs().UndoDepth(), 3);
    EXPECT_EQ(Window->Prefs().UndoBudgetMb(), 100);

    // In German, what the history holds as well.
    m.Deutsch1->trigger();
    AnswerUndoLevels([&](TUndoLevelsDialog& dialog) {
        title = dialog.windowTitle();
        held = HeldText(dialog);
        return false;
    });
    EXPECT_EQ(title, QString::fromUtf8("Rückgängig-Stufen"));
    EXPECT_EQ(held, QStringLiteral("Der Verlauf enthält 3 Schritte, 0,0 MB von 100 MB."));
    m.English1->trigger();

    // A new window takes both from the preferences; one level is one undo step.
    Window->Document().SetModified(false);
    Window.reset();
    OpenWindow();
    EXPECT_EQ(Window->EditHistory().Depth(), 3);
    EXPECT_EQ(Window->EditHistory().Budget(), 100 * UndoHistory::Megabyte);
    AddTracks(5);
    EXPECT_EQ(Window->EditHistory().Steps(), 3);
    AnswerUndoLevels([&](TUndoLevelsDialog& dialog) {
        held = HeldText(dialog);
        SpinBox(dialog, "UndoDepthBox")->setValue(1);
        return true;
    });
    EXPECT_EQ(held, QStringLiteral("The history holds 3 steps, 0.0 MB of 100 MB."));
    Window->Menus().Undo1->trigger();
    EXPECT_EQ(Doc().TrackCount(), 4);
    EXPECT_FALSE(Window->Menus().Undo1->isEnabled());
}

// The header column keeps a header per track: it shows the fields the show changes, shows
// the tracks below a deletion in their new rows, and goes with the tracks.
TEST_F(TrackEditingWindowTest, HeadersShowNewTracksAndLeaveWithDeletedOnes) {
    AddTracks(3);
    ASSERT_EQ(Window->HeaderColumn().findChildren<TFrame2*>().size(), 3);
    TFrame2* third = Frame(3);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->findChild<QLabel*>("Label1")->text(), "003");
    EXPECT_EQ(third->height(), Window->Geometry().LaneHeight());

    Doc().SetArmed(3, true);
    EXPECT_TRUE(third->Armed());
    Doc().SetOutput(3, 0);
    EXPECT_EQ(third->findChild<QLabel*>("Label1")->text(), "All");
    third->ApplyLanguage(Language::German);
    EXPECT_EQ(third->findChild<QLabel*>("Label1")->text(),
              Text(TextTable::CommonTexts, CommonText::All, Language::German));

    Window->Commands().HeaderPress(2, Qt::LeftButton, TModifierKey::None);
    Ui.ConfirmAnswers = {true};
    Window->Commands().DeleteSelectedTracks();
    ASSERT_EQ(Window->HeaderColumn().findChildren<TFrame2*>().size(), 2);
    // The second row shows the third track now, renumbered; no third row is left.
    ASSERT_NE(Frame(2), nullptr);
    EXPECT_EQ(Frame(3), nullptr);
    EXPECT_EQ(Frame(2)->findChild<QLabel*>("StaticText1")->text(), "2");
    EXPECT_EQ(Frame(2)->findChild<QLabel*>("StaticText2")->text(), "Track 3");
    EXPECT_EQ(Frame(2)->findChild<QLabel*>("Label1")->text(), "All");
    EXPECT_TRUE(Frame(2)->Armed());

    Doc().RemoveAllTracks();
    EXPECT_TRUE(Window->HeaderColumn().findChildren<TFrame2*>().isEmpty());
}

TEST_F(TrackEditingWindowTest, TracksMoveFromTheHeaderMenuAndTheKeysAndUndoInOneStep) {
    TMainMenus& m = Window->Menus();
    AddTracks(4);
    Doc().SetSlot(4, 5, 77);
    QTest::mouseClick(Panel(4), Qt::RightButton, {}, QPoint(5, 30));
    ASSERT_TRUE(m.PopupMenu3->isVisible());
    EXPECT_TRUE(m.PopupMenu3->actions().contains(m.MoveUp1));
    EXPECT_TRUE(m.PopupMenu3->actions().contains(m.MoveDown1));
    EXPECT_EQ(m.MoveUp1->text(), "Move Up");
    EXPECT_EQ(m.MoveDown1->text(), "Move Down");
    m.PopupMenu3->close();
    m.MoveUp1->trigger();
    EXPECT_EQ(Order(), "1 2 4 3");
    EXPECT_TRUE(Doc().Track(3).Selected);

    // Alt+Up moves on; the headers and the lanes show the new order.
    QTest::keyClick(Window.get(), Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(Order(), "1 4 2 3");
    const int height = Frame(1)->height();
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(Frame(k)->y(), (k - 1) * height) << k;
    EXPECT_EQ(Frame(2)->findChild<QLabel*>(QStringLiteral("StaticText1"))->text(), "2");
    std::uint8_t value = 0;
    ASSERT_TRUE(Doc().Track(2).GetValue(5, value));
    EXPECT_EQ(value, 77);
    // The value bar is painted in the lane where its track now stands, none where it was.
    const QImage lanes = Window->Lanes().viewport()->grab().toImage();
    const int x = static_cast<int>(4.5 * 8.6133);
    const int low = height * 3 / 4; // within a bar of 77 standing on the lane's bottom line
    EXPECT_EQ(lanes.pixelColor(x, height + low), ToQColor(Doc().Track(2).LaneColor));
    EXPECT_EQ(lanes.pixelColor(x, 3 * height + low), ToQColor(Doc().Track(4).LaneBackColor));
    QTest::keyClick(Window.get(), Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(Order(), "1 2 4 3");

    m.Undo1->trigger();
    EXPECT_EQ(Order(), "1 4 2 3");
    m.Redo1->trigger();
    EXPECT_EQ(Order(), "1 2 4 3");

    // A pasted track still comes after the last one.
    m.Copier1->trigger();
    m.Paste1->trigger();
    EXPECT_EQ(Order(), "1 2 4 3 4");
    EXPECT_TRUE(Doc().Track(5).Selected);
    QTest::keyClick(Window.get(), Qt::Key_Down, Qt::AltModifier); // blocked at the bottom
    EXPECT_EQ(Order(), "1 2 4 3 4");
}

TEST_F(TrackEditingWindowTest, TheTypeMenuOpensAtItsButtonWithTheTrackTypeChecked) {
    TMainMenus& m = Window->Menus();
    AddTracks(2);
    Doc().SetType(2, TrackTypeOnOff);
    for (int track : {1, 2}) {
        SCOPED_TRACE(track);
        auto* button = Frame(track)->findChild<QToolButton*>(QStringLiteral("SpeedButton3"));
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_TRUE(m.PopupMenu2->isVisible());
        const QPoint corner = button->mapToGlobal(QPoint(button->width(), 0));
        EXPECT_LE((m.PopupMenu2->pos() - corner).manhattanLength(), 2)
            << m.PopupMenu2->pos().x() << "," << m.PopupMenu2->pos().y();
        EXPECT_TRUE(m.TypeGroup->isExclusive());
        EXPECT_EQ(m.Proportional1->isChecked(), track == 1);
        EXPECT_EQ(m.OnOff1->isChecked(), track == 2);
        m.PopupMenu2->close();
    }
    // Choosing from the menu sets the type, which the next opening checks.
    QTest::mouseClick(Frame(1)->findChild<QToolButton*>(QStringLiteral("SpeedButton3")),
                      Qt::LeftButton);
    m.OnOff1->trigger();
    m.PopupMenu2->close();
    EXPECT_EQ(Doc().Track(1).TrackType, TrackTypeOnOff);
    QTest::mouseClick(Frame(1)->findChild<QToolButton*>(QStringLiteral("SpeedButton3")),
                      Qt::LeftButton);
    EXPECT_TRUE(m.OnOff1->isChecked());
    EXPECT_FALSE(m.Proportional1->isChecked());
    m.PopupMenu2->close();
}

TEST_F(TrackEditingWindowTest, NumberMenusShowTheirImagesAndColourItemsTheirSwatches) {
    TMainMenus& m = Window->Menus();
    AddTracks(1);
    QTest::mouseClick(Frame(1)->findChild<QToolButton*>(QStringLiteral("SpeedButton3")),
                      Qt::LeftButton);
    ASSERT_TRUE(m.PopupMenu2->isVisible());
    for (TNumberMenu* menu : {m.OutputMenu, m.ValueMenu}) {
        for (int group = 1; group <= 8; ++group)
            EXPECT_FALSE(menu->Group(group)->icon().isNull()) << group;
        for (int number : {0, 31, 128, 255})
            EXPECT_FALSE(menu->Item(number)->icon().isNull()) << number;
    }
    const QImage output = m.OutputMenu->Item(7)->icon().pixmap(24, 24).toImage();
    const QImage value = m.ValueMenu->Item(7)->icon().pixmap(24, 24).toImage();
    EXPECT_NE(output, value) << "each menu has its own image";
    m.PopupMenu2->close();

    for (int n = 1; n <= PaletteSize; ++n) {
        const QImage swatch =
            m.Colors[static_cast<std::size_t>(n - 1)]->icon().pixmap(16, 16).toImage();
        ASSERT_FALSE(swatch.isNull()) << n;
        EXPECT_EQ(swatch.pixelColor(8, 8),
                  ToQColor(TrackPalette.at(static_cast<std::size_t>(n - 1)).Strong))
            << n;
    }
}

TEST_F(TrackEditingWindowTest, TheValueReadOutRestsOnceThePointerLeavesTheLanesForAnyPanel) {
    AddTracks(1);
    QWidget* lanes = Window->Lanes().viewport();
    const struct {
        const char* name;
        QPoint at;
    } areas[] = {{"ToolBar", QPoint(600, 10)},
                 {"UpperLeftPanel", QPoint(5, 80)},
                 {"StatusBar", QPoint(600, 10)},
                 {"ScrollBox3", QPoint(20, 300)}}; // below the only header
    for (const auto& area : areas) {
        SCOPED_TRACE(area.name);
        QTest::mouseMove(lanes, QPoint(30, 10));
        ASSERT_NE(ValueText(), "...") << "the lanes show the value under the pointer";
        QWidget* widget = Window->findChild<QWidget*>(QLatin1String(area.name));
        ASSERT_NE(widget, nullptr);
        QTest::mouseMove(widget, area.at);
        EXPECT_EQ(ValueText(), "...");
    }
}

} // namespace
