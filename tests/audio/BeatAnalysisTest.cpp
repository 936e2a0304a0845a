// The beats, tempo and onsets found in click tracks made at test time: where they lie against
// the clicks, a tempo that changes midway, songs at other rates, blocks of any size, silence,
// and stopping midway.
#include "audio/analysis/BeatAnalysis.h"
#include "audio/analysis/SongBeatAnalysis.h"
#include "audio/decode/WaveFile.h"

#include "ImportTestSupport.h"
#include "support/ClickTracks.h"
#include "support/TestSongs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>

using namespace lumivox;
using namespace lumivox::test;

namespace {

constexpr double ToleranceMs = 30;
constexpr double StartUpMs = 3000; // the tracker needs a few beats to lock on
constexpr double SettleAfterChangeMs = 8000;
constexpr double HopMs = 256 * 1000.0 / 44100;

TSongBeats Analyse(const char* fixture) {
    QString error;
    const TBeatsResult result = AnalyseSong(FixturePath(fixture), {}, nullptr, &error);
    EXPECT_TRUE(result.Complete) << fixture << ": " << error.toStdString();
    return result.Beats;
}

void ExpectOnClicks(const std::vector<double>& found, const std::vector<double>& clicks,
                    const char* what) {
    const TBeatMatch match = MatchBeats(found, clicks, ToleranceMs, StartUpMs);
    EXPECT_GE(match.Recall(), 0.9) << what << ": " << match.Matched << " of " << match.Clicks;
    EXPECT_GE(match.Precision(), 0.9) << what << ": " << match.Beats << " found";
}

TEST(BeatAnalysisTest, ASteadyClickTrackGivesItsBeatsOnsetsAndTempo) {
    const TSongBeats beats = Analyse("clicks_120.mp3");
    ExpectOnClicks(beats.BeatsMs, Clicks120(), "beats");
    ExpectOnClicks(beats.OnsetsMs, Clicks120(), "onsets");
    EXPECT_NEAR(beats.TempoBpm, 120, 2);
    // Nothing before the first click: the lead-in is silence.
    ASSERT_FALSE(beats.OnsetsMs.empty());
    EXPECT_GE(beats.OnsetsMs.front(), 250 - ToleranceMs);
    EXPECT_TRUE(std::is_sorted(beats.BeatsMs.begin(), beats.BeatsMs.end()));
}

TEST(BeatAnalysisTest, BeatsFollowATempoThatChangesMidway) {
    const TSongBeats beats = Analyse("clicks_100_140.mp3");
    const std::vector<double> clicks = Clicks100To140();
    // Each half is checked on its own. The tracker weighs some six seconds of sound before it
    // trusts a new period, so the second half is checked from 8 s after the change.
    const double change = 250 + 20 * 600.0;
    std::vector<double> first(clicks.begin(), clicks.begin() + 20);
    std::vector<double> second(clicks.begin() + 20, clicks.end());
    std::vector<double> beatsFirst;
    for (double b : beats.BeatsMs)
        if (b < change - ToleranceMs)
            beatsFirst.push_back(b);
    ExpectOnClicks(beatsFirst, first, "at 100 BPM");
    const TBeatMatch late =
        MatchBeats(beats.BeatsMs, second, ToleranceMs, change + SettleAfterChangeMs);
    EXPECT_GE(late.Recall(), 0.9) << late.Matched << " of " << late.Clicks;
    EXPECT_GE(late.Precision(), 0.9) << late.Beats << " found";
    // One tempo for the song: that of one of its halves.
    EXPECT_TRUE(std::abs(beats.TempoBpm - 100) <= 2 || std::abs(beats.TempoBpm - 140) <= 2)
        << beats.TempoBpm;
}

TEST(BeatAnalysisTest, SongsAtOtherRatesGiveTheSameTimes) {
    const TSongBeats at44 = Analyse("clicks_120.mp3");
    for (const char* other : {"clicks_120_48k.mp3", "clicks_120_22k.mp3"}) {
        const TSongBeats beats = Analyse(other);
        const TBeatMatch same = MatchBeats(beats.BeatsMs, at44.BeatsMs, HopMs, 0);
        EXPECT_GE(same.Recall(), 0.95) << other << ": " << same.Matched << " of " << same.Clicks;
        EXPECT_GE(same.Precision(), 0.95) << other;
        const TBeatMatch onsets = MatchBeats(beats.OnsetsMs, at44.OnsetsMs, HopMs, 0);
        EXPECT_GE(onsets.FMeasure(), 0.95) << other;
        EXPECT_NEAR(beats.TempoBpm, at44.TempoBpm, 1) << other;
    }
}

// A 16-bit stereo WAV of clicks 500 ms apart from 250 ms, with a known sound.
QByteArray ClickWave(int seconds) {
    std::vector<std::pair<std::int16_t, std::int16_t>> frames(
        static_cast<std::size_t>(seconds) * 44100, {0, 0});
    std::uint32_t noise = 12345;
    for (std::size_t at = 11025; at < frames.size(); at += 22050)
        for (std::size_t i = 0; i < 882 && at + i < frames.size(); ++i) {
            noise = noise * 1103515245u + 12345u;
            const auto value = static_cast<std::int16_t>(
                static_cast<int>((noise >> 16) % 40000 - 20000) * int(882 - i) / 882);
            frames[at + i] = {value, value};
        }
    return RiffWave(Chunk("fmt ", FormatBody(2, 44100)) + Chunk("data", StereoFrames(frames)));
}

TEST(BeatAnalysisTest, BlocksOfAnySizeGiveTheSameResult) {
    const QByteArray wave = ClickWave(12);
    const QByteArray data = wave.mid(44);
    TBeatAnalysis whole;
    whole.FeedStereo16Bytes(data.constData(), static_cast<std::size_t>(data.size()));
    const TSongBeats expected = whole.Finish();
    ASSERT_FALSE(expected.BeatsMs.empty());
    EXPECT_NEAR(expected.TempoBpm, 120, 2);
    // Odd sizes split frames and hops anywhere.
    for (std::size_t block : {1u, 3u, 1001u, 65537u}) {
        TBeatAnalysis pieces;
        for (std::size_t at = 0; at < static_cast<std::size_t>(data.size()); at += block)
            pieces.FeedStereo16Bytes(data.constData() + at,
                                     std::min(block, static_cast<std::size_t>(data.size()) - at));
        EXPECT_EQ(pieces.Finish(), expected) << "blocks of " << block;
        EXPECT_EQ(pieces.FramesFed(), data.size() / 4);
    }
}

TEST(BeatAnalysisTest, SilenceHasNoBeatsAndNoTempo) {
    TBeatAnalysis analysis;
    const std::vector<float> silence(44100 * 10, 0.0f);
    analysis.FeedMono(silence.data(), silence.size());
    const TSongBeats beats = analysis.Finish();
    EXPECT_TRUE(beats.IsEmpty());
    EXPECT_EQ(beats.TempoBpm, 0);
}

TEST(BeatAnalysisTest, TempoOfBeatsIgnoresMissedBeatsAndNeedsFour) {
    EXPECT_EQ(TempoOfBeats({0, 500, 1000}), 0);
    EXPECT_NEAR(TempoOfBeats({0, 500, 1000, 1500, 2500, 3000, 3500}), 120, 0.01);
    EXPECT_NEAR(TempoOfBeats({0, 490, 1000, 1510, 2000}), 120, 0.01);
}

TEST(BeatAnalysisTest, AnalysisStopsWhenCancelledOrRefusesWhatIsNoSong) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("clicks.wav"));
    ASSERT_TRUE(WriteFile(path, ClickWave(4)));
    std::atomic<bool> cancel{true};
    EXPECT_FALSE(AnalyseWaveFile(path, {}, &cancel).Complete);
    EXPECT_FALSE(AnalyseSong(FixturePath("clicks_120.mp3"), {}, &cancel).Complete);
    std::int64_t last = -1;
    EXPECT_FALSE(AnalyseWaveFile(path, [&last](std::int64_t done, std::int64_t) {
                     last = done;
                     return done == 0;
                 }).Complete);
    EXPECT_GT(last, 0);
    const TBeatsResult whole = AnalyseWaveFile(path);
    EXPECT_TRUE(whole.Complete);
    EXPECT_FALSE(whole.Beats.OnsetsMs.empty());

    QString error;
    EXPECT_FALSE(AnalyseSong(FixturePath("not_an_mp3.mp3"), {}, nullptr, &error).Complete);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(AnalyseSong(dir.filePath(QStringLiteral("none.mp3"))).Complete);
    EXPECT_THROW(AnalyseWaveFile(FixturePath("not_an_mp3.mp3")), EWaveStreamError);
}

} // namespace
