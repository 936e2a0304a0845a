// The song's beats in the real window: found while a new show's song is imported, and found
// in the background when a show is opened over a song whose waveform is cached but whose beat
// file is gone, without the opening waiting for them.
#include "app/MainWindow.h"
#include "audio/analysis/BeatCache.h"
#include "support/ScriptedUserInterface.h"
#include "support/TestSongs.h"
#include "support/widgets/WindowOptions.h"

#include <QAction>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace lumivox;
using lumivox::test::AcceptProperties;
using lumivox::test::FixturePath;
using lumivox::test::ScriptedUserInterface;
using lumivox::test::TestWindowOptions;

namespace {

class SongBeatsWindowTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    ScriptedUserInterface Ui;
    AcceptProperties Properties;
    QString Song;

    void SetUp() override {
        Song = Dir.filePath(QStringLiteral("clicks.mp3"));
        ASSERT_TRUE(QFile::copy(FixturePath("clicks_120.mp3"), Song));
    }

    std::unique_ptr<TForm1> MakeWindow() {
        return std::make_unique<TForm1>(TestWindowOptions(Ui, Properties, Dir));
    }
};

TEST_F(SongBeatsWindowTest, ANewShowsSongHasItsBeatsAndAnOpenedShowGetsThemInTheBackground) {
    const QString project = Dir.filePath(QStringLiteral("clicks.PRJ"));
    TSongBeats found;
    {
        auto window = MakeWindow();
        Ui.SongAnswers.push_back(Song);
        window->Menus().New2->trigger();
        window->Menus().New1->trigger();
        const TBeatFinder& beats = window->Songs().SongBeats();
        ASSERT_TRUE(beats.HasBeats());
        EXPECT_EQ(beats.SongPath(), Song);
        EXPECT_NEAR(beats.Beats().TempoBpm, 120, 2);
        EXPECT_GT(beats.Beats().BeatsMs.size(), 40u);
        found = beats.Beats();
        Ui.SaveAnswers.push_back(project);
        window->Menus().SaveAs1->trigger();
        ASSERT_TRUE(QFile::exists(project));
    }

    const QString beatFile = BeatFileFor(Song);
    ASSERT_EQ(ReadCurrentBeatFile(beatFile, Song), found);
    ASSERT_TRUE(QFile::remove(beatFile));
    auto window = MakeWindow();
    Ui.ProjectAnswers.push_back(project);
    window->Menus().Open1->trigger();
    ASSERT_EQ(window->Songs().LastCache(), TCacheResult::Reused);
    const TBeatFinder& beats = window->Songs().SongBeats();
    EXPECT_TRUE(beats.IsFinding());
    QSignalSpy changed(&beats, &TBeatFinder::BeatsChanged);
    ASSERT_TRUE(changed.wait(30000));
    EXPECT_TRUE(beats.HasBeats());
    EXPECT_EQ(beats.Beats(), found);
    EXPECT_EQ(ReadCurrentBeatFile(beatFile, Song), found);
}

} // namespace
