// The marks of a show: kept in time order whatever order they come in, found by time for
// snapping and jumping, and announced by the show when they change.
#include "model/ShowMarks.h"
#include "model/ShowDocument.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

using namespace lumivox;

namespace {

std::vector<int> Times(const TShowMarks& marks) {
    std::vector<int> times;
    for (const TShowMark& mark : marks)
        times.push_back(mark.Ms);
    return times;
}

QStringList Names(const TShowMarks& marks) {
    QStringList names;
    for (const TShowMark& mark : marks)
        names << mark.Name;
    return names;
}

} // namespace

TEST(ShowMarksTest, KeepTimeOrderAndTheOrderOfMarksAtOneTime) {
    TShowMarks marks({{3000, "c"}, {-20, "zero"}, {1000, "a"}, {3000, "d"}});
    EXPECT_EQ(Times(marks), (std::vector<int>{0, 1000, 3000, 3000}));
    EXPECT_EQ(Names(marks), (QStringList{"zero", "a", "c", "d"}));

    // A new mark at a taken time comes after those already there.
    EXPECT_EQ(marks.Add(3000, "e"), 4);
    EXPECT_EQ(marks.Add(500, "b"), 1);
    EXPECT_EQ(Names(marks), (QStringList{"zero", "b", "a", "c", "d", "e"}));

    // Moving keeps the name and finds the new place, before or after.
    EXPECT_EQ(marks.Move(5, 200), 1);
    EXPECT_EQ(marks[1], (TShowMark{200, "e"}));
    EXPECT_EQ(marks.Move(0, 9000), 5);
    EXPECT_EQ(Times(marks), (std::vector<int>{200, 500, 1000, 3000, 3000, 9000}));

    EXPECT_EQ(marks.Move(6, 1), -1);
    EXPECT_EQ(marks.Move(-1, 1), -1);
    EXPECT_FALSE(marks.Rename(6, "x"));
    EXPECT_FALSE(marks.Remove(-1));
    EXPECT_EQ(marks.size(), 6);
    EXPECT_TRUE(marks.Remove(0));
    EXPECT_EQ(marks[0].Name, "b");
}

TEST(ShowMarksTest, FindTheNearestThePreviousAndTheNext) {
    const TShowMarks marks({{1000, "a"}, {2000, "b"}, {2000, "c"}, {5000, "d"}});
    EXPECT_EQ(marks.Nearest(1040, 50), 0);
    EXPECT_EQ(marks.Nearest(1051, 50), -1);
    EXPECT_EQ(marks.Nearest(950, 50), 0);
    // Equally near: the earlier; several at one time: the first of them.
    EXPECT_EQ(marks.Nearest(1500, 500), 0);
    EXPECT_EQ(marks.Nearest(2100, 500), 1);
    EXPECT_EQ(marks.Nearest(1990, 20), 1);
    EXPECT_EQ(TShowMarks().Nearest(0, 1000), -1);

    EXPECT_EQ(marks.Previous(1000), -1);
    EXPECT_EQ(marks.Previous(1001), 0);
    EXPECT_EQ(marks.Previous(4000), 1);
    EXPECT_EQ(marks.Next(1000), 1);
    EXPECT_EQ(marks.Next(2000), 3);
    EXPECT_EQ(marks.Next(5000), -1);
    EXPECT_EQ(marks.Next(-5), 0);
}

TEST(ShowMarksTest, NamesAreOneTrimmedLineOfBoundedLength) {
    EXPECT_EQ(TShowMarks::CleanName(" Verse\n2\tstart \r"), "Verse 2 start");
    const QString cut = TShowMarks::CleanName(QString(100, u'x'));
    EXPECT_EQ(cut.size(), TShowMarks::MaxNameLength);
    TShowMarks marks;
    marks.Add(0, "a");
    marks.Rename(0, "Drop\nhere");
    EXPECT_EQ(marks[0].Name, "Drop here");
}

TEST(ShowMarksTest, TheShowAnnouncesEachChangeButNotInsideABulkUpdate) {
    ShowDocument doc;
    QSignalSpy changed(&doc, &ShowDocument::MarksChanged);
    EXPECT_EQ(doc.AddMark(400, "x"), 0);
    EXPECT_EQ(doc.AddMark(100, "y"), 0);
    EXPECT_EQ(doc.MoveMark(0, 900), 1);
    doc.RenameMark(1, "z");
    doc.MoveMark(7, 5);     // out of range: nothing
    doc.RenameMark(-1, ""); // out of range: nothing
    EXPECT_EQ(changed.count(), 4);
    EXPECT_EQ(Names(doc.Marks()), (QStringList{"x", "z"}));

    doc.SetMarks(doc.Marks()); // the same marks: nothing
    EXPECT_EQ(changed.count(), 4);
    {
        TBulkUpdate bulk(doc);
        doc.RemoveMark(0);
        doc.SetMarks(TShowMarks());
    }
    EXPECT_EQ(changed.count(), 4);
    EXPECT_TRUE(doc.Marks().empty());
}
