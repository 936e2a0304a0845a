// The real main window on the offscreen platform with scripted dialogs: start-up with the
// settings file in its various states, languages switched at run time, command enabling,
// the first activation and closing.
#include "app/MainWindow.h"
#include "app/TrackHeaderColumn.h"
#include "dialogs/AboutBox.h"
#include "persistence/SettingsFile.h"
#include "support/ScriptedUserInterface.h"
#include "support/TestSongs.h"
#include "timeline/TrackHeader.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

using namespace lumivox;
using lumivox::test::FixturePath;
using lumivox::test::ScriptedUserInterface;
using Kind = ScriptedUserInterface::Event;

namespace {

class ScriptedProperties : public IProjectPropertiesEditor {
public:
    std::deque<std::function<bool(TProjectPropertiesData&)>> Answers;
    std::vector<TProjectPropertiesData> Shown;
    bool EditProjectProperties(TProjectPropertiesData& data, Language) override {
        Shown.push_back(data);
        if (Answers.empty())
            return false;
        auto answer = Answers.front();
        Answers.pop_front();
        return answer(data);
    }
};

QByteArray SettingsBytes(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines)
        out += line.toUtf8() + "\r\n";
    return out;
}

class MainWindowTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    ScriptedUserInterface Ui;
    ScriptedProperties Properties;
    QString Song;

    void SetUp() override {
        Song = Dir.filePath(QStringLiteral("song.mp3"));
        ASSERT_TRUE(QFile::copy(FixturePath("song_10s.mp3"), Song));
    }

    QString SettingsPath() const { return Dir.filePath(QStringLiteral("LumivoxEditor.cfg")); }

    void WriteSettings(const QString& language, const QString& version = "1.0.3",
                       const QString& last = QString()) {
        QFile file(SettingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(SettingsBytes({"Settings File of Vostrel Lumivox Tool", "File version : ",
                                  version, "Language :", language, "Com Port selected :", "COM3",
                                  "Last projet used", last, "MIDI Port Input selected", ""}));
    }

    std::unique_ptr<TForm1> MakeWindow(const QString& startProject = QString()) {
        TForm1Options options;
        options.Ui = &Ui;
        options.Properties = &Properties;
        options.HeadlessImport = true;
        options.SilentAudio = true;
        options.KeepFilesIn(Dir.path());
        options.StartProject = startProject;
        return std::make_unique<TForm1>(options);
    }

    // Every caption and hint the language pass sets, by object name.
    static QStringList VisibleTexts(TForm1& window) {
        QStringList texts;
        for (QAction* action : window.findChildren<QAction*>())
            if (!action->objectName().isEmpty())
                texts << action->objectName() + '=' + action->text();
        for (QMenu* menu : window.findChildren<QMenu*>())
            texts << menu->objectName() + '=' + menu->title();
        for (QToolButton* button : window.findChildren<QToolButton*>())
            if (button->objectName().startsWith(QLatin1String("SpeedButton")))
                texts << button->objectName() + '=' + button->toolTip();
        for (const char* name : {"Label10", "Label3"})
            texts << window.findChild<QLabel*>(QLatin1String(name))->text();
        texts.sort();
        return texts;
    }
};

TEST_F(MainWindowTest, StartsWithDefaultsAndCreatesAMissingSettingsFile) {
    auto window = MakeWindow();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Lumivox Editor V1.4 - New Project"));
    ASSERT_TRUE(QFile::exists(SettingsPath()));
    QFile file(SettingsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    EXPECT_EQ(lines.at(4), QByteArray("English\r"));
    EXPECT_EQ(lines.at(6), QByteArray("COM1\r"));

    TMainMenus& m = window->Menus();
    EXPECT_EQ(m.File1->title(), QStringLiteral("&File"));
    EXPECT_TRUE(m.English1->isChecked());
    EXPECT_TRUE(m.ComPorts[0]->isChecked());
    EXPECT_TRUE(m.None1->isChecked());
    for (QAction* needsSong :
         {m.Property1, m.Save1, m.SaveAs1, m.CreateSeqFile1, m.ReplaceMP3File1, m.New1, m.Delete1,
          m.Couper1, m.Copier1, m.Coller1, m.Undo1, m.Redo1, m.MIDIMap1})
        EXPECT_FALSE(needsSong->isEnabled()) << needsSong->objectName().toStdString();
    for (QAction* always : {m.New2, m.Open1, m.Exit1, m.About1, m.SelectAll1})
        EXPECT_TRUE(always->isEnabled()) << always->objectName().toStdString();
    EXPECT_EQ(m.CreateSeqFile1->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_EQ(m.Property1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    EXPECT_EQ(m.Redo1->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z));
    EXPECT_EQ(m.New1->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_N));
    EXPECT_EQ(m.About1->shortcut(), QKeySequence(Qt::Key_F1));
    for (const char* name : {"SpeedButton5", "SpeedButton6", "SpeedButton1", "SpeedButton2",
                             "SpeedButton3", "SpeedButton16"})
        EXPECT_FALSE(window->findChild<QToolButton*>(QLatin1String(name))->isEnabled()) << name;
    EXPECT_TRUE(window->findChild<QToolButton*>(QStringLiteral("SpeedButton9"))->isChecked());
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("StaticText2"))->text(), "255");
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("StaticText5"))->text(), "x 3");
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("StaticText4"))->text(), "x 3");
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("StaticText3"))->text(), "100 ms");
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("StaticText1"))->text(), "...");
    EXPECT_TRUE(Ui.Events.empty());
}

TEST_F(MainWindowTest, FrenchSettingsKeepTheEnglishCaptionButProposeTheFrenchName) {
    WriteSettings(QStringLiteral("French"));
    auto window = MakeWindow();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Lumivox Editor V1.4 - New Project"));
    EXPECT_EQ(window->CurrentLanguage(), Language::French);
    EXPECT_TRUE(window->Menus().French1->isChecked());
    EXPECT_EQ(window->Menus().File1->title(), QStringLiteral("&Fichier"));
    EXPECT_EQ(window->ComPortName(), QStringLiteral("COM3"));
    EXPECT_TRUE(window->Menus().ComPorts[2]->isChecked());

    Ui.SongAnswers.push_back(Song);
    window->Menus().New2->trigger();
    ASSERT_EQ(Properties.Shown.size(), 1u);
    EXPECT_EQ(Properties.Shown[0].Name, QStringLiteral("Nouveau Projet"));
}

TEST_F(MainWindowTest, SettingsOfAnotherVersionOrTooShortOrUnwritable) {
    WriteSettings(QStringLiteral("German"), QStringLiteral("1.0.2"));
    {
        auto window = MakeWindow();
        EXPECT_EQ(window->CurrentLanguage(), Language::English);
        EXPECT_EQ(window->ComPortName(), QStringLiteral("COM1"));
    }
    QFile file(SettingsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("\r\n1.0.3\r\nLanguage :\r\nEnglish\r\n"));
    file.close();

    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(
        SettingsBytes({"Settings File of Vostrel Lumivox Tool", "File version : ", "1.0.3"}));
    file.close();
    {
        auto window = MakeWindow();
        EXPECT_EQ(window->CurrentLanguage(), Language::French); // missing lines read as empty
        EXPECT_TRUE(window->ComPortName().isEmpty());
    }

    // A settings path that cannot be a file: the window still starts with the defaults.
    QDir(Dir.path()).mkdir(QStringLiteral("folder.cfg"));
    TForm1Options options;
    options.Ui = &Ui;
    options.Properties = &Properties;
    options.SilentAudio = true;
    options.HeadlessImport = true;
    options.KeepFilesIn(Dir.path());
    options.SettingsPath = Dir.filePath(QStringLiteral("folder.cfg"));
    TForm1 window(options);
    EXPECT_EQ(window.CurrentLanguage(), Language::English);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Lumivox Editor V1.4 - New Project"));
}

TEST_F(MainWindowTest, SwitchingLanguagesAndBackRestoresEveryCaption) {
    auto window = MakeWindow();
    const QStringList english = VisibleTexts(*window);
    EXPECT_TRUE(english.contains(QStringLiteral("None1=(None)")));
    EXPECT_TRUE(english.contains(QStringLiteral("SpeedButton6=Play")));
    window->Menus().Deutsch1->trigger();
    EXPECT_EQ(window->CurrentLanguage(), Language::German);
    const QStringList german = VisibleTexts(*window);
    EXPECT_TRUE(german.contains(QStringLiteral("None1=(Kein)")));
    EXPECT_TRUE(german.contains(QStringLiteral("File1=Datei")));
    EXPECT_TRUE(german.contains(QString::fromUtf8("SpeedButton3=Geh an das Ende des Liedes")));
    window->Menus().English1->trigger();
    EXPECT_EQ(VisibleTexts(*window), english);
    EXPECT_TRUE(window->Menus().English1->isChecked());
    EXPECT_FALSE(window->Menus().Deutsch1->isChecked());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Lumivox Editor V1.4 - New Project"));
}

TEST_F(MainWindowTest, TheImportWindowSpeaksTheLanguageChosenAtRunTime) {
    TForm1Options options;
    options.Ui = &Ui;
    options.Properties = &Properties;
    options.SilentAudio = true;
    options.KeepFilesIn(Dir.path());
    TForm1 window(options);
    auto* cancel = window.findChild<QPushButton*>(QStringLiteral("CancelBtn"));
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
    window.Menus().Deutsch1->trigger();
    EXPECT_EQ(cancel->text(), QStringLiteral("Abbruch"));
    window.Menus().French1->trigger();
    EXPECT_EQ(cancel->text(), QStringLiteral("Annuler"));
}

TEST_F(MainWindowTest, FirstActivationOpensTheLastProjectOnlyIfItExists) {
    WriteSettings(QStringLiteral("English"), QStringLiteral("1.0.3"),
                  Dir.filePath(QStringLiteral("gone.PRJ")));
    {
        auto window = MakeWindow();
        window->FormActivate();
        EXPECT_TRUE(Ui.Events.empty());
        EXPECT_EQ(window->Document().TrackCount(), 0);
        EXPECT_FALSE(window->Player().IsOpen());
    }

    // Make a project through the window, save it, and reopen it at the next start.
    {
        auto window = MakeWindow();
        Ui.SongAnswers.push_back(Song);
        Properties.Answers.push_back([](TProjectPropertiesData& data) {
            data.Name = QStringLiteral("Saved show");
            return true;
        });
        window->Menus().New2->trigger();
        ASSERT_TRUE(window->Player().IsOpen());
        window->Document().AddTrack(Language::English);
        Ui.SaveAnswers.push_back(Dir.filePath(QStringLiteral("saved.PRJ")));
        window->Menus().SaveAs1->trigger();
        EXPECT_FALSE(window->Document().Modified());
        window->close(); // writes the settings with the saved project as the last one
    }
    auto window = MakeWindow();
    window->FormActivate();
    EXPECT_EQ(window->Document().TrackCount(), 1);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Lumivox Editor V1.4 - Saved show"));
    EXPECT_TRUE(window->Menus().CreateSeqFile1->isEnabled());
    EXPECT_TRUE(window->Menus().Property1->isEnabled());
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("StaticText1"))->text(), "song.mp3");
    window->FormActivate(); // later activations do nothing
    EXPECT_EQ(window->Document().TrackCount(), 1);
}

TEST_F(MainWindowTest, TheSavePromptOnCloseAndTheLanguageWrittenAtExit) {
    auto window = MakeWindow();
    Ui.SongAnswers.push_back(Song);
    Properties.Answers.push_back([](TProjectPropertiesData&) { return true; });
    window->Menus().New2->trigger();
    ASSERT_TRUE(window->Document().Modified());
    window->Menus().Espaol1->trigger();
    Ui.ConfirmAnswers.push_back(true);
    Ui.SaveAnswers.push_back(Dir.filePath(QStringLiteral("exit.PRJ")));
    window->close();
    EXPECT_EQ(Ui.Texts(Kind::Confirm).size(), 1);
    EXPECT_TRUE(QFile::exists(Dir.filePath(QStringLiteral("exit.PRJ"))));
    const TSettingsReadResult saved = ReadSettings(SettingsPath(), TSettings{}, {});
    EXPECT_EQ(saved.Settings.language, Language::Spanish);
    EXPECT_EQ(saved.Settings.LastProject, Dir.filePath(QStringLiteral("exit.PRJ")));
}

TEST_F(MainWindowTest, ToolBarAndMenusShareTheirStates) {
    auto window = MakeWindow();
    auto* realTime = window->findChild<QToolButton*>(QStringLiteral("SpeedButton15"));
    window->Menus().RealTimeMode1->trigger();
    EXPECT_TRUE(realTime->isChecked());
    EXPECT_TRUE(window->Menus().RealTimeMode1->isChecked());
    realTime->click();
    EXPECT_FALSE(realTime->isChecked());
    EXPECT_FALSE(window->Menus().RealTimeMode1->isChecked());

    window->Menus().Rubbermode2->trigger();
    EXPECT_TRUE(window->findChild<QToolButton*>(QStringLiteral("SpeedButton10"))->isChecked());
    EXPECT_FALSE(window->findChild<QToolButton*>(QStringLiteral("SpeedButton9"))->isChecked());

    window->Menus().ValueMenu->Item(128)->trigger();
    EXPECT_EQ(window->DrawValue(), 128);
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("StaticText2"))->text(), "128");
    EXPECT_EQ(window->Menus().ValueMenu->Group(5)->title(), QStringLiteral("128 ... 159"));
    EXPECT_EQ(window->Menus().OutputMenu->Item(0)->text(), QStringLiteral("&All"));
    EXPECT_EQ(window->Menus().OutputMenu->Item(255)->text(), QStringLiteral("255"));
}

TEST_F(MainWindowTest, AboutOpensAtAnyTimeInTheCurrentLanguage) {
    auto window = MakeWindow();
    window->Menus().Deutsch1->trigger();
    QString shownTitle;
    QTimer::singleShot(50, [&shownTitle] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            shownTitle = modal->windowTitle();
            modal->close();
        }
    });
    window->Menus().About1->trigger();
    EXPECT_EQ(shownTitle, QString::fromUtf8("Über Vostrel Lumivox Editor"));
}

} // namespace

TEST_F(MainWindowTest, ProjectFilesSpeakTheLanguageTheWindowShows) {
    auto window = MakeWindow();
    window->Menus().Deutsch1->trigger();
    Ui.SongAnswers.push_back(Song);
    Properties.Answers.push_back([](TProjectPropertiesData&) { return true; });
    window->Menus().New2->trigger();
    window->Menus().New1->trigger();
    window->Document().SetOutput(1, 0);
    const QString project = Dir.filePath(QStringLiteral("de.PRJ"));
    Ui.SaveAnswers.push_back(project);
    window->Menus().SaveAs1->trigger();
    ASSERT_TRUE(QFile::exists(project));
    EXPECT_TRUE(Ui.ProgressTexts.contains(
        Text(TextTable::ProjectFile, ProjectFileText::SavingTracks, Language::German)));

    window->Menus().French1->trigger();
    Ui.ProgressTexts.clear();
    Ui.ProjectAnswers.push_back(project);
    window->Menus().Open1->trigger();
    ASSERT_EQ(window->Document().TrackCount(), 1);
    EXPECT_TRUE(Ui.ProgressTexts.contains(
        Text(TextTable::ProjectFile, ProjectFileText::CreatingTracks, Language::French)));
    // A track on output 0 shows the word for "All" of the language in use.
    TFrame2* header = window->HeaderColumn().Frame(1);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
              Text(TextTable::CommonTexts, CommonText::All, Language::French));
}

TEST_F(MainWindowTest, QtsOwnTextsFollowTheLanguage) {
    auto window = MakeWindow();
    auto yes = [] {
        QMessageBox box(QMessageBox::Question, QString(), QString(),
                        QMessageBox::Yes | QMessageBox::No);
        return box.button(QMessageBox::Yes)->text();
    };
    EXPECT_EQ(yes(), QStringLiteral("&Yes"));
    window->Menus().Deutsch1->trigger();
    EXPECT_EQ(yes(), QStringLiteral("&Ja"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "&Open"), QString::fromUtf8("&Öffnen"));
    window->Menus().French1->trigger();
    EXPECT_EQ(yes(), QStringLiteral("&Oui"));
    window->Menus().Espaol1->trigger();
    EXPECT_EQ(yes(), QString::fromUtf8("&Sí"));
    window->Menus().English1->trigger();
    EXPECT_EQ(yes(), QStringLiteral("&Yes"));
}
