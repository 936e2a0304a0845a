// Tests of the About box: its layout, its texts in the language current at each showing, and
// that OK closes it accepted.
#include "dialogs/AboutBox.h"

#include <gtest/gtest.h>

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace lumivox {
namespace {

// Long enough for a loaded machine; it only tells a dialog that shows from one that never does.
constexpr int WaitMs = 10000;

QString LabelText(const TForm2& box, const char* name) {
    const auto* label = box.findChild<QLabel*>(QString::fromLatin1(name));
    return label != nullptr ? label->text() : QStringLiteral("<missing>");
}

TEST(AboutBoxTest, ChildrenSitWhereTheLayoutSays) {
    TForm2 box(nullptr);
    EXPECT_EQ(box.size(), QSize(441, 124));
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    const std::pair<const char*, QRect> expected[] = {
        {"Bevel1", {8, 8, 425, 73}},         {"Image1", {16, 16, 128, 54}},
        {"Image2", {392, 32, 32, 32}},       {"StaticText1", {152, 19, 225, 20}},
        {"StaticText2", {152, 40, 225, 17}}, {"StaticText3", {152, 57, 225, 18}},
        {"OKBtn", {359, 92, 75, 25}},
    };
    for (const auto& [name, geometry] : expected) {
        const auto* child = box.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(child, nullptr) << name;
        EXPECT_EQ(child->geometry(), geometry) << name;
    }
    EXPECT_TRUE(box.findChild<QPushButton*>(QStringLiteral("OKBtn"))->isDefault());
    EXPECT_FALSE(box.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(box.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    for (const char* name : {"StaticText1", "StaticText2", "StaticText3"}) {
        EXPECT_TRUE(box.findChild<QLabel*>(QString::fromLatin1(name))->alignment() &
                    Qt::AlignHCenter)
            << name;
    }
    EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("StaticText1"))->font().pointSize(), 10);
}

TEST(AboutBoxTest, ShowsTheLanguageChosenLastAtEachShowing) {
    Language language = Language::French;
    TForm2 box([&language] { return language; });

    box.show();
    EXPECT_EQ(box.windowTitle(), QStringLiteral("A propos de Vostrel Lumivox Editor"));
    EXPECT_EQ(LabelText(box, "StaticText1"), QStringLiteral("Vostrel Lumivox Editor"));
    box.hide();

    language = Language::Spanish; // changed while the box is hidden
    box.show();
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Sobre el Editor Lumivox Vostrel"));
    EXPECT_EQ(LabelText(box, "StaticText1"), QStringLiteral("Editor Vostrel Lumivox"));
    EXPECT_EQ(LabelText(box, "StaticText2"), QString::fromUtf8("Versión V1.4"));
    EXPECT_EQ(LabelText(box, "StaticText3"), QStringLiteral("https://lumivox.example"));
    box.hide();

    language = Language::German;
    box.show();
    EXPECT_EQ(box.windowTitle(), QString::fromUtf8("Über Vostrel Lumivox Editor"));
    EXPECT_EQ(LabelText(box, "StaticText2"), QStringLiteral("Version V1.4"));
    box.hide();
}

TEST(AboutBoxTest, TextsFitTheirBoxesInEveryLanguage) {
    for (const Language language :
         {Language::French, Language::English, Language::Spanish, Language::German}) {
        TForm2 box([language] { return language; });
        box.show();
        for (const char* name : {"StaticText1", "StaticText2", "StaticText3"}) {
            const auto* label = box.findChild<QLabel*>(QString::fromLatin1(name));
            EXPECT_LE(label->sizeHint().width(), label->width())
                << name << " in language " << static_cast<int>(language);
            EXPECT_LE(label->fontMetrics().height(), label->height()) << name;
        }
        box.hide();
    }
}

TEST(AboutBoxTest, PicturesAreDrawnAndOkAccepts) {
    TForm2 box(nullptr);
    QSignalSpy finished(&box, &QDialog::finished);
    // Modal like the window's, but without a nested event loop of its own: every wait below
    // has a deadline, so a box that never shows or never closes fails instead of hanging.
    box.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box, WaitMs)) << "the About box never showed";
    EXPECT_TRUE(box.isModal());
    for (const char* name : {"Image1", "Image2"}) {
        const auto* image = box.findChild<QLabel*>(QString::fromLatin1(name));
        const QPixmap picture = image->pixmap();
        EXPECT_FALSE(picture.isNull()) << name;
        EXPECT_EQ(picture.deviceIndependentSize().toSize(), image->size()) << name;
    }
    QTest::mouseClick(box.findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&finished] { return !finished.isEmpty(); }, WaitMs))
        << "OK did not close the About box";
    EXPECT_EQ(finished.first().first().toInt(), QDialog::Accepted);
    EXPECT_EQ(box.result(), QDialog::Accepted);
    EXPECT_FALSE(box.isVisible());
}

} // namespace
} // namespace lumivox
