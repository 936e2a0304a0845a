// The window's live outputs on their own, without the main window: a menu bar, the real-time
// button, the preferences and a live show over a held song. Both outputs join the show, the
// mode's button and menu item follow the mode whoever switches it, and the Outputs dialog's
// choice reaches DMX and the preferences file.
#include "app/OutputsController.h"
#include "app/MainMenus.h"
#include "dialogs/OutputsDialog.h"
#include "output/DmxOutput.h"
#include "output/RealTimeOutput.h"
#include "persistence/Preferences.h"
#include "show/LiveShow.h"
#include "support/PlaybackUnitProcess.h"
#include "support/ScriptedUserInterface.h"

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace lumivox;
using lumivox::test::PlaybackUnitProcess;
using lumivox::test::ScriptedUserInterface;

namespace {

class StillPlayer : public IMediaPlayer {
public:
    bool Open(const QString&) override { return true; }
    void Close() override {}
    bool IsOpen() const override { return true; }
    void Play() override {}
    void Stop() override {}
    void Seek(std::int64_t) override {}
    std::int64_t PositionMs() const override { return 0; }
    std::int64_t LengthMs() const override { return 10000; }
    TMediaMode Mode() const override { return TMediaMode::Stopped; }
    void SetPlayRange(std::int64_t, std::int64_t) override {}
    void ClearPlayRange() override {}
    void SetLooping(bool) override {}
    std::int64_t RangeWraps() const override { return 0; }
};

class OutputsControllerTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString PrefsPath = Dir.filePath(QStringLiteral("preferences.ini"));
    Preferences Prefs{PrefsPath};
    ScriptedUserInterface Ui;
    Language Lang = Language::English;
    ShowDocument Doc;
    StillPlayer Player;
    LiveShow Live{Player, Doc};
    QMainWindow Window;
    TMainMenus Menus{Window.menuBar(), &Window};
    QToolButton* Button = new QToolButton(&Window);
    OutputsController Outputs{Live,
                              Menus,
                              *Button,
                              Prefs,
                              Ui,
                              Lang,
                              // No system devices: the test names its port itself.
                              {[] { return QStringList{}; }, 19999},
                              &Window};
};

} // namespace

TEST_F(OutputsControllerTest, TheModeButtonAndMenuItemFollowTheModeAndDmxFollowsIt) {
    ASSERT_EQ(Live.Outputs().size(), 2u);
    EXPECT_EQ(Live.Outputs()[0], &Outputs.Serial()) << "the serial unit is fed first";
    EXPECT_EQ(Live.Outputs()[1], &Outputs.Dmx());

    PlaybackUnitProcess unit;
    ASSERT_FALSE(unit.Path.isEmpty());
    Outputs.ChooseSavedPort(QStringLiteral("COM1"), 1, unit.Path);
    EXPECT_EQ(Outputs.PortName(), unit.Path) << "the command line's port wins";
    EXPECT_EQ(Outputs.PortMenuName(), unit.Path);

    Button->setCheckable(true);
    Menus.RealTimeMode1->trigger();
    EXPECT_TRUE(Outputs.Serial().Active());
    EXPECT_TRUE(Button->isChecked());
    EXPECT_TRUE(Menus.RealTimeMode1->isChecked());
    EXPECT_TRUE(Outputs.Dmx().Live());

    Button->click();
    EXPECT_FALSE(Outputs.Serial().Mode());
    EXPECT_FALSE(Button->isChecked());
    EXPECT_FALSE(Menus.RealTimeMode1->isChecked());
    EXPECT_FALSE(Outputs.Dmx().Live());
    Outputs.Close();
    EXPECT_FALSE(Outputs.Serial().PortOpen());
}

TEST_F(OutputsControllerTest, TheOutputsDialogsChoiceReachesDmxAndThePreferencesFile) {
    EXPECT_FALSE(Outputs.Dmx().Enabled()) << "off until chosen";
    EXPECT_EQ(Outputs.Dmx().ServerPort(), 19999);
    Q_EMIT Outputs.Dialog().Chosen({true, 7});
    EXPECT_TRUE(Outputs.Dmx().Enabled());
    EXPECT_EQ(Outputs.Dmx().Universe(), 7u);
    EXPECT_TRUE(Outputs.Serial().ModeKeptWithoutPort()) << "a failing port leaves DMX live";
    const Preferences written(PrefsPath);
    EXPECT_TRUE(written.DmxEnabled());
    EXPECT_EQ(written.DmxUniverse(), 7);
}
