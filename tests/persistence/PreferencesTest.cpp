// The editor's own preferences file: the undo depth and memory budget kept within their
// bounds and read back by the next run, a damaged value falling back to the default, the
// budget's default from the machine's memory, and the snapping setting.
#include "persistence/Preferences.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>

namespace lumivox {
namespace {

TEST(PreferencesTest, TheUndoDepthIsClampedToOneToAThousandAndReadBackByTheNextRun) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("preferences.ini"));
    {
        Preferences prefs(path);
        EXPECT_EQ(prefs.UndoDepth(), 20) << "the default";
        for (const auto& [asked, kept] :
             {std::pair{1, 1}, {0, 1}, {-7, 1}, {1000, 1000}, {1001, 1000}, {250, 250}}) {
            prefs.SetUndoDepth(asked);
            EXPECT_EQ(prefs.UndoDepth(), kept) << asked;
        }
    }
    Preferences next(path);
    EXPECT_EQ(next.UndoDepth(), 250);
    EXPECT_EQ(next.AutosaveSeconds(), Preferences::DefaultAutosaveSeconds) << "left alone";
}

TEST(PreferencesTest, AnUndoDepthEditedOutOfBoundsOrDamagedInTheFileIsMended) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("preferences.ini"));
    for (const auto& [stored, read] : {std::pair{QStringLiteral("5000"), 1000},
                                       {QStringLiteral("0"), 1},
                                       {QStringLiteral("many"), 20},
                                       {QStringLiteral("42"), 42}}) {
        {
            QSettings file(path, QSettings::IniFormat);
            file.setValue(QStringLiteral("undo/depth"), stored);
        }
        EXPECT_EQ(Preferences(path).UndoDepth(), read) << stored.toStdString();
    }
}

TEST(PreferencesTest, TheUndoBudgetFollowsTheMachinesMemoryAtFirstAndIsKeptWithinItsBounds) {
    constexpr std::uint64_t GB = std::uint64_t{1} << 30;
    EXPECT_EQ(DefaultUndoBudgetMb(0), 512) << "memory unknown";
    EXPECT_EQ(DefaultUndoBudgetMb(16 * GB), 512);
    EXPECT_EQ(DefaultUndoBudgetMb(4 * GB), 512);
    EXPECT_EQ(DefaultUndoBudgetMb(2 * GB), 256) << "an eighth on a small machine";
    EXPECT_EQ(DefaultUndoBudgetMb(GB / 2), 64);
    EXPECT_EQ(DefaultUndoBudgetMb(64 << 20), Preferences::MinUndoBudgetMb);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("preferences.ini"));
    {
        Preferences prefs(path);
        EXPECT_EQ(prefs.UndoBudgetMb(), DefaultUndoBudgetMb(PhysicalMemoryBytes()));
        for (const auto& [asked, kept] :
             {std::pair{16, 16}, {15, 16}, {-3, 16}, {65536, 65536}, {70000, 65536}, {300, 300}}) {
            prefs.SetUndoBudgetMb(asked);
            EXPECT_EQ(prefs.UndoBudgetMb(), kept) << asked;
        }
        prefs.SetUndoDepth(7);
    }
    Preferences next(path);
    EXPECT_EQ(next.UndoBudgetMb(), 300);
    EXPECT_EQ(next.UndoDepth(), 7) << "stored beside it, apart";
    // Kept with the editor's other preferences in its own file, under a key of its own.
    EXPECT_EQ(QSettings(path, QSettings::IniFormat).value(QStringLiteral("undo/budget_mb")).toInt(),
              300);
    for (const auto& [stored, read] :
         {std::pair{QStringLiteral("lots"), DefaultUndoBudgetMb(PhysicalMemoryBytes())},
          {QStringLiteral("2"), 16},
          {QStringLiteral("1024"), 1024}}) {
        {
            QSettings file(path, QSettings::IniFormat);
            file.setValue(QStringLiteral("undo/budget_mb"), stored);
        }
        EXPECT_EQ(Preferences(path).UndoBudgetMb(), read) << stored.toStdString();
    }
}

TEST(PreferencesTest, SnappingStartsOffAndIsReadBackByTheNextRunAndADamagedValueIsOff) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("preferences.ini"));
    {
        Preferences prefs(path);
        EXPECT_FALSE(prefs.SnapOn());
        prefs.SetSnapOn(true);
    }
    EXPECT_TRUE(Preferences(path).SnapOn());
    {
        QSettings file(path, QSettings::IniFormat);
        file.setValue(QStringLiteral("editing/snap"), QStringLiteral("maybe"));
    }
    EXPECT_FALSE(Preferences(path).SnapOn());
}

TEST(PreferencesTest, TheOutputOffsetAndSoundDeviceAreKeptAndAnOffsetOutOfBoundsIsMended) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("preferences.ini"));
    {
        Preferences prefs(path);
        EXPECT_EQ(prefs.OutputOffsetMs(), 0) << "the default";
        EXPECT_TRUE(prefs.SoundDevice().isEmpty()) << "the automatic choice by default";
        for (const auto& [asked, kept] :
             {std::pair{-500, -500}, {-501, -500}, {500, 500}, {9000, 500}, {-35, -35}}) {
            prefs.SetOutputOffsetMs(asked);
            EXPECT_EQ(prefs.OutputOffsetMs(), kept) << asked;
        }
        prefs.SetSoundDevice(QStringLiteral("pa:ALSA:pulse"));
    }
    Preferences next(path);
    EXPECT_EQ(next.OutputOffsetMs(), -35);
    EXPECT_EQ(next.SoundDevice(), QStringLiteral("pa:ALSA:pulse"));
    for (const auto& [stored, read] : {std::pair{QStringLiteral("-2000"), -500},
                                       {QStringLiteral("soon"), 0},
                                       {QStringLiteral("120"), 120}}) {
        {
            QSettings file(path, QSettings::IniFormat);
            file.setValue(QStringLiteral("audio/output_offset_ms"), stored);
        }
        EXPECT_EQ(Preferences(path).OutputOffsetMs(), read) << stored.toStdString();
    }
}

TEST(PreferencesTest, TheDmxChoicesAreOffOnUniverseOneAtFirstAndKeptForTheNextRun) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("preferences.ini"));
    {
        Preferences prefs(path);
        EXPECT_FALSE(prefs.DmxEnabled());
        EXPECT_EQ(prefs.DmxUniverse(), 1);
        prefs.SetDmxEnabled(true);
        prefs.SetDmxUniverse(0);
        EXPECT_EQ(prefs.DmxUniverse(), 1) << "universes start at 1";
        prefs.SetDmxUniverse(7);
    }
    Preferences next(path);
    EXPECT_TRUE(next.DmxEnabled());
    EXPECT_EQ(next.DmxUniverse(), 7);
    {
        QSettings file(path, QSettings::IniFormat);
        file.setValue(QStringLiteral("dmx/universe"), QStringLiteral("two"));
    }
    EXPECT_EQ(Preferences(path).DmxUniverse(), 1) << "a damaged universe falls back to 1";
}

} // namespace
} // namespace lumivox
