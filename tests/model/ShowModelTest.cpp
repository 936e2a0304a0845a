// The show model's limits and rules: slot bounds, resizing, the track limit, the choices
// made for new tracks and the changes shown on the header.
#include "model/ShowDocument.h"
#include "model/TrackRules.h"

#include <gtest/gtest.h>

using namespace lumivox;

namespace {

// Records what the model shows on a header.
class RecordingHeader : public ITrackHeader {
public:
    struct State {
        QString Caption;
        int Output = -1;
        bool Selected = false, Locked = false, Mute = false, Solo = false, Armed = false;
        int Type = -1, Number = -1, Height = -1;
        TColor Header = 0, CaptionColour = 0;
    };
    explicit RecordingHeader(State& state) : S(state) {}
    void Show(const TFullTrack& track, int number, TTrackFields fields) override {
        if (fields & TTrackField::Caption)
            S.Caption = track.Caption;
        if (fields & TTrackField::Selected)
            S.Selected = track.Selected;
        if (fields & TTrackField::Locked)
            S.Locked = track.Locked;
        if (fields & TTrackField::Mute)
            S.Mute = track.Mute;
        if (fields & TTrackField::Solo)
            S.Solo = track.Solo;
        if (fields & TTrackField::Armed)
            S.Armed = track.Armed;
        if (fields & TTrackField::Type)
            S.Type = track.TrackType;
        if (fields & TTrackField::Output)
            S.Output = track.Output;
        if (fields & TTrackField::Number)
            S.Number = HeaderNumber(number);
        if (fields & TTrackField::Colors) {
            S.Header = track.HeaderColor;
            S.CaptionColour = track.CaptionColor;
        }
    }
    void SetHeight(int pixels) override { S.Height = pixels; }
    State& S;
};

// A show whose tracks have recording headers.
struct HeadedShow {
    ShowDocument Doc;
    std::vector<RecordingHeader::State> States = std::vector<RecordingHeader::State>(20);
    int Made = 0;
    explicit HeadedShow(int slots) {
        Doc.SlotCount = slots;
        Doc.HeaderFactory = [this] { return std::make_unique<RecordingHeader>(States[Made++]); };
    }
};

TEST(SlotValues, OnlyIndexesOneToSlotCountMinusOneAreAddressable) {
    TFullTrack track(101);
    EXPECT_TRUE(track.SetValue(100, 7));
    std::uint8_t value = 0;
    EXPECT_TRUE(track.GetValue(100, value));
    EXPECT_EQ(value, 7);
    value = 42;
    EXPECT_FALSE(track.SetValue(101, 7));
    EXPECT_FALSE(track.GetValue(101, value));
    EXPECT_EQ(value, 42); // untouched on failure
    EXPECT_FALSE(track.SetValue(0, 7));
    EXPECT_FALSE(track.GetValue(0, value));
    EXPECT_FALSE(track.SetValue(-5, 7));
    EXPECT_EQ(track.Values.Data()[100], 0);

    TFullDataTrack copy(1); // a one-slot track has nothing addressable
    EXPECT_FALSE(copy.SetValue(1, 1));
    TFullTrack empty(0);
    EXPECT_FALSE(empty.SetValue(1, 1));
}

TEST(SlotValues, ResizeKeepsLeadingValuesWithinTheLimit) {
    TFullTrack track(101);
    for (int j = 1; j <= 100; ++j)
        track.SetValue(j, static_cast<std::uint8_t>(j));
    track.Resize(151);
    ASSERT_EQ(track.SlotCount(), 151);
    std::uint8_t value = 0;
    for (int j = 1; j <= 150; ++j) {
        ASSERT_TRUE(track.GetValue(j, value));
        EXPECT_EQ(value, j <= 100 ? j : 0) << j;
    }
    track.Resize(MaxSlotCount + 1);
    EXPECT_EQ(track.SlotCount(), 151);
    track.Resize(-1);
    EXPECT_EQ(track.SlotCount(), 151);
    track.Resize(MaxSlotCount);
    EXPECT_EQ(track.SlotCount(), MaxSlotCount);
    track.Resize(50);
    ASSERT_EQ(track.SlotCount(), 50);
    ASSERT_TRUE(track.GetValue(49, value));
    EXPECT_EQ(value, 49);
    track.Resize(60); // values past the shorter length were lost
    ASSERT_TRUE(track.GetValue(55, value));
    EXPECT_EQ(value, 0);
}

TEST(Tracks, MuteAndSoloExcludeEachOtherAndReachTheHeader) {
    HeadedShow show(10);
    ShowDocument& doc = show.Doc;
    ASSERT_NE(doc.AddTrack(Language::English), nullptr);
    const TFullTrack& track = doc.Track(1);
    RecordingHeader::State& state = show.States[0];
    doc.SetMute(1, true);
    doc.SetSolo(1, true);
    EXPECT_TRUE(track.Solo);
    EXPECT_FALSE(track.Mute);
    EXPECT_TRUE(state.Solo);
    EXPECT_FALSE(state.Mute);
    doc.SetMute(1, true);
    EXPECT_TRUE(track.Mute);
    EXPECT_FALSE(track.Solo);
    EXPECT_FALSE(state.Solo);
    doc.SetSolo(1, false); // releasing solo does not unmute
    EXPECT_TRUE(track.Mute);

    doc.SetLocked(1, !track.Locked);
    EXPECT_TRUE(track.Locked);
    EXPECT_TRUE(state.Locked);
    doc.SetSelected(1, true);
    EXPECT_TRUE(state.Selected);
    doc.SetArmed(1, true);
    EXPECT_TRUE(state.Armed);
    EXPECT_EQ(HeaderNumber(256), 0); // shown as a byte
    EXPECT_EQ(state.Number, 1);
    doc.SetColors(1, 1, 2, 3, 4);
    EXPECT_EQ(track.HeaderColor, 1u);
    EXPECT_EQ(state.CaptionColour, 2u);
    EXPECT_EQ(track.LaneBackColor, 4u);
}

TEST(Tracks, HeardWhenUnmutedAndSoloedWhileAnyTrackIs) {
    TFullTrack track(2);
    EXPECT_TRUE(track.Heard(false));
    EXPECT_FALSE(track.Heard(true));
    track.SetMute(true);
    EXPECT_FALSE(track.Heard(false));
    track.SetSolo(true);
    EXPECT_TRUE(track.Heard(true));
}

TEST(NewTracks, OutputKeyCaptionAndColoursFollowTheRules) {
    HeadedShow show(11);
    ShowDocument& doc = show.Doc;
    const std::vector<RecordingHeader::State>& states = show.States;
    for (int k = 1; k <= 12; ++k)
        ASSERT_NE(doc.AddTrack(k == 12 ? Language::German : Language::English), nullptr);

    const TFullTrack& first = doc.Track(1);
    EXPECT_EQ(first.Caption, QStringLiteral("Track 1"));
    EXPECT_EQ(first.Output, 1);
    EXPECT_EQ(first.MidiMap.Key, 1);
    EXPECT_EQ(first.SlotCount(), 11);
    EXPECT_EQ(states[0].Output, 1);
    EXPECT_EQ(states[0].Number, 1);
    EXPECT_EQ(states[0].Type, TrackTypeProportional);
    EXPECT_EQ(doc.Track(12).Caption, QStringLiteral("Spur12")); // the German word has no blank
    // Palette by count: the 11th takes entry 11, the 12th entry 1 again.
    EXPECT_EQ(doc.Track(11).LaneColor, TrackPalette[10].Strong);
    EXPECT_EQ(doc.Track(11).CaptionColor, TrackPalette[10].Pale);
    EXPECT_EQ(doc.Track(12).HeaderColor, TrackPalette[0].Strong);
    EXPECT_EQ(doc.Track(12).LaneBackColor, TrackPalette[0].Pale);
    EXPECT_EQ(states[11].Header, TrackPalette[0].Strong);
    EXPECT_EQ(doc.Track(1).HeaderColor, 0x00FF80u);
    EXPECT_EQ(doc.Track(1).CaptionColor, 0xD9E9E5u);
}

TEST(NewTracks, FirstFreeOutputFillsGapsAndNeverGivesZero) {
    std::vector<std::unique_ptr<TFullTrack>> tracks;
    for (int output : {1, 2, 4}) {
        tracks.push_back(std::make_unique<TFullTrack>(2));
        tracks.back()->Output = static_cast<std::uint8_t>(output);
    }
    EXPECT_EQ(FirstFreeOutput(tracks), 3);
    tracks[0]->Output = 0; // "All" frees output 1
    EXPECT_EQ(FirstFreeOutput(tracks), 1);
    tracks.clear();
    for (int output = 1; output <= 255; ++output) {
        tracks.push_back(std::make_unique<TFullTrack>(2));
        tracks.back()->Output = static_cast<std::uint8_t>(output);
    }
    EXPECT_EQ(FirstFreeOutput(tracks), 255);
    tracks[99]->Output = 0;
    EXPECT_EQ(FirstFreeOutput(tracks), 100);

    EXPECT_EQ(MidiKeyForOutput(200), 73);
    EXPECT_EQ(MidiKeyForOutput(127), 127);
    EXPECT_EQ(MidiKeyForOutput(128), 1);
    EXPECT_EQ(MidiKeyForOutput(255), 128);
    EXPECT_EQ(OutputText(0, QStringLiteral("All")), QStringLiteral("All"));
    EXPECT_EQ(OutputText(7, QStringLiteral("All")), QStringLiteral("007"));
}

TEST(NewTracks, TheTwoHundredFiftySixthIsRefused) {
    ShowDocument doc;
    doc.SlotCount = 3;
    for (int k = 1; k <= MaxTracks; ++k)
        ASSERT_NE(doc.AddTrack(Language::English), nullptr);
    EXPECT_EQ(doc.AddTrack(Language::English), nullptr);
    EXPECT_EQ(doc.TrackCount(), MaxTracks);
    EXPECT_EQ(doc.Track(255).Output, 255);
    EXPECT_EQ(doc.Track(255).MidiMap.Key, 128);
}

TEST(NewTracks, RemovingRenumbersAndKeepsCaptions) {
    HeadedShow show(3);
    ShowDocument& doc = show.Doc;
    const std::vector<RecordingHeader::State>& states = show.States;
    for (int k = 0; k < 5; ++k)
        doc.AddTrack(Language::English);
    doc.RemoveTrack(4);
    doc.RemoveTrack(2);
    ASSERT_EQ(doc.TrackCount(), 3);
    EXPECT_EQ(doc.Track(2).Caption, QStringLiteral("Track 3"));
    EXPECT_EQ(states[2].Number, 2);
    EXPECT_EQ(states[4].Number, 3);
    doc.SetSolo(3, true);
    EXPECT_TRUE(doc.SoloActive());
    doc.RemoveTrack(3);
    EXPECT_FALSE(doc.SoloActive());
}

TEST(DataTrack, KeepsOutputAndTypeApart) {
    TFullDataTrack copy(5);
    copy.Output = 9;
    copy.TrackType = TrackTypeOnOff;
    EXPECT_EQ(copy.Output, 9);
    EXPECT_EQ(copy.TrackType, TrackTypeOnOff);
    EXPECT_EQ(copy.HeaderColor, clSilver);
    EXPECT_EQ(copy.CaptionColor, clGray);
    EXPECT_EQ(copy.LaneColor, clRed);
    EXPECT_EQ(copy.LaneBackColor, clWhite);
    EXPECT_EQ(copy.MidiMap, (TMidiMap{0, 1, 0, 0, false, true}));
}

} // namespace
