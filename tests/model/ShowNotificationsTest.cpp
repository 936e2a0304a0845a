// What the show announces: each change of the track list, of a track's fields, of its slot
// values and of the project record, with the right numbers and ranges; and one Reset for a
// bulk update however much happens inside it.
#include "model/ShowDocument.h"
#include "model/TrackRules.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <vector>

using namespace lumivox;

QT_BEGIN_NAMESPACE
// Failures show the announcements as text.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << text.toStdString();
}
QT_END_NAMESPACE

namespace {

// Every announcement of a show, written out in order.
class Announcements {
public:
    explicit Announcements(ShowDocument& doc) {
        QObject::connect(&doc, &ShowDocument::TracksAdded, &Context,
                         [this](int first, int last) { Log << Range("added", first, last); });
        QObject::connect(&doc, &ShowDocument::TracksRemoved, &Context,
                         [this](int first, int last) { Log << Range("removed", first, last); });
        QObject::connect(&doc, &ShowDocument::TrackChanged, &Context,
                         [this](int number, TTrackFields fields) {
                             Log << QStringLiteral("track %1 %2")
                                        .arg(number)
                                        .arg(static_cast<unsigned>(fields.toInt()));
                         });
        QObject::connect(
            &doc, &ShowDocument::SlotsChanged, &Context, [this](int number, int first, int last) {
                Log << QStringLiteral("slots %1 %2-%3").arg(number).arg(first).arg(last);
            });
        QObject::connect(&doc, &ShowDocument::ProjectChanged, &Context, [this](TProjectFields f) {
            Log << QStringLiteral("project %1").arg(static_cast<unsigned>(f.toInt()));
        });
        QObject::connect(&doc, &ShowDocument::ModifiedChanged, &Context, [this](bool modified) {
            Log << QStringLiteral("modified %1").arg(modified);
        });
        QObject::connect(&doc, &ShowDocument::SoloActiveChanged, &Context,
                         [this](bool active) { Log << QStringLiteral("solo %1").arg(active); });
        QObject::connect(&doc, &ShowDocument::BulkUpdateStarted, &Context,
                         [this] { Log << QStringLiteral("bulk"); });
        QObject::connect(&doc, &ShowDocument::Reset, &Context,
                         [this] { Log << QStringLiteral("reset"); });
    }
    static QString Range(const char* what, int first, int last) {
        return QStringLiteral("%1 %2-%3").arg(QLatin1String(what)).arg(first).arg(last);
    }
    static QString Fields(int number, TTrackFields fields) {
        return QStringLiteral("track %1 %2").arg(number).arg(static_cast<unsigned>(fields.toInt()));
    }
    QStringList Log;

private:
    QObject Context;
};

class ShowNotifications : public ::testing::Test {
protected:
    ShowNotifications() {
        Doc.SlotCount = 101;
        for (int k = 0; k < 5; ++k)
            Doc.AddTrack(Language::English);
        Heard.Log.clear();
    }
    ShowDocument Doc;
    Announcements Heard{Doc};
};

TEST_F(ShowNotifications, WritingSlotsReportsExactlyTheSlotsWritten) {
    EXPECT_EQ(Doc.FillSlots(2, 11, 20, 200), 20);
    EXPECT_TRUE(Doc.SetSlot(4, 7, 9));
    EXPECT_FALSE(Doc.SetSlot(4, 101, 9)) << "the storage-only slot";
    // A cell running past the track's end is written, and reported, up to the last slot.
    EXPECT_EQ(Doc.FillSlots(1, 96, 105, 1), 100);
    EXPECT_EQ(Doc.FillSlots(1, 101, 105, 1), 100) << "nothing left to write";
    EXPECT_EQ(Heard.Log, (QStringList{"slots 2 11-20", "slots 4 7-7", "slots 1 96-100"}));
    std::uint8_t value = 0;
    ASSERT_TRUE(Doc.Track(2).GetValue(20, value));
    EXPECT_EQ(value, 200);
    ASSERT_TRUE(Doc.Track(2).GetValue(21, value));
    EXPECT_EQ(value, 0);

    Heard.Log.clear();
    Doc.ResizeTracks(51);
    ASSERT_EQ(Heard.Log.size(), 5);
    EXPECT_EQ(Heard.Log[0], "slots 1 1-100") << "the slots that went are reported too";
}

TEST_F(ShowNotifications, WritingASpanKeepsItInsideTheTrackAndReportsItOnce) {
    const std::uint8_t values[] = {1, 2, 3, 4, 5};
    EXPECT_EQ(Doc.WriteSlots(3, 10, values, 5), 5);
    EXPECT_EQ(Doc.WriteSlots(3, 98, values, 5), 3) << "up to the last slot before storage";
    EXPECT_EQ(Doc.WriteSlots(3, -1, values, 5), 3) << "slots -1 and 0 dropped";
    EXPECT_EQ(Doc.WriteSlots(3, 101, values, 5), 0);
    EXPECT_EQ(Doc.WriteSlots(3, -10, values, 5), 0);
    EXPECT_EQ(Doc.WriteSlots(3, 50, values, 0), 0);
    EXPECT_EQ(Heard.Log, (QStringList{"slots 3 10-14", "slots 3 98-100", "slots 3 1-3"}));
    std::vector<std::uint8_t> stored(static_cast<std::size_t>(Doc.Track(3).SlotCount()));
    Doc.Track(3).Values.CopyOut(0, Doc.Track(3).SlotCount(), stored.data());
    const std::uint8_t* bytes = stored.data();
    EXPECT_EQ(std::vector<std::uint8_t>(bytes + 9, bytes + 14),
              std::vector<std::uint8_t>(values, values + 5));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + 3), (std::vector<std::uint8_t>{3, 4, 5}));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes + 97, bytes + 101),
              (std::vector<std::uint8_t>{1, 2, 3, 0}))
        << "the storage-only slot stays 0";

    Heard.Log.clear();
    {
        const TBulkUpdate bulk(Doc);
        EXPECT_EQ(Doc.WriteSlots(2, 1, values, 5), 5);
    }
    EXPECT_EQ(Heard.Log, (QStringList{"bulk", "reset"})) << "inside a bulk update only the Reset";
}

TEST_F(ShowNotifications, RemovingTracksTwoAndFourOfFiveReportsBothAndTheNewNumbers) {
    Doc.SetSelected(2, true);
    Doc.SetSelected(4, true);
    Heard.Log.clear();
    std::vector<int> remaining;
    EXPECT_EQ(Doc.RemoveSelectedTracks([&](int left, int) { remaining.push_back(left); }), 2);
    EXPECT_EQ(remaining, (std::vector<int>{1, 0}));
    // Track 4 stood at 3 once track 2 was gone; then tracks 2 and 3 took new numbers.
    EXPECT_EQ(Heard.Log, (QStringList{"removed 2-2", "removed 3-3",
                                      Announcements::Fields(2, TTrackField::Number),
                                      Announcements::Fields(3, TTrackField::Number)}));
    EXPECT_EQ(Doc.Track(3).Caption, "Track 5");

    // Neighbours go as one range.
    Doc.SetSelected(1, true);
    Doc.SetSelected(2, true);
    Heard.Log.clear();
    Doc.RemoveSelectedTracks({});
    EXPECT_EQ(Heard.Log,
              (QStringList{"removed 1-2", Announcements::Fields(1, TTrackField::Number)}));
    Heard.Log.clear();
    Doc.RemoveAllTracks();
    EXPECT_EQ(Heard.Log, QStringList{"removed 1-1"});
}

TEST_F(ShowNotifications, HeaderFieldsAreReportedForTheirTrackAndSoloForTheShow) {
    Heard.Log.clear();
    Doc.SetCaption(3, QStringLiteral("Fog"));
    Doc.SetOutput(3, 9);
    Doc.SetSolo(5, true);
    Doc.SetSolo(4, true);
    Doc.SetMute(5, true);
    Doc.SetMute(4, true);
    Doc.SetSelected(1, false); // not selected already: nothing changed
    Doc.SelectOnly(2);
    const TTrackFields muteSolo = TTrackField::Mute | TTrackField::Solo;
    EXPECT_EQ(Heard.Log,
              (QStringList{Announcements::Fields(3, TTrackField::Caption),
                           Announcements::Fields(3, TTrackField::Output),
                           Announcements::Fields(5, muteSolo), "solo 1",
                           Announcements::Fields(4, muteSolo), Announcements::Fields(5, muteSolo),
                           Announcements::Fields(4, muteSolo), "solo 0",
                           Announcements::Fields(2, TTrackField::Selected)}));
    EXPECT_EQ(Doc.Anchor(), 2);
    EXPECT_EQ(Doc.SelectedCount(), 1);
    EXPECT_EQ(Doc.NumberOf(&Doc.Track(4)), 4);
}

TEST_F(ShowNotifications, TheProjectRecordAndTheModifiedStateAreReported) {
    Heard.Log.clear();
    Doc.SetProjectName(QStringLiteral("Gala"));
    Doc.SetResolution(7);
    Doc.SetModified(true);
    Doc.SetModified(true); // no change
    Doc.SetModified(false);
    Doc.ResetRecord(QStringLiteral("New"));
    EXPECT_EQ(Doc.ResolutionIndex(), 1);
    EXPECT_EQ(Doc.Project().Resolution, 1);
    const auto project = [](TProjectFields fields) {
        return QStringLiteral("project %1").arg(static_cast<unsigned>(fields.toInt()));
    };
    EXPECT_EQ(
        Heard.Log,
        (QStringList{project(TProjectField::Name), project(TProjectField::Resolution), "modified 1",
                     "modified 0",
                     project(TProjectField::Name | TProjectField::Song | TProjectField::Texts)}));
}

TEST_F(ShowNotifications, ABulkUpdateReportsOneResetForEverythingInsideIt) {
    Heard.Log.clear();
    {
        TBulkUpdate outer(Doc);
        Doc.AddTrack(Language::English);
        Doc.RemoveTrack(1);
        {
            TBulkUpdate inner(Doc);
            inner.Track(2).Solo = true; // written directly: Solo is worked out at the end
            Doc.FillSlots(3, 1, 10, 5);
            Doc.SetModified(true);
            Doc.SetProjectName(QStringLiteral("Read"));
        }
        EXPECT_EQ(Heard.Log, QStringList{"bulk"}) << "nothing until the outermost end";
        EXPECT_FALSE(Doc.SoloActive());
    }
    EXPECT_EQ(Heard.Log, (QStringList{"bulk", "reset"}));
    EXPECT_TRUE(Doc.SoloActive());
    EXPECT_TRUE(Doc.Modified());
    EXPECT_EQ(Doc.TrackCount(), 5);
    Doc.EndBulkUpdate(); // unbalanced: ignored
    EXPECT_EQ(Heard.Log.size(), 2);
    EXPECT_FALSE(Doc.InBulkUpdate());
}

// What the header of a new sixth track hears: all of it when added, then its own fields, and
// all of it again after a bulk update.
TEST_F(ShowNotifications, AHeaderHearsItsFieldsAndAllOfThemAfterAReset) {
    std::vector<TTrackFields> seen;
    QObject::connect(&Doc, &ShowDocument::TracksAdded, &Doc, [&seen](int first, int last) {
        if (first <= 6 && 6 <= last)
            seen.push_back(AllTrackFields);
    });
    QObject::connect(&Doc, &ShowDocument::TrackChanged, &Doc,
                     [&seen](int number, TTrackFields fields) {
                         if (number == 6)
                             seen.push_back(fields);
                     });
    QObject::connect(&Doc, &ShowDocument::Reset, &Doc, [&seen] { seen.push_back(AllTrackFields); });
    Doc.AddTrack(Language::English);
    Doc.SetLocked(6, true);
    Doc.SetCaption(1, QStringLiteral("another track"));
    { TBulkUpdate bulk(Doc); }
    EXPECT_EQ(seen,
              (std::vector<TTrackFields>{AllTrackFields, TTrackField::Locked, AllTrackFields}));
}

} // namespace
