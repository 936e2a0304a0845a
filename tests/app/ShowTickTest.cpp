// The show clock's per-slot work: which tracks record and send, at which value index, and
// that nothing is queued while a flush is under way.
#include "app/ShowTick.h"
#include "output/RealTimeOutput.h"
#include "support/PlaybackUnitProcess.h"
#include "support/ScriptedUserInterface.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace lumivox;
using namespace lumivox::test;

namespace {

class ShowTickTest : public ::testing::Test {
protected:
    ScriptedUserInterface Ui;
    Language Lang = Language::English;
    SerialLink Link;
    RealTimeOutput Output{Link, Ui, Lang};
    ShowDocument Doc;
    PlaybackUnitProcess Unit{{QStringLiteral("--ack-delay"), QStringLiteral("100")}};
    std::vector<int> Recorded; // outputs of the tracks asked to record

    void SetUp() override {
        ASSERT_FALSE(Unit.Path.isEmpty());
        Doc.SlotCount = 20;
        for (std::uint8_t output : {1, 2, 3}) {
            TFullTrack& track = *Doc.AddTrack(Lang);
            track.Output = output;
            track.SetValue(3, static_cast<std::uint8_t>(output * 10)); // changes at slot 2
        }
        Output.ChoosePort(Unit.Path);
        Output.ToggleMode();
        ASSERT_TRUE(Output.Active());
    }
    void Tick(int slot) {
        RunTickWork(
            Doc, slot, [this](TFullTrack& t, int) { Recorded.push_back(t.Output); }, Output);
    }
};

} // namespace

TEST_F(ShowTickTest, OnlyHeardTracksRecordAndSendTheValueAtTheNextIndex) {
    Doc.Track(2).SetMute(true);
    Tick(1); // indexes 2 and 1 agree: nothing to send
    EXPECT_EQ(Recorded, (std::vector<int>{1, 3}));
    EXPECT_FALSE(Output.Sending());
    Tick(2); // a 1,499 ms position at 500 ms per slot: index 3 against index 2
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Output.Sending(); }, 10000));
    EXPECT_EQ(Unit.Changes(), (std::vector<TLoggedChange>{{0, 1, 10}, {0, 3, 30}}));
    // While any track is soloed only soloed tracks count.
    Doc.Track(3).Solo = true;
    Doc.SoloActive = true;
    Recorded.clear();
    Tick(2);
    EXPECT_EQ(Recorded, std::vector<int>{3});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Output.Sending(); }, 10000));
    EXPECT_EQ(Unit.Changes().back(), (TLoggedChange{0, 3, 30}));
    EXPECT_EQ(Unit.Changes().size(), 3u);
}

TEST_F(ShowTickTest, TicksDuringAFlushQueueNothingSoTheQueueStaysBounded) {
    Tick(2);
    ASSERT_TRUE(Output.Sending());
    const std::size_t waiting = Output.QueuedCount();
    for (int k = 0; k < 50; ++k)
        Tick(2);
    EXPECT_EQ(Output.QueuedCount(), waiting);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Output.Sending(); }, 10000));
    EXPECT_EQ(Unit.Changes().size(), 3u);
}

TEST_F(ShowTickTest, ANewSlotDuringAFlushIsLookedAtOnceAndQueuedBehindIt) {
    for (int k = 1; k <= 3; ++k)
        Doc.Track(k).SetValue(4, static_cast<std::uint8_t>(k)); // changes at slot 3 too
    Tick(2);
    ASSERT_TRUE(Output.Sending());
    const std::size_t waiting = Output.QueuedCount();
    Tick(3); // the next slot starts while slot 2's changes are still going out
    EXPECT_EQ(Output.QueuedCount(), waiting + 3);
    Tick(3);
    EXPECT_EQ(Output.QueuedCount(), waiting + 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Output.Sending(); }, 10000));
    EXPECT_EQ(Unit.Changes(),
              (std::vector<TLoggedChange>{
                  {0, 1, 10}, {0, 2, 20}, {0, 3, 30}, {0, 1, 1}, {0, 2, 2}, {0, 3, 3}}));
}

TEST_F(ShowTickTest, ANewSlotDropsQueuedRepeatsTheUnitHasAlreadyAcknowledged) {
    for (int k = 1; k <= 3; ++k)
        Doc.Track(k).SetValue(4, static_cast<std::uint8_t>(k));
    Tick(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Output.Sending(); }, 10000));
    Tick(2); // the same changes again, as every tick within their slot sends them
    ASSERT_TRUE(Output.Sending());
    ASSERT_EQ(Output.QueuedCount(), 2u); // one is on its way
    Tick(3);
    EXPECT_EQ(Output.QueuedCount(), 3u); // only slot 3's changes wait
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Output.Sending(); }, 10000));
    const std::vector<TLoggedChange> changes = Unit.Changes();
    ASSERT_EQ(changes.size(), 7u);
    EXPECT_EQ(std::vector<TLoggedChange>(changes.end() - 3, changes.end()),
              (std::vector<TLoggedChange>{{0, 1, 1}, {0, 2, 2}, {0, 3, 3}}));
}
