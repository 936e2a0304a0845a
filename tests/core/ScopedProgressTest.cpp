// The progress window's guard: up with its caption and the gauge at 0 while an operation runs,
// down however the operation ends, and never closing a window it no longer owns.
#include "core/UserInterface.h"
#include "support/ScriptedUserInterface.h"

#include <gtest/gtest.h>

#include <stdexcept>

using lumivox::ScopedProgress;
using lumivox::test::ScriptedUserInterface;

TEST(ScopedProgress, ShowsWhileInScopeAndClosesHoweverTheScopeIsLeft) {
    ScriptedUserInterface ui;
    {
        ScopedProgress progress(ui, QStringLiteral("Working..."));
        EXPECT_TRUE(ui.ProgressVisible);
        EXPECT_EQ(ui.ProgressTexts, QStringList{QStringLiteral("Working...")});
        EXPECT_EQ(ui.Gauges, std::vector<int>{0});
        progress.SetGauge(40);
    }
    EXPECT_FALSE(ui.ProgressVisible);
    EXPECT_EQ(ui.Gauges, (std::vector<int>{0, 40}));

    EXPECT_THROW(
        {
            ScopedProgress progress(ui, QStringLiteral("Failing..."));
            throw std::runtime_error("the operation failed half-way");
        },
        std::runtime_error);
    EXPECT_FALSE(ui.ProgressVisible) << "an exception left the window up";
    EXPECT_EQ(ui.ProgressShows, 2);
}

TEST(ScopedProgress, ClosedEarlyItLeavesAWindowShownAfterItAlone) {
    ScriptedUserInterface ui;
    {
        ScopedProgress progress(ui); // the caption comes later, from the operation
        EXPECT_TRUE(ui.ProgressTexts.isEmpty());
        progress.Close();
        EXPECT_FALSE(ui.ProgressVisible);
        ui.ProgressShow(); // the next operation's window
    }
    EXPECT_TRUE(ui.ProgressVisible);
}
