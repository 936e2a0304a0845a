// The Outputs dialog on its own: OK hands back what the controls hold, Cancel nothing, the
// universe follows the DMX box, the status line follows olad, and every language fits.
#include "dialogs/OutputsDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

namespace lumivox {
namespace {

class OutputsDialogTest : public ::testing::Test {
protected:
    TOutputsDialog Dialog;
    QCheckBox* Dmx() { return Dialog.findChild<QCheckBox*>(QStringLiteral("DmxEnabled")); }
    QSpinBox* Universe() { return Dialog.findChild<QSpinBox*>(QStringLiteral("DmxUniverse")); }
    QString Status() { return Dialog.findChild<QLabel*>(QStringLiteral("OlaStatus"))->text(); }
    QPushButton* Button(QDialogButtonBox::StandardButton which) {
        return Dialog.findChild<QDialogButtonBox*>()->button(which);
    }
};

TEST_F(OutputsDialogTest, OkHandsBackTheControlsAndCancelLeavesTheChoicesAlone) {
    QSignalSpy chosen(&Dialog, &TOutputsDialog::Chosen);
    QSignalSpy shown(&Dialog, &TOutputsDialog::VisibilityChanged);
    Dialog.Open({false, 3}, Language::English);
    EXPECT_TRUE(Dialog.isVisible());
    EXPECT_FALSE(Dmx()->isChecked());
    EXPECT_EQ(Universe()->value(), 3);
    EXPECT_FALSE(Universe()->isEnabled()) << "no universe to pick while DMX is off";
    QTest::mouseClick(Dmx(), Qt::LeftButton);
    EXPECT_TRUE(Universe()->isEnabled());
    Universe()->setValue(0);
    EXPECT_EQ(Universe()->value(), 1) << "universes start at 1";
    Universe()->setValue(12);
    QTest::mouseClick(Button(QDialogButtonBox::Cancel), Qt::LeftButton);
    EXPECT_FALSE(Dialog.isVisible());
    EXPECT_EQ(chosen.count(), 0);

    Dialog.Open({false, 3}, Language::English);
    EXPECT_FALSE(Dmx()->isChecked()) << "a cancelled change is not kept";
    QTest::mouseClick(Dmx(), Qt::LeftButton);
    Universe()->setValue(12);
    QTest::mouseClick(Button(QDialogButtonBox::Ok), Qt::LeftButton);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.front().front().value<TOutputChoices>(), (TOutputChoices{true, 12}));
    EXPECT_FALSE(Dialog.isVisible());
    ASSERT_EQ(shown.count(), 4);
    EXPECT_TRUE(shown.at(0).front().toBool());
    EXPECT_FALSE(shown.at(1).front().toBool());
}

TEST_F(OutputsDialogTest, TheStatusLineFollowsOladInEveryLanguage) {
    for (Language language :
         {Language::French, Language::English, Language::Spanish, Language::German}) {
        Dialog.ShowReachable(std::nullopt);
        Dialog.Open({true, 1}, language);
        EXPECT_EQ(Status(), Text(TextTable::DmxText, DmxText::Checking, language));
        EXPECT_EQ(Dialog.windowTitle(), Text(TextTable::DmxText, DmxText::OutputsTitle, language));
        EXPECT_EQ(Dmx()->text(), Text(TextTable::DmxText, DmxText::DmxEnabled, language));
        Dialog.ShowReachable(true);
        EXPECT_EQ(Status(), Text(TextTable::DmxText, DmxText::Reachable, language));
        Dialog.ShowReachable(false);
        EXPECT_EQ(Status(), Text(TextTable::DmxText, DmxText::Unreachable, language));
        EXPECT_GE(Dmx()->width(), Dmx()->sizeHint().width()) << "the box's text is not cut";
        Dialog.reject();
    }
}

} // namespace
} // namespace lumivox
