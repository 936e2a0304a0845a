// Tests of the Project Properties dialog driven through its editor interface: every field
// round trip on OK, nothing changed on Cancel, the resolution choices, the name limit, the
// texts of each language and that no label is cut off.
#include "dialogs/ProjectPropertiesDialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace lumivox {
namespace {

constexpr std::array kAllLanguages{Language::French, Language::English, Language::Spanish,
                                   Language::German};

TProjectPropertiesData SampleData() {
    TProjectPropertiesData data;
    data.Name = QStringLiteral("Summer Show");
    data.Mp3Path = QStringLiteral("/home/shows/2024/summer/very long folder name/opening.mp3");
    data.ResolutionIndex = 2;
    data.ResolutionEnabled = true;
    data.Subject = QStringLiteral("Fountain");
    data.Author = QStringLiteral("J. Martin");
    data.Copyright = QStringLiteral("(c) Lumivox");
    data.Customer = QStringLiteral("City of Lyon");
    data.CreationDate = QStringLiteral("14/07/2024");
    data.Comments = {QStringLiteral("first line"), QString(), QStringLiteral("third line")};
    return data;
}

class ProjectPropertiesDialogTest : public ::testing::Test {
protected:
    template <typename T> T* Child(const char* name) {
        auto* child = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    // Runs the dialog over `data`; `script` runs inside its modal loop and should press a
    // button. A guard ends the loop should it not.
    bool Edit(TProjectPropertiesData& data, Language language, std::function<void()> script) {
        QTimer::singleShot(0, &dialog, std::move(script));
        QTimer::singleShot(5000, &dialog, [this] { dialog.done(-1); });
        return dialog.EditProjectProperties(data, language);
    }

    void Press(const char* button) {
        QTest::mouseClick(Child<QPushButton>(button), Qt::LeftButton);
    }

    TForm3 dialog;
};

TEST_F(ProjectPropertiesDialogTest, ShowsEveryFieldAndReturnsTheEditsOnOk) {
    TProjectPropertiesData data = SampleData();
    const bool accepted = Edit(data, Language::English, [this] {
        EXPECT_EQ(Child<QLineEdit>("Edit1")->text(), QStringLiteral("Summer Show"));
        EXPECT_TRUE(Child<QRadioButton>("RadioButton2")->isChecked());
        EXPECT_EQ(Child<QLabel>("Label11")->text(), SampleData().Mp3Path);
        EXPECT_EQ(Child<QLineEdit>("Edit2")->text(), QStringLiteral("Fountain"));
        EXPECT_EQ(Child<QLineEdit>("Edit6")->text(), QStringLiteral("14/07/2024"));
        EXPECT_EQ(dialog.focusWidget(), Child<QLineEdit>("Edit1"));

        Child<QLineEdit>("Edit1")->setText(QStringLiteral("Winter Show"));
        Child<QRadioButton>("RadioButton3")->setChecked(true);
        Child<QLineEdit>("Edit2")->setText(QStringLiteral("Ice rink"));
        Child<QLineEdit>("Edit3")->setText(QStringLiteral("A. Perez"));
        Child<QLineEdit>("Edit4")->setText(QStringLiteral("(c) 2025"));
        Child<QLineEdit>("Edit5")->setText(QString::fromUtf8("Zürich Arena"));
        Child<QLineEdit>("Edit6")->setText(QStringLiteral("01/12/2025"));
        Child<QPlainTextEdit>("Memo1")->setPlainText(QStringLiteral("one\ntwo\n\n"));
        Press("OKBtn");
    });
    ASSERT_TRUE(accepted);
    EXPECT_EQ(data.Name, QStringLiteral("Winter Show"));
    EXPECT_EQ(data.ResolutionIndex, 3);
    EXPECT_EQ(data.Mp3Path, SampleData().Mp3Path);
    EXPECT_EQ(data.Subject, QStringLiteral("Ice rink"));
    EXPECT_EQ(data.Author, QStringLiteral("A. Perez"));
    EXPECT_EQ(data.Copyright, QStringLiteral("(c) 2025"));
    EXPECT_EQ(data.Customer, QString::fromUtf8("Zürich Arena"));
    EXPECT_EQ(data.CreationDate, QStringLiteral("01/12/2025"));
    EXPECT_EQ(data.Comments,
              QStringList({QStringLiteral("one"), QStringLiteral("two"), QString()}));
}

TEST_F(ProjectPropertiesDialogTest, OkWithoutEditsKeepsEveryValueIncludingEmptyCommentLines) {
    for (const QStringList& comments :
         {QStringList(), QStringList{QString()}, QStringList{QStringLiteral("a"), QString()},
          SampleData().Comments}) {
        TProjectPropertiesData data = SampleData();
        data.Comments = comments;
        ASSERT_TRUE(Edit(data, Language::English, [this] { Press("OKBtn"); }));
        EXPECT_EQ(data.Comments, comments) << comments.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(data.Name, SampleData().Name);
        EXPECT_EQ(data.ResolutionIndex, 2);
        EXPECT_EQ(data.CreationDate, SampleData().CreationDate);
    }
}

TEST_F(ProjectPropertiesDialogTest, CancelLeavesTheDataAsItWas) {
    TProjectPropertiesData data = SampleData();
    const bool accepted = Edit(data, Language::English, [this] {
        Child<QLineEdit>("Edit1")->setText(QStringLiteral("changed"));
        Child<QRadioButton>("RadioButton1")->setChecked(true);
        Child<QPlainTextEdit>("Memo1")->setPlainText(QStringLiteral("changed"));
        Press("CancelBtn");
    });
    EXPECT_FALSE(accepted);
    EXPECT_EQ(data.Name, SampleData().Name);
    EXPECT_EQ(data.ResolutionIndex, 2);
    EXPECT_EQ(data.Comments, SampleData().Comments);
}

TEST_F(ProjectPropertiesDialogTest, ResolutionChoices) {
    // Locked after creation: shown but disabled, and returned unchanged.
    TProjectPropertiesData data = SampleData();
    data.ResolutionIndex = 3;
    data.ResolutionEnabled = false;
    ASSERT_TRUE(Edit(data, Language::English, [this] {
        for (const char* name : {"RadioButton1", "RadioButton2", "RadioButton3"}) {
            EXPECT_FALSE(Child<QRadioButton>(name)->isEnabled()) << name;
        }
        EXPECT_TRUE(Child<QRadioButton>("RadioButton3")->isChecked());
        Press("OKBtn");
    }));
    EXPECT_EQ(data.ResolutionIndex, 3);

    // Enabled again for the next new project; an unknown index shows 100 ms.
    data.ResolutionEnabled = true;
    data.ResolutionIndex = 7;
    ASSERT_TRUE(Edit(data, Language::English, [this] {
        EXPECT_TRUE(Child<QRadioButton>("RadioButton2")->isEnabled());
        EXPECT_TRUE(Child<QRadioButton>("RadioButton1")->isChecked());
        Child<QRadioButton>("RadioButton2")->setChecked(true);
        Press("OKBtn");
    }));
    EXPECT_EQ(data.ResolutionIndex, 2);
}

TEST_F(ProjectPropertiesDialogTest, NameIsLimitedTo64Characters) {
    TProjectPropertiesData data = SampleData();
    ASSERT_TRUE(Edit(data, Language::English, [this] {
        auto* name = Child<QLineEdit>("Edit1");
        EXPECT_EQ(name->maxLength(), 64);
        name->clear();
        QTest::keyClicks(name, QString(70, QLatin1Char('x')));
        Press("OKBtn");
    }));
    EXPECT_EQ(data.Name, QString(64, QLatin1Char('x')));
}

TEST_F(ProjectPropertiesDialogTest, TextsFollowTheLanguageOfEachShowing) {
    TProjectPropertiesData data = SampleData();
    Edit(data, Language::French, [this] {
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Propriétés du Projet"));
        EXPECT_EQ(Child<QLabel>("Label1")->text(), QStringLiteral(" Nom du Projet :"));
        EXPECT_EQ(Child<QLabel>("Label8")->text(), QString::fromUtf8(" Date de création :"));
        EXPECT_EQ(Child<QPushButton>("CancelBtn")->text(), QStringLiteral("Annuler"));
        Press("CancelBtn");
    });
    Edit(data, Language::German, [this] {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Projekteigenschaften"));
        EXPECT_EQ(Child<QLabel>("Label3")->text(), QStringLiteral(" MP3 Datei : "));
        EXPECT_EQ(Child<QLabel>("Label9")->text(), QStringLiteral(" Kommentare :"));
        EXPECT_EQ(Child<QPushButton>("OKBtn")->text(), QStringLiteral("OK"));
        EXPECT_EQ(Child<QPushButton>("CancelBtn")->text(), QStringLiteral("Abbruch"));
        Press("CancelBtn");
    });
}

TEST_F(ProjectPropertiesDialogTest, NothingIsCutOffInAnyLanguage) {
    TProjectPropertiesData data = SampleData();
    for (const Language language : kAllLanguages) {
        Edit(data, language, [this, language] {
            EXPECT_EQ(dialog.size(), QSize(362, 460));
            const auto widgets = dialog.findChildren<QWidget*>();
            for (const QWidget* widget : widgets) {
                // Texts only; the song path is elided on purpose.
                const bool isText = qobject_cast<const QLabel*>(widget) != nullptr ||
                                    qobject_cast<const QAbstractButton*>(widget) != nullptr;
                if (!isText || qobject_cast<const TPathLabel*>(widget) != nullptr) {
                    continue;
                }
                // A push button's size hint has a style minimum wider than 75 pixels; what
                // matters is that its text fits.
                const auto* push = qobject_cast<const QPushButton*>(widget);
                const int needed = push != nullptr
                                       ? push->fontMetrics().horizontalAdvance(push->text()) + 12
                                       : widget->sizeHint().width();
                EXPECT_LE(needed, widget->width()) << widget->objectName().toStdString()
                                                   << " in language " << static_cast<int>(language);
                EXPECT_LE(widget->minimumSizeHint().height(), widget->height())
                    << widget->objectName().toStdString();
                EXPECT_TRUE(dialog.rect().contains(widget->geometry()))
                    << widget->objectName().toStdString();
            }
            Press("CancelBtn");
        });
    }
}

TEST_F(ProjectPropertiesDialogTest, SongPathIsElidedInTheMiddleWithTheWholePathAsTip) {
    TProjectPropertiesData data = SampleData();
    data.Mp3Path = QStringLiteral("/home/shows/") + QString(120, QLatin1Char('d')) +
                   QStringLiteral("/finale.mp3");
    Edit(data, Language::English, [this, &data] {
        auto* path = Child<TPathLabel>("Label11");
        EXPECT_EQ(path->text(), data.Mp3Path);
        EXPECT_EQ(path->toolTip(), data.Mp3Path);
        const QString shown = path->ShownText();
        EXPECT_LT(shown.size(), data.Mp3Path.size());
        EXPECT_TRUE(shown.startsWith(QStringLiteral("/home/"))) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(QStringLiteral("finale.mp3"))) << shown.toStdString();
        EXPECT_LE(path->fontMetrics().horizontalAdvance(shown), path->contentsRect().width());
        Press("CancelBtn");
    });
}

} // namespace
} // namespace lumivox
