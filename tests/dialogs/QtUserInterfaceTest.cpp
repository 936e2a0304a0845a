// Tests of the Qt user interface with its modal runs replaced: which box each call builds,
// how the choosers are set up and what they return, and the progress window it drives.
#include "dialogs/QtUserInterface.h"

#include "dialogs/ProgressWindow.h"

#include <QAbstractButton>
#include <QTest>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>

#include <functional>
#include <vector>

namespace lumivox {
namespace {

class InspectedUserInterface : public QtUserInterface {
public:
    using QtUserInterface::QtUserInterface;

    struct Box {
        QMessageBox::Icon icon;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
    };
    struct Chooser {
        QStringList filters;
        QString suffix;
        QFileDialog::AcceptMode acceptMode;
        QFileDialog::FileMode fileMode;
        bool confirmsOverwrite;
        QString directory;
        QStringList selected; // what is selected when the chooser opens
    };

    std::vector<Box> Boxes;
    QMessageBox::StandardButton Answer = QMessageBox::NoButton;
    std::vector<Chooser> Choosers;
    // Plays the user in the chooser; it cancels when empty.
    std::function<bool(QFileDialog&)> ChooserScript;

protected:
    QMessageBox::StandardButton RunMessageBox(QMessageBox& box) override {
        Boxes.push_back({box.icon(), box.windowTitle(), box.text(), box.standardButtons(),
                         box.standardButton(box.defaultButton())});
        return Answer;
    }

    bool RunFileDialog(QFileDialog& dialog) override {
        Choosers.push_back({dialog.nameFilters(), dialog.defaultSuffix(), dialog.acceptMode(),
                            dialog.fileMode(),
                            !dialog.testOption(QFileDialog::DontConfirmOverwrite),
                            QDir(dialog.directory()).absolutePath(), dialog.selectedFiles()});
        return ChooserScript ? ChooserScript(dialog) : false;
    }
};

class QtUserInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        for (const char* name : {"intro.mp3", "finale.MP3"}) {
            QFile file(folder.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }

    // A script that picks `path` in the chooser and confirms.
    static std::function<bool(QFileDialog&)> Pick(const QString& path) {
        return [path](QFileDialog& dialog) {
            dialog.selectFile(path);
            return true;
        };
    }

    QTemporaryDir folder;
    QWidget window;
    InspectedUserInterface ui{&window};
};

// The box of a question with answers of its own, shown for real; the script plays the user.
class LiveChoice : public QtUserInterface {
public:
    using QtUserInterface::QtUserInterface;
    std::function<void(QMessageBox&)> Script;
    QStringList Shown; // the buttons' captions as the box shows them

protected:
    QMessageBox::StandardButton RunMessageBox(QMessageBox& box) override {
        box.show();
        for (QAbstractButton* button : box.buttons())
            if (button->isVisible())
                Shown << button->text();
        Script(box);
        return QMessageBox::NoButton;
    }
};

TEST_F(QtUserInterfaceTest, ClosingAQuestionWithAnswersOfItsOwnChoosesNone) {
    LiveChoice live(&window);
    const QStringList answers{QStringLiteral("Restore"), QStringLiteral("Discard")};
    // Escape: no answer (a copy offered for restoring is kept for the next start).
    live.Script = [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); };
    EXPECT_EQ(live.ChooseAction(QStringLiteral("Restore it?"), answers), -1);
    EXPECT_EQ(live.Shown, answers);
    // Return takes the first, the default; a click takes the one clicked.
    live.Script = [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); };
    EXPECT_EQ(live.ChooseAction(QStringLiteral("Restore it?"), answers), 0);
    live.Script = [](QMessageBox& box) {
        for (QAbstractButton* button : box.buttons())
            if (button->text() == QStringLiteral("Discard"))
                button->click();
    };
    EXPECT_EQ(live.ChooseAction(QStringLiteral("Restore it?"), answers), 1);
}

TEST_F(QtUserInterfaceTest, EachMessageKindBuildsItsBox) {
    ui.Warning(QStringLiteral("No MP3 loaded"));
    ui.Answer = QMessageBox::Yes;
    EXPECT_TRUE(ui.Confirm(QStringLiteral("Save?")));
    ui.Answer = QMessageBox::No;
    EXPECT_FALSE(ui.Confirm(QStringLiteral("Save?")));
    ui.Information(QStringLiteral("Process done!"));
    ui.ErrorAbort(QStringLiteral("Decoder failed"));
    ui.ReportError(QStringLiteral("Cannot write"));

    ASSERT_EQ(ui.Boxes.size(), 6u);
    const struct {
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
    } expected[] = {
        {QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok},
        {QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes},
        {QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes},
        {QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok},
        {QMessageBox::Critical, QMessageBox::Abort, QMessageBox::Abort},
        {QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok},
    };
    for (std::size_t i = 0; i < ui.Boxes.size(); ++i) {
        EXPECT_EQ(ui.Boxes[i].icon, expected[i].icon) << i;
        EXPECT_EQ(ui.Boxes[i].buttons, expected[i].buttons) << i;
        EXPECT_EQ(ui.Boxes[i].defaultButton, expected[i].defaultButton) << i;
        EXPECT_EQ(ui.Boxes[i].title, QStringLiteral("Lumivox Editor")) << i;
    }
    EXPECT_EQ(ui.Boxes[0].text, QStringLiteral("No MP3 loaded"));
    EXPECT_EQ(ui.Boxes[4].text, QStringLiteral("Decoder failed"));
}

TEST_F(QtUserInterfaceTest, AQuestionThatLosesWorkHasNoAsItsDefaultButton) {
    ui.Answer = QMessageBox::No;
    EXPECT_FALSE(ui.ConfirmDefaultNo(QStringLiteral("Delete?")));
    ui.Answer = QMessageBox::Yes;
    EXPECT_TRUE(ui.ConfirmDefaultNo(QStringLiteral("Delete?")));
    ASSERT_EQ(ui.Boxes.size(), 2u);
    EXPECT_EQ(ui.Boxes[0].icon, QMessageBox::Question);
    EXPECT_EQ(ui.Boxes[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(ui.Boxes[0].defaultButton, QMessageBox::No);
    EXPECT_EQ(ui.Boxes[0].text, QStringLiteral("Delete?"));
}

TEST_F(QtUserInterfaceTest, SongChooserOpensInTheFolderOrOnTheCurrentSong) {
    ui.ChooserScript = Pick(folder.filePath(QStringLiteral("finale.MP3")));
    const auto chosen = ui.ChooseSong(folder.path());
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, folder.filePath(QStringLiteral("finale.MP3")));
    EXPECT_EQ(ui.SongPath(), *chosen) << "the chosen song becomes the current one";

    const auto& first = ui.Choosers.at(0);
    EXPECT_EQ(first.filters, QStringList{QStringLiteral("MP3 Files (*.mp3)")});
    EXPECT_EQ(first.suffix, QStringLiteral("MP3"));
    EXPECT_EQ(first.acceptMode, QFileDialog::AcceptOpen);
    EXPECT_EQ(first.fileMode, QFileDialog::ExistingFile);
    EXPECT_EQ(first.directory, QDir(folder.path()).absolutePath());

    // Without a folder it opens on the current song; cancelling keeps that song.
    ui.SetSongPath(folder.filePath(QStringLiteral("intro.mp3")));
    ui.ChooserScript = nullptr;
    EXPECT_FALSE(ui.ChooseSong(QString()).has_value());
    EXPECT_EQ(ui.Choosers.at(1).selected,
              QStringList{folder.filePath(QStringLiteral("intro.mp3"))});
    EXPECT_EQ(ui.SongPath(), folder.filePath(QStringLiteral("intro.mp3")));
}

TEST_F(QtUserInterfaceTest, ProjectChoosersUseTheProjectFilterAndRememberTheFolder) {
    // Saving: no overwrite question, an empty name at first, the suffix added when typed
    // without one.
    ui.ChooserScript = Pick(folder.filePath(QStringLiteral("show")));
    const auto saved = ui.ChooseSaveFile(QString());
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(*saved, folder.filePath(QStringLiteral("show.PRJ")));
    const auto& save = ui.Choosers.at(0);
    EXPECT_EQ(save.filters, QStringList{QStringLiteral("Projects Files (*.PRJ)")});
    EXPECT_EQ(save.suffix, QStringLiteral("PRJ"));
    EXPECT_EQ(save.acceptMode, QFileDialog::AcceptSave);
    EXPECT_FALSE(save.confirmsOverwrite);
    EXPECT_TRUE(save.selected.isEmpty() || QFileInfo(save.selected.constFirst()).isDir())
        << "no file name proposed";

    ui.ChooserScript = nullptr;
    EXPECT_FALSE(ui.ChooseProject().has_value());
    const auto& open = ui.Choosers.at(1);
    EXPECT_EQ(open.filters, QStringList{QStringLiteral("Projects Files (*.PRJ)")});
    EXPECT_EQ(open.acceptMode, QFileDialog::AcceptOpen);
    EXPECT_EQ(open.fileMode, QFileDialog::ExistingFile);
    EXPECT_EQ(open.directory, QDir(folder.path()).absolutePath());

    // A proposed place: the chooser opens in its folder with its name; the sequence chooser
    // the same, with the filter it is given.
    QDir(folder.path()).mkdir(QStringLiteral("shows"));
    const QString proposed = folder.filePath(QStringLiteral("shows/Gala.PRJ"));
    EXPECT_FALSE(ui.ChooseSaveFile(proposed).has_value());
    EXPECT_EQ(ui.Choosers.at(2).directory, QFileInfo(proposed).absolutePath());
    ASSERT_EQ(ui.Choosers.at(2).selected.size(), 1);
    EXPECT_EQ(QFileInfo(ui.Choosers.at(2).selected[0]).fileName(), QStringLiteral("Gala.PRJ"));
    const QString seq = folder.filePath(QStringLiteral("song.seq"));
    EXPECT_FALSE(ui.ChooseSequenceFile(seq, QStringLiteral("Sequenzdateien (*.seq)")).has_value());
    const auto& sequence = ui.Choosers.at(3);
    EXPECT_EQ(sequence.filters, QStringList{QStringLiteral("Sequenzdateien (*.seq)")});
    EXPECT_EQ(sequence.acceptMode, QFileDialog::AcceptSave);
    EXPECT_FALSE(sequence.confirmsOverwrite) << "the export asks itself";
    EXPECT_EQ(sequence.directory, QDir(folder.path()).absolutePath());
}

TEST_F(QtUserInterfaceTest, DrivesTheProgressWindowOverItsParent) {
    ui.ProgressSetText(QStringLiteral("Deleting track(s)..."));
    ui.ProgressSetGauge(0);
    ui.ProgressShow();
    TForm4* progress = ui.ProgressWindow();
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->parentWidget(), &window);
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->windowTitle(), QStringLiteral("Deleting track(s)..."));
    ui.ProgressSetGauge(75);
    EXPECT_EQ(progress->Gauge(), 75);
    ui.ProgressSetGauge(250);
    EXPECT_EQ(progress->Gauge(), 100);
    ui.ProgressClose();
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(ui.ProgressWindow(), progress) << "one window for every operation";
}

TEST(QtUserInterfaceLifetimeTest, ProgressWindowGoesWithTheInterface) {
    QPointer<TForm4> progress;
    {
        QtUserInterface ui(nullptr);
        progress = ui.ProgressWindow();
        ASSERT_FALSE(progress.isNull());
    }
    EXPECT_TRUE(progress.isNull());
}

} // namespace
} // namespace lumivox
