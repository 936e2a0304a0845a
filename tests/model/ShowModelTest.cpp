// The show model's limits and rules: slot bounds, resizing, the track limit, the choices
// made for new tracks and the changes shown on the header.
#include "model/ShowDocument.h"
#include "model/TrackRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

using namespace lumivox;

namespace {

// Records what the model announces to a track's header.
class RecordingHeader {
public:
    struct State {
        QString Caption;
        int Output = -1;
        bool Selected = false, Locked = false, Mute = false, Solo = false, Armed = false;
        int Type = -1, Number = -1;
        TColor Header = 0, CaptionColour = 0;
    };
    explicit RecordingHeader(State& state) : S(state) {}
    void Show(const TFullTrack& track, int number, TTrackFields fields) {
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
    State& S;
};

// A show whose tracks have recording headers, kept as a header column keeps them: one per
// track, moving with its track, told what each announcement names and all of a track after
// a reset. States are handed out in the order the tracks appear.
struct HeadedShow {
    ShowDocument Doc;
    std::vector<RecordingHeader::State> States = std::vector<RecordingHeader::State>(20);
    int Made = 0;
    std::vector<std::pair<const TFullTrack*, std::unique_ptr<RecordingHeader>>> Rows;

    explicit HeadedShow(int slots) {
        Doc.SlotCount = slots;
        QObject::connect(&Doc, &ShowDocument::TracksAdded, &Doc, [this](int first, int last) {
            for (int k = first; k <= last; ++k) {
                Rows.insert(Rows.begin() + (k - 1), {&Doc.Track(k), NewHeader()});
                Rows[static_cast<std::size_t>(k - 1)].second->Show(Doc.Track(k), k, AllTrackFields);
            }
        });
        QObject::connect(&Doc, &ShowDocument::TracksRemoved, &Doc, [this](int first, int last) {
            Rows.erase(Rows.begin() + (first - 1), Rows.begin() + last);
        });
        QObject::connect(&Doc, &ShowDocument::TracksMoved, &Doc, [this](int, int) {
            std::stable_sort(Rows.begin(), Rows.end(), [this](const auto& a, const auto& b) {
                return Doc.NumberOf(a.first) < Doc.NumberOf(b.first);
            });
        });
        QObject::connect(&Doc, &ShowDocument::TrackChanged, &Doc,
                         [this](int number, TTrackFields fields) {
                             Rows[static_cast<std::size_t>(number - 1)].second->Show(
                                 Doc.Track(number), number, fields);
                         });
        QObject::connect(&Doc, &ShowDocument::Reset, &Doc, [this] {
            decltype(Rows) rows;
            for (int k = 1; k <= Doc.TrackCount(); ++k) {
                const TFullTrack* track = &Doc.Track(k);
                auto found =
                    std::ranges::find_if(Rows, [track](const auto& r) { return r.first == track; });
                rows.emplace_back(track,
                                  found != Rows.end() ? std::move(found->second) : NewHeader());
                rows.back().second->Show(*track, k, AllTrackFields);
            }
            Rows = std::move(rows);
        });
    }
    std::unique_ptr<RecordingHeader> NewHeader() {
        return std::make_unique<RecordingHeader>(States[static_cast<std::size_t>(Made++)]);
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
    EXPECT_EQ(track.Values.StoredByte(100), 0);

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

// The values in chunks: borders, bulk access, resizing across chunks, equality and sharing.
constexpr int Chunk = TSlotValues::ChunkSize;

// Slot j holds j mod 251 (never 0 past slot 0 of a chunk border, so lost values show).
TSlotValues Patterned(int count) {
    TSlotValues values(count);
    for (int j = 1; j < count; ++j)
        values.SetValue(j, static_cast<std::uint8_t>(j % 251));
    return values;
}

TEST(SlotChunks, ValuesOnBothSidesOfAChunkBorderAreTheirOwn) {
    TSlotValues values(3 * Chunk + 10);
    EXPECT_EQ(values.ChunkCount(), 4);
    // Slot Chunk is the last byte of the first chunk, slot Chunk + 1 the first of the next.
    ASSERT_TRUE(values.SetValue(Chunk, 1));
    ASSERT_TRUE(values.SetValue(Chunk + 1, 2));
    ASSERT_TRUE(values.SetValue(3 * Chunk + 9, 3)); // the last addressable slot
    EXPECT_FALSE(values.SetValue(3 * Chunk + 10, 4));
    EXPECT_EQ(values.StoredByte(Chunk - 1), 1);
    EXPECT_EQ(values.StoredByte(Chunk), 2);
    EXPECT_EQ(values.StoredByte(Chunk + 1), 0);
    EXPECT_EQ(values.StoredByte(3 * Chunk + 8), 3);
    EXPECT_EQ(values.StoredByte(3 * Chunk + 9), 0);

    // Bulk writes and reads that span three chunks, clipped to the storage.
    values.Fill(Chunk - 5, Chunk + 10, 7);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(Chunk + 20), 99);
    values.CopyOut(Chunk - 10, Chunk + 20, out.data());
    for (int i = 0; i < Chunk + 20; ++i) {
        const int offset = Chunk - 10 + i;
        const bool filled = offset >= Chunk - 5 && offset < 2 * Chunk + 5;
        ASSERT_EQ(out[static_cast<std::size_t>(i)], filled ? 7 : 0) << offset;
    }
    const std::vector<std::uint8_t> in{10, 11, 12, 13, 14};
    values.CopyIn(3 * Chunk + 7, 5, in.data()); // only three bytes lie in the storage
    EXPECT_EQ(values.StoredByte(3 * Chunk + 7), 10);
    EXPECT_EQ(values.StoredByte(3 * Chunk + 9), 12);
    values.CopyOut(-3, 3, out.data()); // wholly before the storage: nothing
    EXPECT_EQ(out[0], 0);
}

TEST(SlotChunks, ResizeAcrossChunkBordersKeepsTheLeadingValuesAndZeroesTheNewOnes) {
    for (const int from : {Chunk - 1, Chunk, Chunk + 1, 2 * Chunk + 300}) {
        for (const int to : {0, 1, Chunk / 2, Chunk, Chunk + 1, 3 * Chunk - 1, 3 * Chunk + 2}) {
            SCOPED_TRACE(::testing::Message() << from << " -> " << to);
            TSlotValues values = Patterned(from);
            const TSlotValues before = values;
            values.Resize(to);
            ASSERT_EQ(values.SlotCount(), to);
            EXPECT_EQ(values.ChunkCount(), (to + Chunk - 1) / Chunk);
            for (int offset = 0; offset < to; ++offset) {
                const int slot = offset + 1;
                const std::uint8_t expected =
                    slot < from ? static_cast<std::uint8_t>(slot % 251) : 0;
                ASSERT_EQ(values.StoredByte(offset), expected) << offset;
            }
            EXPECT_EQ(before.SlotCount(), from) << "the copy keeps its length";
            // Shrunk and grown back, the lost values come back as 0.
            values.Resize(from);
            if (to < from - 1) {
                EXPECT_EQ(values.StoredByte(from - 2), 0);
            }
        }
    }
}

// Values made from a buffer at once hold what values made empty and written with CopyIn
// hold, however the buffer's end falls against the chunks and the slot count.
TEST(SlotChunks, ValuesMadeFromBytesEqualEmptyValuesWrittenWithCopyIn) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(3 * Chunk + 7));
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i % 253 + 1);
    for (const int slots : {0, 1, Chunk, Chunk + 1, 3 * Chunk + 5}) {
        for (const int count : {-1, 0, 1, Chunk - 1, Chunk, 2 * Chunk + 3, 3 * Chunk + 7}) {
            SCOPED_TRACE(::testing::Message() << slots << " slots, " << count << " bytes");
            TSlotValues written(slots);
            written.CopyIn(0, count, bytes.data());
            const TSlotValues made(slots, bytes.data(), count);
            ASSERT_EQ(made.SlotCount(), slots);
            EXPECT_EQ(made.ChunkCount(), written.ChunkCount());
            EXPECT_TRUE(made == written);
            if (slots > 0 && count < slots) {
                EXPECT_EQ(made.StoredByte(slots - 1), 0) << "past the bytes lies 0";
            }
        }
    }
}

TEST(SlotChunks, EqualityComparesContentAndSharedChunksAtOnce) {
    const TSlotValues a = Patterned(2 * Chunk + 5);
    TSlotValues b = Patterned(2 * Chunk + 5);
    EXPECT_FALSE(a.SharesBytesWith(b));
    EXPECT_TRUE(a == b);
    b.SetValue(2 * Chunk + 3, 0); // in the short last chunk
    EXPECT_FALSE(a == b);
    TSlotValues c = a;
    c.SetValue(2 * Chunk + 3, 0);
    EXPECT_TRUE(b == c);
    EXPECT_EQ(c.SharedChunkCount(a), 2) << "only the written chunk was copied";
    c.SetValue(2 * Chunk + 3, static_cast<std::uint8_t>((2 * Chunk + 3) % 251));
    EXPECT_TRUE(a == c) << "the same bytes in a chunk of its own";
    TSlotValues shorter = a;
    shorter.Resize(2 * Chunk + 4);
    EXPECT_FALSE(a == shorter);
    EXPECT_TRUE(TSlotValues(0) == TSlotValues(0));
    EXPECT_FALSE(TSlotValues(0) == TSlotValues(1));
}

TEST(SlotChunks, AWriteToACopyCopiesOneChunkAndLeavesTheOriginalAsItWas) {
    const TSlotValues original = Patterned(5 * Chunk);
    TSlotValues copy = original;
    EXPECT_TRUE(copy.SharesBytesWith(original));
    EXPECT_EQ(copy.SharedChunkCount(original), 5);

    ASSERT_TRUE(copy.SetValue(2 * Chunk + 1, 0)); // first slot of the third chunk
    EXPECT_FALSE(copy.SharesBytesWith(original));
    EXPECT_EQ(copy.SharedChunkCount(original), 4);
    EXPECT_EQ(original.StoredByte(2 * Chunk), (2 * Chunk + 1) % 251);
    EXPECT_EQ(copy.StoredByte(2 * Chunk), 0);

    // A second copy of the written one shares its new chunk; writing the first copy again
    // changes nothing of the second.
    const TSlotValues second = copy;
    ASSERT_TRUE(copy.SetValue(2 * Chunk + 2, 1));
    EXPECT_EQ(second.StoredByte(2 * Chunk + 1), (2 * Chunk + 2) % 251);
    EXPECT_EQ(second.SharedChunkCount(copy), 4);

    // A fill over two chunks copies those two only.
    TSlotValues filled = original;
    filled.Fill(Chunk - 1, 2, 200);
    EXPECT_EQ(filled.SharedChunkCount(original), 3);
    EXPECT_EQ(filled.StoredByte(Chunk - 1), 200);
    EXPECT_EQ(filled.StoredByte(Chunk), 200);
    EXPECT_EQ(original.StoredByte(Chunk - 1), Chunk % 251);

    // A move leaves nothing behind to compare or write.
    TSlotValues moved = std::move(filled);
    EXPECT_EQ(moved.SlotCount(), 5 * Chunk);
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
