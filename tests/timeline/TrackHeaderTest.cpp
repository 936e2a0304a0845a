// Tests of the track header on the offscreen platform: every control at its place, the
// colours it paints, the signals of presses and buttons, the caption editor, the hints of
// each language, the application-wide press that closes caption editors, and headers made
// and freed by the track commands.
#include "timeline/TrackHeader.h"
#include "editing/TrackCommands.h"
#include "model/ShowDocument.h"
#include "support/ScriptedUserInterface.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace lumivox {
namespace {

// The column the headers stand in, shown as a window of its own.
class TrackHeaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        Column.setFixedSize(169, 200);
        Frame = new TFrame2(&Column);
        Other = new QPushButton(QStringLiteral("other"), &Column);
        Other->setGeometry(0, 120, 80, 30);
        Column.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Column));
    }

    template <typename T = QWidget> T* Part(const char* name) const {
        T* part = Frame->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(part, nullptr) << name;
        return part;
    }
    QColor PixelAt(QWidget* widget, int x, int y) const {
        const QImage image = widget->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        return image.pixelColor(qRound(x * ratio), qRound(y * ratio));
    }

    QWidget Column;
    TFrame2* Frame = nullptr;
    QPushButton* Other = nullptr;
};

TEST_F(TrackHeaderTest, EveryControlStandsAtItsPlace) {
    struct Place {
        const char* Name;
        QRect Rect;
    };
    const Place places[] = {
        {"StaticText1", {2, 2, 33, 17}},     {"StaticText2", {34, 2, 116, 17}},
        {"Edit1", {35, 3, 114, 15}},         {"SpeedButton5", {150, 2, 19, 17}},
        {"Image1", {2, 27, 16, 17}},         {"SpeedButton3", {20, 23, 16, 22}},
        {"SpeedButton4", {77, 23, 23, 22}},  {"SpeedButton2", {100, 23, 23, 22}},
        {"SpeedButton1", {123, 23, 23, 22}}, {"SpeedButton7", {146, 23, 23, 22}},
    };
    for (const Place& place : places) {
        QWidget* part = Part(place.Name);
        ASSERT_NE(part, nullptr);
        EXPECT_EQ(QRect(part->mapTo(Frame, QPoint(0, 0)), part->size()), place.Rect) << place.Name;
    }
    EXPECT_EQ(Part<QLabel>("Label1")->mapTo(Frame, QPoint(0, 0)), QPoint(38, 28));
    EXPECT_EQ(Part("Panel1")->geometry(), Frame->rect());
    EXPECT_EQ(Frame->size(), QSize(169, 73)) << "the column's width, the default row height";

    EXPECT_FALSE(Part("SpeedButton5")->isEnabled());
    EXPECT_FALSE(Part("Edit1")->isVisible());
    for (const char* toggle : {"SpeedButton4", "SpeedButton2", "SpeedButton1", "SpeedButton7"})
        EXPECT_TRUE(Part<QToolButton>(toggle)->isCheckable()) << toggle;
    Frame->SetHeight(25);
    EXPECT_EQ(Part("Panel1")->height(), 25);
}

TEST_F(TrackHeaderTest, PanelAndBoxesPaintTheSelectionAndTrackColours) {
    const QColor face = QApplication::palette().color(QPalette::Button);
    const QColor grey(0xA1, 0xA1, 0xA1);
    ASSERT_NE(face, grey);
    Frame->ShowColors(0x00FF80, 0xD9E9E5); // palette entry 1, 0x00BBGGRR
    Frame->ShowNumber(12);
    EXPECT_EQ(PixelAt(Frame, 60, 60), face);
    EXPECT_EQ(PixelAt(Frame, 4, 4), QColor(0x80, 0xFF, 0x00));
    EXPECT_EQ(PixelAt(Frame, 148, 17), QColor(0xE5, 0xE9, 0xD9));
    EXPECT_NE(PixelAt(Frame, 2, 2), QColor(0x80, 0xFF, 0x00)) << "the box has a border";
    EXPECT_EQ(Part<QLabel>("StaticText1")->text(), "12");
    Frame->ShowSelected(true);
    EXPECT_EQ(PixelAt(Frame, 60, 60), grey);
    EXPECT_EQ(PixelAt(Frame, 2, 27), grey) << "the type icon is drawn on the panel's colour";
    EXPECT_EQ(PixelAt(Frame, 4, 4), QColor(0x80, 0xFF, 0x00));

    const QImage proportional = Part<QLabel>("Image1")->pixmap().toImage();
    Frame->ShowTypeImage(TrackTypeOnOff);
    EXPECT_NE(Part<QLabel>("Image1")->pixmap().toImage(), proportional);
}

TEST_F(TrackHeaderTest, ButtonsReportClicksButNotTheStatesTheModelSets) {
    QSignalSpy lock(Frame, &TFrame2::LockClicked);
    QSignalSpy mute(Frame, &TFrame2::MuteClicked);
    QSignalSpy solo(Frame, &TFrame2::SoloClicked);
    QSignalSpy type(Frame, &TFrame2::TypeOutputClicked);
    QSignalSpy pressed(Frame, &TFrame2::Pressed);
    Frame->ShowLocked(true);
    Frame->ShowMute(true);
    EXPECT_TRUE(Part<QToolButton>("SpeedButton7")->isChecked());
    EXPECT_TRUE(Part<QToolButton>("SpeedButton1")->isChecked());
    for (const char* button : {"SpeedButton7", "SpeedButton1", "SpeedButton2", "SpeedButton3"})
        QTest::mouseClick(Part(button), Qt::LeftButton);
    EXPECT_EQ(lock.count() + mute.count() + solo.count() + type.count(), 4);
    EXPECT_EQ(pressed.count(), 0) << "a button takes its own presses";
    QSignalSpy arm(Frame, &TFrame2::ArmToggled);
    QTest::mouseClick(Part("SpeedButton4"), Qt::LeftButton);
    EXPECT_TRUE(Frame->Armed());
    ASSERT_EQ(arm.count(), 1);
    EXPECT_TRUE(arm.at(0).at(0).toBool());
    Frame->ShowArmed(false); // the model's state, not a click
    EXPECT_FALSE(Frame->Armed());
    EXPECT_EQ(arm.count(), 1);
    EXPECT_EQ(Frame->TypeOutputMenuPosition(), Part("SpeedButton3")->mapToGlobal(QPoint(16, 0)));
}

TEST_F(TrackHeaderTest, PressesOnThePanelOrItsTextsSelectAndACaptionDoubleClickEdits) {
    QSignalSpy pressed(Frame, &TFrame2::Pressed);
    QSignalSpy edit(Frame, &TFrame2::CaptionDoubleClicked);
    QTest::mouseClick(Part("Panel1"), Qt::LeftButton, Qt::ControlModifier, QPoint(60, 60));
    QTest::mouseClick(Part("Label1"), Qt::RightButton, Qt::NoModifier, QPoint(2, 2));
    ASSERT_EQ(pressed.count(), 2);
    EXPECT_EQ(pressed.at(0).at(1).value<Qt::KeyboardModifiers>(), Qt::ControlModifier);
    EXPECT_EQ(pressed.at(1).at(0).value<Qt::MouseButton>(), Qt::RightButton);
    QTest::mouseDClick(Part("StaticText1"), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(edit.count(), 0) << "only the caption edits";
    QTest::mouseDClick(Part("StaticText2"), Qt::LeftButton, Qt::NoModifier, QPoint(40, 8));
    EXPECT_EQ(edit.count(), 1);
}

TEST_F(TrackHeaderTest, TheCaptionEditorEndsOnEnterEscapeAndFocusLoss) {
    QSignalSpy finished(Frame, &TFrame2::CaptionEditFinished);
    auto* edit = Part<QLineEdit>("Edit1");
    Frame->OpenCaptionEditor(QStringLiteral("Track 4"));
    EXPECT_TRUE(Frame->CaptionEditorOpen());
    EXPECT_TRUE(edit->isVisible());
    EXPECT_EQ(edit->text(), "Track 4");
    edit->setText(QStringLiteral("Lasers"));
    EXPECT_EQ(Frame->CaptionEditorText(), "Lasers");

    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(finished.count(), 1);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(finished.count(), 2);
    QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(edit, &out);
    EXPECT_EQ(finished.count(), 3);

    Frame->CloseCaptionEditor();
    EXPECT_FALSE(Frame->CaptionEditorOpen());
    EXPECT_FALSE(edit->isVisible());
    QCoreApplication::sendEvent(edit, &out);
    EXPECT_EQ(finished.count(), 3) << "a closed editor reports nothing";
}

TEST_F(TrackHeaderTest, HintsComeFromTheLanguage) {
    EXPECT_EQ(Part("SpeedButton4")->toolTip(), "Arm track for record");
    Frame->ApplyLanguage(Language::German);
    const std::pair<const char*, int> hints[] = {{"SpeedButton7", CommonText::Lock},
                                                 {"SpeedButton1", CommonText::Mute},
                                                 {"SpeedButton2", CommonText::Solo},
                                                 {"SpeedButton4", CommonText::ArmTrack},
                                                 {"SpeedButton3", CommonText::TypeOutput}};
    for (const auto& [button, entry] : hints)
        EXPECT_EQ(Part(button)->toolTip(), Text(TextTable::CommonTexts, entry, Language::German))
            << button;
}

TEST_F(TrackHeaderTest, PointerMovesOverAnyPartAreReported) {
    QSignalSpy moved(Frame, &TFrame2::PointerMoved);
    QTest::mouseMove(Part("StaticText2"), QPoint(10, 8));
    QTest::mouseMove(Part("SpeedButton1"), QPoint(5, 5));
    EXPECT_GE(moved.count(), 2);
}

TEST_F(TrackHeaderTest, ALeftPressElsewhereCommitsButNotInsideTheOpenEditor) {
    int commits = 0;
    TCaptionCommitFilter filter([&commits] { ++commits; });
    qApp->installEventFilter(&filter);
    Frame->OpenCaptionEditor(QStringLiteral("Track 1"));

    QTest::mouseClick(Part("Edit1"), Qt::LeftButton, Qt::NoModifier, QPoint(20, 5));
    EXPECT_EQ(commits, 0) << "placing the caret keeps the editor open";
    QTest::mouseClick(Other, Qt::RightButton);
    EXPECT_EQ(commits, 0) << "only left presses commit";
    QTest::mouseClick(Other, Qt::LeftButton);
    EXPECT_GE(commits, 1);
    qApp->removeEventFilter(&filter);
}

} // namespace
} // namespace lumivox
