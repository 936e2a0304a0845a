// Project file writing and reading: the exact layout, every version, relocation of a missing
// song, and refusal of damaged or unrepresentable files.
#include "persistence/ProjectFile.h"
#include "audio/decode/MeasuredSongLoader.h"
#include "model/TrackRules.h"
#include "persistence/ProjectWriter.h"
#include "support/ScriptedUserInterface.h"
#include "support/TestFiles.h"
#include "support/TestSongs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace lumivox;
using lumivox::test::FixedSongLoader;
using lumivox::test::FixturePath;
using lumivox::test::ReadAll;
using lumivox::test::ScriptedUserInterface;
using lumivox::test::WriteAll;
using Kind = ScriptedUserInterface::Event;

namespace {

QByteArray CrLf(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines)
        out += line.toUtf8() + "\r\n";
    return out;
}

// Records what a reading announces: the bulk update it runs in, and what the show holds
// when its Reset tells the views.
class RecordingHost {
public:
    int Begins = 0;
    int Ends = 0;
    int Added = 0;
    QString Name;
    explicit RecordingHost(ShowDocument& doc) {
        QObject::connect(&doc, &ShowDocument::BulkUpdateStarted, &Context, [this] { ++Begins; });
        QObject::connect(&doc, &ShowDocument::Reset, &Context, [this, &doc] {
            ++Ends;
            Added = doc.TrackCount();
            Name = doc.Project().Name;
        });
    }

private:
    QObject Context;
};

class ProjectFileTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Song;

    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        Song = Dir.filePath(QStringLiteral("song.mp3"));
        ASSERT_TRUE(QFile::copy(FixturePath("song_350ms.mp3"), Song));
    }

    QString Path(const char* name) const { return Dir.filePath(QLatin1String(name)); }

    // Header lines of a project file of `version` with `tracks` tracks following.
    QStringList Header(const QString& version, int tracks, const QString& song,
                       const QString& resolution = QStringLiteral("1")) const {
        return {QStringLiteral("Lumivox Project File of Vostrel"),
                QStringLiteral("File version : "),
                version,
                QStringLiteral("*****"),
                QStringLiteral("Show"),
                song,
                resolution,
                QStringLiteral("Subj"),
                QStringLiteral("Auth"),
                QStringLiteral("Copy"),
                QStringLiteral("Cust"),
                QStringLiteral("2001-02-03"),
                QStringLiteral("keep me"),
                QStringLiteral("0"),
                QStringLiteral("*****"),
                QString::number(tracks),
                QStringLiteral("*****")};
    }
};

TEST_F(ProjectFileTest, WritesTheDocumentedExampleByteForByte) {
    ShowDocument doc;
    ScriptedUserInterface ui;
    Language lang = Language::English;
    MeasuredSongLoader songs(doc, ui, lang);
    ASSERT_TRUE(songs.LoadSong(Song));
    ASSERT_EQ(doc.SlotCount, 4); // 350 ms of song

    doc.SetProjectName(QStringLiteral("Demo"));
    doc.SetSongFile(Song);
    doc.SetResolution(1);
    doc.SetTexts({});
    ASSERT_NE(doc.AddTrack(lang), nullptr);
    doc.SetType(1, TrackTypeOnOff);
    ASSERT_TRUE(doc.SetSlot(1, 1, 255));
    ASSERT_TRUE(doc.SetSlot(1, 2, 255));

    ProjectFile file(doc, ui, songs);
    ASSERT_TRUE(file.WriteProject(Path("demo.PRJ")));

    const QByteArray expected = CrLf({"Lumivox Project File of Vostrel",
                                      "File version : ",
                                      "1.0.3",
                                      "*****",
                                      "Demo",
                                      Song,
                                      "1",
                                      "",
                                      "",
                                      "",
                                      "",
                                      "",
                                      "",
                                      "0",
                                      "*****",
                                      "1",
                                      "*****",
                                      "Track 1",
                                      "1",
                                      "1",
                                      "No",
                                      "No",
                                      "No",
                                      "65408",
                                      "14281189",
                                      "65408",
                                      "14281189",
                                      "0",
                                      "1",
                                      "1",
                                      "No",
                                      "Yes",
                                      "255",
                                      "255",
                                      "0",
                                      "0",
                                      "*****"});
    EXPECT_EQ(ReadAll(Path("demo.PRJ")), expected);
    EXPECT_EQ(expected.count("\r\n"), 37);
    EXPECT_EQ(ui.ProgressTexts, QStringList{"Saving tracks..."});
    EXPECT_EQ(ui.Gauges, (std::vector<int>{0, 100}));
    EXPECT_FALSE(ui.ProgressVisible);
}

TEST_F(ProjectFileTest, RoundTripKeepsEveryStoredField) {
    ShowDocument doc;
    ScriptedUserInterface ui;
    FixedSongLoader songs(doc, 101);
    ASSERT_TRUE(songs.LoadSong(Song));
    TBulkUpdate bulk(doc);
    TProjectType& p = bulk.Project();
    p.Name = QStringLiteral("Fête de l'été – 2026");
    p.Mp3FileName = Song;
    p.Resolution = 2;
    p.Subject = QStringLiteral("Feuerwerk");
    p.Author = QStringLiteral("Zoë");
    p.Copyright = QStringLiteral("(c)");
    p.Customer = QStringLiteral("Ville");
    p.CreationDate = QStringLiteral("08/12/2026");
    p.Reserved = QStringLiteral("reserved text");
    p.Comments.clear();
    for (int i = 0; i < 300; ++i)
        p.Comments << QStringLiteral("comment %1").arg(i);
    for (int k = 0; k < 3; ++k)
        ASSERT_NE(doc.AddTrack(Language::English), nullptr);
    TFullTrack& a = bulk.Track(1);
    a.Caption = QStringLiteral("Flammes à gauche");
    a.Output = 0;
    a.TrackType = TrackTypeOnOff;
    a.Locked = true;
    a.SetMute(true);
    a.HeaderColor = 0x123456;
    a.CaptionColor = 0xFEDCBA;
    a.LaneColor = 0xFFFFFFFF; // written as -1
    a.LaneBackColor = 0x000001;
    a.MidiMap = TMidiMap{9, 74, 60, 33, true, false};
    for (int j = 1; j < 101; ++j)
        ASSERT_TRUE(a.SetValue(j, static_cast<std::uint8_t>(j * 7)));
    bulk.Track(3).SetSolo(true);
    bulk.Track(3).Output = 200;

    ProjectFile writer(doc, ui, songs);
    ASSERT_TRUE(writer.WriteProject(Path("round.PRJ")));

    ShowDocument back;
    FixedSongLoader songs2(back, 101);
    RecordingHost host(back);
    ProjectFile reader(back, ui, songs2);
    ASSERT_TRUE(reader.ReadProject(Path("round.PRJ")));
    EXPECT_EQ(reader.VersionRead(), QStringLiteral("1.0.3"));
    EXPECT_FALSE(back.Modified());
    EXPECT_EQ(host.Begins, 1);
    EXPECT_EQ(host.Ends, 1);
    EXPECT_EQ(host.Added, 3);
    EXPECT_EQ(host.Name, p.Name);

    const TProjectType& q = back.Project();
    EXPECT_EQ(q.Name, p.Name);
    EXPECT_EQ(q.Mp3FileName, p.Mp3FileName);
    EXPECT_EQ(q.Resolution, 2);
    EXPECT_EQ(q.Subject, p.Subject);
    EXPECT_EQ(q.Author, p.Author);
    EXPECT_EQ(q.Copyright, p.Copyright);
    EXPECT_EQ(q.Customer, p.Customer);
    EXPECT_EQ(q.CreationDate, p.CreationDate);
    EXPECT_EQ(q.Reserved, p.Reserved);
    EXPECT_EQ(q.Comments, p.Comments);
    ASSERT_EQ(back.TrackCount(), 3);
    for (int k = 1; k <= 3; ++k) {
        const TFullTrack& x = doc.Track(k);
        const TFullTrack& y = back.Track(k);
        EXPECT_EQ(y.Caption, x.Caption);
        EXPECT_EQ(y.Output, x.Output);
        EXPECT_EQ(y.TrackType, x.TrackType);
        EXPECT_EQ(y.Locked, x.Locked);
        EXPECT_EQ(y.Mute, x.Mute);
        EXPECT_EQ(y.Solo, x.Solo);
        EXPECT_EQ(y.HeaderColor, x.HeaderColor);
        EXPECT_EQ(y.CaptionColor, x.CaptionColor);
        EXPECT_EQ(y.LaneColor, x.LaneColor);
        EXPECT_EQ(y.LaneBackColor, x.LaneBackColor);
        EXPECT_EQ(y.MidiMap.Channel, x.MidiMap.Channel);
        EXPECT_EQ(y.MidiMap.Controller, x.MidiMap.Controller);
        EXPECT_EQ(y.MidiMap.Key, x.MidiMap.Key);
        EXPECT_EQ(y.MidiMap.UseVelocity, x.MidiMap.UseVelocity);
        EXPECT_EQ(y.MidiMap.UseKey, x.MidiMap.UseKey);
        EXPECT_EQ(y.MidiMap.ControllerValue, 0); // never stored
        EXPECT_EQ(y.Values, x.Values);
    }
    // The file itself: the colour 0xFFFFFFFF as a signed number, 300 comment lines.
    const QByteArray bytes = ReadAll(Path("round.PRJ"));
    EXPECT_TRUE(bytes.contains("\r\n-1\r\n"));
    EXPECT_TRUE(bytes.contains("\r\n300\r\ncomment 0\r\n"));
}

TEST_F(ProjectFileTest, TextFieldsNeverBreakTheLineStructure) {
    ShowDocument doc;
    ScriptedUserInterface ui;
    FixedSongLoader songs(doc, 4);
    ASSERT_TRUE(songs.LoadSong(Song));
    doc.SetSongFile(Song);
    doc.SetProjectName(QStringLiteral("two\nlines"));
    TProjectTexts texts;
    texts.Comments = QStringList{QStringLiteral("a\r\nb")};
    doc.SetTexts(texts);
    doc.AddTrack(Language::English);
    doc.SetCaption(1, QStringLiteral("x\ny"));
    ProjectFile file(doc, ui, songs);
    ASSERT_TRUE(file.WriteProject(Path("p.PRJ")));

    ShowDocument back;
    FixedSongLoader songs2(back, 4);
    ProjectFile reader(back, ui, songs2);
    ASSERT_TRUE(reader.ReadProject(Path("p.PRJ")));
    EXPECT_EQ(back.Project().Name, QStringLiteral("two lines"));
    EXPECT_EQ(back.Project().Comments, QStringList{QStringLiteral("a  b")});
    EXPECT_EQ(back.Track(1).Caption, QStringLiteral("x y"));
}

// Builds a track block of an older version: after Solo, the colours (1.0.1+) and the MIDI
// map (1.0.2+), then exactly 131,070 value lines.
QStringList OldBlock(int minor, const QString& caption, int output, int firstValue) {
    QStringList block{caption, QString::number(output), "0", "No", "No", "No"};
    if (minor >= 1)
        block << "255"
              << "65280"
              << "16711680"
              << "65535";
    if (minor >= 2)
        block << "3"
              << "7"
              << "42"
              << "Yes"
              << "No";
    block << QString::number(firstValue);
    for (int j = 2; j <= MaxSlotCount; ++j)
        block << (j <= 100 ? QString::number(j % 256) : QStringLiteral("9"));
    block << "*****";
    return block;
}

TEST_F(ProjectFileTest, ReadsEveryOlderVersionAgainstTheSongLength) {
    for (int minor = 0; minor <= 2; ++minor) {
        SCOPED_TRACE(minor);
        QStringList lines = Header(QStringLiteral("1.0.%1").arg(minor), 2, Song);
        lines << OldBlock(minor, "First", 200, 5) << OldBlock(minor, "Second", 3, 6);
        WriteAll(Path("old.PRJ"), CrLf(lines));

        ShowDocument doc;
        ScriptedUserInterface ui;
        FixedSongLoader songs(doc, 101); // a 10 s song
        ProjectFile reader(doc, ui, songs);
        ASSERT_TRUE(reader.ReadProject(Path("old.PRJ")));
        EXPECT_EQ(reader.VersionRead(), QStringLiteral("1.0.%1").arg(minor));
        ASSERT_EQ(doc.TrackCount(), 2);
        EXPECT_EQ(doc.Project().Reserved, QStringLiteral("keep me"));
        const TFullTrack& first = doc.Track(1);
        EXPECT_EQ(first.Output, 200);
        EXPECT_EQ(first.SlotCount(), 101);
        std::uint8_t value = 0;
        ASSERT_TRUE(first.GetValue(1, value));
        EXPECT_EQ(value, 5);
        ASSERT_TRUE(first.GetValue(100, value));
        EXPECT_EQ(value, 100);
        EXPECT_FALSE(first.GetValue(101, value)); // the storage-only byte
        EXPECT_EQ(first.Values.StoredByte(100), 0);

        if (minor == 0) {
            // Colours stay those of the track's position.
            EXPECT_EQ(first.HeaderColor, TrackPalette[0].Strong);
            EXPECT_EQ(doc.Track(2).LaneBackColor, TrackPalette[1].Pale);
        } else {
            EXPECT_EQ(first.HeaderColor, 255u);
            EXPECT_EQ(first.CaptionColor, 65280u);
            EXPECT_EQ(first.LaneColor, 16711680u);
            EXPECT_EQ(first.LaneBackColor, 65535u);
        }
        if (minor < 2) {
            // The MIDI map of a new track, keyed from the automatically chosen output 1.
            EXPECT_EQ(first.MidiMap, (TMidiMap{0, 1, 1, 0, false, true}));
        } else {
            EXPECT_EQ(first.MidiMap.Channel, 3);
            EXPECT_EQ(first.MidiMap.Controller, 7);
            EXPECT_EQ(first.MidiMap.Key, 42);
            EXPECT_TRUE(first.MidiMap.UseVelocity);
            EXPECT_FALSE(first.MidiMap.UseKey);
        }
    }
}

TEST_F(ProjectFileTest, NewTracksOfOldFilesTakeTheKeyOfTheirAutomaticOutput) {
    QStringList lines = Header(QStringLiteral("1.0.1"), 1, Song);
    lines << OldBlock(1, "Only", 200, 0);
    WriteAll(Path("old.PRJ"), CrLf(lines));
    ShowDocument doc;
    ScriptedUserInterface ui;
    FixedSongLoader songs(doc, 4);
    ProjectFile reader(doc, ui, songs);
    ASSERT_TRUE(reader.ReadProject(Path("old.PRJ")));
    EXPECT_EQ(doc.Track(1).Output, 200);
    EXPECT_EQ(doc.Track(1).MidiMap.Key, 1); // from output 1, not from the stored 200
}

TEST_F(ProjectFileTest, VersionLineDecidesAndRefusalsForgetTheFile) {
    struct Case {
        const char* version;
        const char* message;
    };
    const Case cases[] = {
        {"1.0.4", "This project file version 1.0.4 is not compatible with your current version "
                  "of program!"},
        {"2.0.0", "This project file version 2.0.0 is not compatible with your current version "
                  "of program!"},
        {"0.9.9", "Unkown project file version!"},
        {"1.x.3", "Unkown project file version!"},
        {"1.0", "Unkown project file version!"},
        {"", "Unkown project file version!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        QStringList lines = Header(QString::fromLatin1(c.version), 0, Song);
        WriteAll(Path("v.PRJ"), CrLf(lines));
        ShowDocument doc;
        doc.ProjectFileName = Path("v.PRJ");
        doc.SetModified(true);
        ScriptedUserInterface ui;
        FixedSongLoader songs(doc, 4);
        RecordingHost host(doc);
        ProjectFile reader(doc, ui, songs);
        EXPECT_FALSE(reader.ReadProject(Path("v.PRJ")));
        EXPECT_EQ(ui.Texts(Kind::Warning), QStringList{QString::fromUtf8(c.message)});
        EXPECT_TRUE(doc.ProjectFileName.isEmpty());
        EXPECT_FALSE(doc.Modified());
        EXPECT_TRUE(songs.Opened.isEmpty());
        EXPECT_EQ(host.Ends, 1);
    }
    // Lines 1 and 2 may hold anything, of any length.
    const std::pair<QString, QString> firstLines[] = {
        {QStringLiteral("whatever"), QString()},
        {QString(4094, QLatin1Char('x')), QString(5000, QLatin1Char('y'))},
        {QString(20000, QLatin1Char('z')), QStringLiteral("File version : ")},
    };
    for (const auto& [first, second] : firstLines) {
        SCOPED_TRACE(first.size());
        QStringList lines = Header(QStringLiteral("1.0.3"), 0, Song);
        lines[0] = first;
        lines[1] = second;
        WriteAll(Path("v.PRJ"), CrLf(lines));
        ShowDocument doc;
        ScriptedUserInterface ui;
        FixedSongLoader songs(doc, 4);
        RecordingHost host(doc);
        ProjectFile reader(doc, ui, songs);
        EXPECT_TRUE(reader.ReadProject(Path("v.PRJ")));
        EXPECT_EQ(doc.TrackCount(), 0);
        EXPECT_EQ(host.Name, QStringLiteral("Show")); // an empty project still sets the caption
        EXPECT_EQ(songs.Opened, QStringList{Song});
    }
}

QStringList Block103(const QString& caption, const QStringList& flags, const QStringList& values) {
    QStringList block{caption, "7", "1"};
    block << flags;
    block << "1"
          << "2"
          << "3"
          << "4"
          << "0"
          << "1"
          << "7"
          << "No"
          << "Yes";
    block << values;
    block << "*****";
    return block;
}

TEST_F(ProjectFileTest, FlagsAndNumbersFollowTheReadingRules) {
    QStringList lines = Header(QStringLiteral("1.0.3"), 2, Song);
    lines << Block103("both", {"yes", "Yes", "Yes"}, {"300", "-1", "+2", "0"});
    lines << Block103("caps", {"YES", "No", "No"}, {"0", "0", "0", "0"});
    lines[lines.size() - 1 - 4 - 14] = QStringLiteral("257"); // second track's output line
    WriteAll(Path("f.PRJ"), CrLf(lines));
    ShowDocument doc;
    ScriptedUserInterface ui;
    FixedSongLoader songs(doc, 4);
    ProjectFile reader(doc, ui, songs);
    ASSERT_TRUE(reader.ReadProject(Path("f.PRJ")))
        << ui.Texts(Kind::Warning).join('|').toStdString();
    const TFullTrack& both = doc.Track(1);
    EXPECT_FALSE(both.Locked); // "yes" is not "Yes"
    EXPECT_TRUE(both.Solo);    // Mute then Solo: soloed, not muted
    EXPECT_FALSE(both.Mute);
    std::uint8_t v = 0;
    ASSERT_TRUE(both.GetValue(1, v));
    EXPECT_EQ(v, 44); // low byte of 300
    ASSERT_TRUE(both.GetValue(2, v));
    EXPECT_EQ(v, 255);
    ASSERT_TRUE(both.GetValue(3, v));
    EXPECT_EQ(v, 2);
    EXPECT_FALSE(doc.Track(2).Locked);
    EXPECT_EQ(doc.Track(2).Output, 1);
}

TEST_F(ProjectFileTest, MissingSongIsRelocatedFromTheProjectFolder) {
    const QString gone = Path("gone.mp3");
    WriteAll(Path("r.PRJ"), CrLf(Header(QStringLiteral("1.0.3"), 0, gone)));

    { // cancelled
        ShowDocument doc;
        ScriptedUserInterface ui;
        FixedSongLoader songs(doc, 4);
        ProjectFile reader(doc, ui, songs);
        EXPECT_FALSE(reader.ReadProject(Path("r.PRJ")));
        EXPECT_EQ(ui.Texts(Kind::Warning),
                  QStringList{QStringLiteral("MP3 file : \"") + gone +
                              QStringLiteral("\" of your project was remove or does not exist any "
                                             "more! Please select one MP3 file for your project : "
                                             "Show")});
        EXPECT_EQ(ui.LastSongFolder, Dir.path());
        EXPECT_TRUE(songs.Opened.isEmpty());
    }
    { // another song chosen: modified, and saving stores the new path
        ShowDocument doc;
        ScriptedUserInterface ui;
        ui.SongAnswers.push_back(Song);
        FixedSongLoader songs(doc, 4);
        ProjectFile reader(doc, ui, songs);
        ASSERT_TRUE(reader.ReadProject(Path("r.PRJ")));
        EXPECT_TRUE(reader.SongRelocated());
        EXPECT_TRUE(doc.Modified());
        EXPECT_EQ(doc.Project().Mp3FileName, Song);
        ASSERT_TRUE(reader.WriteProject(Path("r2.PRJ")));
        EXPECT_TRUE(ReadAll(Path("r2.PRJ")).contains(("\r\n" + Song + "\r\n").toUtf8()));
    }
    { // the song cannot be opened
        ShowDocument doc;
        ScriptedUserInterface ui;
        ui.SongAnswers.push_back(Song);
        FixedSongLoader songs(doc, 4);
        songs.Fail = true;
        ProjectFile reader(doc, ui, songs);
        // It is offered for replacing, as a missing one is; cancelled, nothing is read.
        EXPECT_FALSE(reader.ReadProject(Path("r.PRJ")));
        EXPECT_EQ(ui.Texts(Kind::Warning).last(),
                  QStringLiteral("The song \"%1\" of your project cannot be used. Please select "
                                 "another song for your project: Show")
                      .arg(QDir::toNativeSeparators(Song)));
        EXPECT_EQ(ui.Texts(Kind::ChooseSong).size(), 2);
    }
}

TEST_F(ProjectFileTest, RefusesWhatTheModelCannotHoldNamingFileAndLine) {
    struct Case {
        const char* name;
        std::function<void(QStringList&)> damage;
        const char* reason;
        int line;
    };
    const QStringList good = [&] {
        QStringList lines = Header(QStringLiteral("1.0.3"), 1, Song);
        lines << Block103("t", {"No", "No", "No"}, {"1", "2", "3", "0"});
        return lines;
    }();
    const Case cases[] = {
        {"resolution", [](QStringList& l) { l[6] = "4"; }, "the resolution 4 is not 1, 2 or 3.", 7},
        {"track count", [](QStringList& l) { l[15] = "256"; },
         "256 tracks are more than the 255 a project can hold.", 16},
        {"negative count", [](QStringList& l) { l[15] = "-1"; },
         "-1 tracks are more than the 255 a project can hold.", 16},
        {"word for number", [](QStringList& l) { l[19] = "seven"; }, "a whole number was expected.",
         20},
        {"empty value", [](QStringList& l) { l[34] = ""; }, "a whole number was expected.", 35},
        {"huge number", [](QStringList& l) { l[34] = "99999999999"; },
         "a whole number was expected.", 35},
        {"junk among values", [](QStringList& l) { l.insert(35, "oops"); },
         "a whole number was expected.", 36},
        {"ends early", [](QStringList& l) { l = l.mid(0, 30); }, "the file ends early.", 31},
        {"comment count", [](QStringList& l) { l[13] = "-3"; },
         "the comment count -3 is not valid.", 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList lines = good;
        c.damage(lines);
        WriteAll(Path("bad.PRJ"), CrLf(lines));
        ShowDocument doc;
        ScriptedUserInterface ui;
        FixedSongLoader songs(doc, 4);
        RecordingHost host(doc);
        ProjectFile reader(doc, ui, songs);
        EXPECT_FALSE(reader.ReadProject(Path("bad.PRJ")));
        const QString expected = QStringLiteral("The project file %1 cannot be read (line %2): %3")
                                     .arg(QDir::toNativeSeparators(Path("bad.PRJ")))
                                     .arg(c.line)
                                     .arg(QString::fromUtf8(c.reason));
        EXPECT_EQ(ui.Texts(Kind::Warning), QStringList{expected});
        EXPECT_FALSE(ui.ProgressVisible);
        EXPECT_EQ(host.Ends, 1);
    }
}

TEST_F(ProjectFileTest, AFailureWhileCreatingTracksStillClosesTheProgressWindow) {
    QStringList lines = Header(QStringLiteral("1.0.3"), 2, Song);
    lines << Block103("a", {"No", "No", "No"}, {"1", "2", "3", "0"});
    lines << Block103("b", {"No", "No", "No"}, {"1", "2", "3", "0"});
    WriteAll(Path("two.PRJ"), CrLf(lines));
    ShowDocument doc;
    // The progress after the first track fails: the error leaves the reader half-way.
    struct FailingGauge : ScriptedUserInterface {
        void ProgressSetGauge(int percent) override {
            if (ProgressVisible && percent > 0)
                throw std::runtime_error("no gauge");
            ScriptedUserInterface::ProgressSetGauge(percent);
        }
    } ui;
    FixedSongLoader songs(doc, 4);
    ProjectFile reader(doc, ui, songs);
    EXPECT_THROW(reader.ReadProject(Path("two.PRJ")), std::runtime_error);
    EXPECT_EQ(ui.ProgressShows, 1);
    EXPECT_FALSE(ui.ProgressVisible);
}

TEST_F(ProjectFileTest, TracksOfAnotherLengthAreFittedToTheSongWithAWarning) {
    // The song has 4 slots (3 values and the storage-only one); the blocks were written for
    // a song that decoded one slot or a thousand slots longer or shorter.
    for (const int delta : {-1, +1, -3, +1000}) {
        SCOPED_TRACE(delta);
        const int found = 4 + delta;
        QStringList values;
        for (int j = 1; j <= found; ++j)
            values << QString::number(j * 10 % 256);
        QStringList lines = Header(QStringLiteral("1.0.3"), 2, Song);
        lines << Block103("a", {"No", "No", "No"}, values);
        lines << Block103("b", {"No", "No", "No"}, values);
        WriteAll(Path("fit.PRJ"), CrLf(lines));
        ShowDocument doc;
        doc.SetProjectName(QStringLiteral("untitled"));
        ScriptedUserInterface ui;
        FixedSongLoader songs(doc, 4);
        ProjectFile reader(doc, ui, songs);
        ASSERT_TRUE(reader.ReadProject(Path("fit.PRJ")));
        EXPECT_TRUE(reader.TracksFitted());
        EXPECT_TRUE(doc.Modified()); // the fitted show differs from the file
        ASSERT_EQ(doc.TrackCount(), 2);
        for (int k = 1; k <= 2; ++k) {
            const TFullTrack& track = doc.Track(k);
            EXPECT_EQ(track.SlotCount(), 4);
            for (int j = 1; j <= 3; ++j) {
                std::uint8_t value = 0;
                ASSERT_TRUE(track.GetValue(j, value));
                EXPECT_EQ(value, j <= found ? j * 10 % 256 : 0) << "slot " << j;
            }
        }
        EXPECT_EQ(ui.Texts(Kind::Warning),
                  QStringList{Text(TextTable::Extra, ExtraText::ValueCountFitted, Language::English)
                                  .arg(QDir::toNativeSeparators(Path("fit.PRJ")))
                                  .arg(found)
                                  .arg(4)});
    }
    // A file whose counts match opens unmodified and without a word.
    QStringList lines = Header(QStringLiteral("1.0.3"), 1, Song);
    lines << Block103("a", {"No", "No", "No"}, {"1", "2", "3", "0"});
    WriteAll(Path("fit.PRJ"), CrLf(lines));
    ShowDocument doc;
    ScriptedUserInterface ui;
    FixedSongLoader songs(doc, 4);
    ProjectFile reader(doc, ui, songs);
    ASSERT_TRUE(reader.ReadProject(Path("fit.PRJ")));
    EXPECT_FALSE(reader.TracksFitted());
    EXPECT_FALSE(doc.Modified());
    EXPECT_TRUE(ui.Events.empty());
}

TEST_F(ProjectFileTest, EveryTruncationIsRefusedOrReadNeverOverrun) {
    // Cutting a valid file at any byte must give a refusal, or a reading of the whole track
    // blocks before the cut that says the count differs; in the version
    // read strictly and in the one whose value lines are read up to their separator.
    QStringList old = Header(QStringLiteral("1.0.2"), 1, Song);
    old << OldBlock(2, "t", 9, 1).mid(0, 30);
    QStringList current = Header(QStringLiteral("1.0.3"), 2, Song);
    current << Block103("a", {"No", "No", "No"}, {"1", "2", "3", "0"});
    current << Block103("b", {"No", "No", "No"}, {"4", "5", "6", "0"});
    for (const QByteArray& whole : {CrLf(old), CrLf(current)}) {
        for (qsizetype cut = 0; cut < whole.size() - 2; cut += 3) {
            WriteAll(Path("cut.PRJ"), whole.left(cut));
            ShowDocument doc;
            ScriptedUserInterface ui;
            FixedSongLoader songs(doc, 4);
            ProjectFile reader(doc, ui, songs);
            const bool read = reader.ReadProject(Path("cut.PRJ"));
            EXPECT_EQ(ui.Texts(Kind::Warning).size() + ui.Texts(Kind::ReportError).size(), 1);
            if (!read)
                continue;
            // Read only when cut on a separator line (after a block, or the count's own): the
            // whole blocks, with the count said.
            const QByteArray kept = whole.left(cut).trimmed();
            const QByteArray lastLine = kept.mid(kept.lastIndexOf('\n') + 1);
            EXPECT_TRUE(!lastLine.isEmpty() && lastLine.count('*') == lastLine.size()) << cut;
            EXPECT_EQ(doc.TrackCount(), std::max(static_cast<int>(kept.count("\r\n*****")) - 3, 0))
                << cut;
            EXPECT_TRUE(reader.TrackCountDiffered()) << cut;
            EXPECT_TRUE(ui.Texts(Kind::Warning)[0].contains(
                QStringLiteral("but %1 were found").arg(doc.TrackCount())))
                << cut;
        }
    }
}

TEST_F(ProjectFileTest, ATrackCountOtherThanTheBlocksIsSaidAndEveryWholeBlockIsRead) {
    const QStringList first = Block103("one", {"No", "No", "No"}, {"1", "2", "3", "0"});
    const QStringList second = Block103("two", {"No", "No", "No"}, {"4", "5", "6", "0"});
    struct Case {
        const char* Name;
        int Written;
        QStringList Tail; // after the blocks
        int Read;         // tracks read; -1: refused
    };
    const Case cases[] = {
        {"count too low", 1, {}, 2},
        {"count too high", 3, {}, 2},
        {"count too high, blank lines after", 3, {"", ""}, 2},
        {"count right, junk after", 2, {"junk"}, 2},
        {"count too high, a block cut short", 3, {"three", "7"}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        QStringList lines = Header(QStringLiteral("1.0.3"), c.Written, Song);
        lines << first << second << c.Tail;
        WriteAll(Path("count.PRJ"), CrLf(lines));
        ShowDocument doc;
        ScriptedUserInterface ui;
        FixedSongLoader songs(doc, 4);
        ProjectFile reader(doc, ui, songs);
        const bool read = reader.ReadProject(Path("count.PRJ"));
        ASSERT_EQ(read, c.Read >= 0);
        if (!read) {
            EXPECT_TRUE(ui.Texts(Kind::Warning).last().endsWith("the file ends early."));
            continue;
        }
        ASSERT_EQ(doc.TrackCount(), c.Read);
        std::uint8_t value = 0;
        ASSERT_TRUE(doc.Track(2).GetValue(3, value));
        EXPECT_EQ(value, 6);
        const bool differs = c.Written != c.Read;
        EXPECT_EQ(reader.TrackCountDiffered(), differs);
        EXPECT_EQ(doc.Modified(), differs); // a save writes the count that matches
        if (differs)
            EXPECT_EQ(ui.Texts(Kind::Warning),
                      QStringList{QStringLiteral("The project file %1 says it holds %2 tracks, "
                                                 "but %3 were found in it: all %3 were read. "
                                                 "Check the show before saving it.")
                                      .arg(QDir::toNativeSeparators(Path("count.PRJ")))
                                      .arg(c.Written)
                                      .arg(c.Read)});
        else
            EXPECT_TRUE(ui.Events.empty());
    }
}

// A show big enough for its value blocks to be parsed on several threads reads back as it
// was written; damage deep in it is refused at its exact line with the tracks before it
// kept, as a file read line by line is; another song length fits every track.
TEST_F(ProjectFileTest, ABigShowReadsBackWholeAndItsDamageIsFoundAtItsLine) {
    constexpr int Tracks = 40;
    constexpr int Slots = 36001;
    ShowDocument written;
    ScriptedUserInterface ui;
    FixedSongLoader songs(written, Slots);
    ASSERT_TRUE(songs.LoadSong(Song));
    written.SetSongFile(Song);
    {
        TBulkUpdate filling(written);
        for (int t = 1; t <= Tracks; ++t) {
            written.AddTrack(Language::English);
            TFullTrack& track = filling.Track(t);
            track.Caption = QStringLiteral("Track %1").arg(t);
            track.Output = static_cast<std::uint8_t>(t);
            for (int slot = 1; slot < Slots; ++slot)
                track.SetValue(slot, static_cast<std::uint8_t>((slot * (t + 3) / 7) % 256));
        }
    }
    ProjectFile writer(written, ui, songs);
    ASSERT_TRUE(writer.WriteProject(Path("big.PRJ")));

    ShowDocument back;
    ScriptedUserInterface ui2;
    FixedSongLoader songs2(back, Slots);
    ProjectFile reader(back, ui2, songs2);
    ASSERT_TRUE(reader.ReadProject(Path("big.PRJ")));
    EXPECT_TRUE(ui2.Texts(Kind::Warning).isEmpty());
    EXPECT_FALSE(reader.TracksFitted());
    ASSERT_EQ(back.TrackCount(), Tracks);
    for (int t = 1; t <= Tracks; ++t) {
        EXPECT_EQ(back.Track(t).Caption, written.Track(t).Caption);
        EXPECT_EQ(back.Track(t).Output, t);
        EXPECT_TRUE(back.Track(t).Values == written.Track(t).Values) << "track " << t;
    }

    // One value line of track 30 damaged: its line number is counted here from the bytes.
    QByteArray bytes = ReadAll(Path("big.PRJ"));
    const QByteArray caption = "\r\nTrack 30\r\n";
    qsizetype at = bytes.indexOf(caption);
    ASSERT_GE(at, 0);
    at += caption.size();
    for (int skip = 0; skip < 14 + 999; ++skip) // the 14 header lines after the caption
        at = bytes.indexOf('\n', at) + 1;
    bytes.insert(at, "x");
    WriteAll(Path("damaged.PRJ"), bytes);
    const int line = static_cast<int>(bytes.left(at).count('\n')) + 1;
    ShowDocument damaged;
    ScriptedUserInterface ui3;
    FixedSongLoader songs3(damaged, Slots);
    ProjectFile damagedReader(damaged, ui3, songs3);
    EXPECT_FALSE(damagedReader.ReadProject(Path("damaged.PRJ")));
    EXPECT_EQ(ui3.Texts(Kind::Warning),
              QStringList{QStringLiteral("The project file %1 cannot be read (line %2): %3")
                              .arg(QDir::toNativeSeparators(Path("damaged.PRJ")))
                              .arg(line)
                              .arg(QStringLiteral("a whole number was expected."))});
    ASSERT_EQ(damaged.TrackCount(), 30);
    for (int t = 1; t < 30; ++t)
        EXPECT_TRUE(damaged.Track(t).Values == written.Track(t).Values) << "track " << t;

    // Read against a song ten slots shorter, every track is fitted to it.
    ShowDocument shorter;
    ScriptedUserInterface ui4;
    FixedSongLoader songs4(shorter, Slots - 10);
    ProjectFile shorterReader(shorter, ui4, songs4);
    ASSERT_TRUE(shorterReader.ReadProject(Path("big.PRJ")));
    EXPECT_TRUE(shorterReader.TracksFitted());
    EXPECT_EQ(ui4.Texts(Kind::Warning),
              QStringList{Text(TextTable::Extra, ExtraText::ValueCountFitted, Language::English)
                              .arg(QDir::toNativeSeparators(Path("big.PRJ")))
                              .arg(Slots)
                              .arg(Slots - 10)});
    ASSERT_EQ(shorter.TrackCount(), Tracks);
    for (int t = 1; t <= Tracks; ++t) {
        std::vector<std::uint8_t> expected(Slots - 11);
        std::vector<std::uint8_t> got(Slots - 11);
        written.Track(t).Values.CopyOut(0, Slots - 11, expected.data());
        shorter.Track(t).Values.CopyOut(0, Slots - 11, got.data());
        EXPECT_EQ(got, expected) << "track " << t;
        EXPECT_EQ(shorter.Track(t).SlotCount(), Slots - 10);
    }
}

TEST_F(ProjectFileTest, ReadsWindows1252AndBareLineFeeds) {
    QByteArray bytes = CrLf(Header(QStringLiteral("1.0.3"), 1, Song));
    bytes.replace("Show", "F\xeate \x80");
    bytes += "Pi\xe8"
             "ce\r\n7\r\n0\r\nNo\r\nNo\r\nNo\r\n1\r\n2\r\n3\r\n4\r\n0\r\n1\r\n7\r\nNo\r\n"
             "Yes\r\n1\r\n2\r\n3\r\n0\r\n*****\r\n";
    bytes.replace("\r\n", "\n");
    WriteAll(Path("w.PRJ"), bytes);
    ShowDocument doc;
    ScriptedUserInterface ui;
    FixedSongLoader songs(doc, 4);
    ProjectFile reader(doc, ui, songs);
    ASSERT_TRUE(reader.ReadProject(Path("w.PRJ")))
        << ui.Texts(Kind::Warning).join('|').toStdString();
    EXPECT_EQ(doc.Project().Name, QString::fromUtf8("Fête €"));
    EXPECT_EQ(doc.Track(1).Caption, QString::fromUtf8("Pièce"));
    std::uint8_t v = 0;
    ASSERT_TRUE(doc.Track(1).GetValue(3, v));
    EXPECT_EQ(v, 3);
}

TEST_F(ProjectFileTest, WritingReportsFailureAndKeepsTheOldFile) {
    ShowDocument doc;
    ScriptedUserInterface ui;
    FixedSongLoader songs(doc, 4);
    ASSERT_TRUE(songs.LoadSong(Song));
    doc.SetSongFile(Song);
    ProjectFile file(doc, ui, songs);

    EXPECT_FALSE(file.WriteProject(Path("no/such/folder/p.PRJ")));
    ASSERT_EQ(ui.Texts(Kind::ReportError).size(), 1);
    EXPECT_TRUE(ui.Texts(Kind::ReportError)[0].startsWith(
        QStringLiteral("The project was not saved to %1: the folder does not exist.")
            .arg(QDir::toNativeSeparators(Path("no/such/folder/p.PRJ")))))
        << ui.Texts(Kind::ReportError)[0].toStdString();

    // A target that cannot be replaced (a folder) leaves it as it was.
    QDir(Dir.path()).mkdir(QStringLiteral("taken.PRJ"));
    EXPECT_FALSE(file.WriteProject(Path("taken.PRJ")));
    EXPECT_TRUE(QFileInfo(Path("taken.PRJ")).isDir());
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("song.mp3")}); // no temporary file left behind
}

TEST_F(ProjectFileTest, SavingOverAProjectKeepsThePreviousOneAsItsBackup) {
    ShowDocument doc;
    ScriptedUserInterface ui;
    FixedSongLoader songs(doc, 4);
    ASSERT_TRUE(songs.LoadSong(Song));
    doc.SetSongFile(Song);
    doc.SetProjectName(QStringLiteral("First"));
    ProjectFile file(doc, ui, songs);
    const QString path = Path("b.PRJ");
    ASSERT_TRUE(file.WriteProject(path));
    EXPECT_FALSE(QFile::exists(BackupPathOf(path))); // nothing was there to keep
    const QByteArray first = ReadAll(path);

    doc.SetProjectName(QStringLiteral("Second"));
    ASSERT_TRUE(file.WriteProject(path));
    EXPECT_EQ(ReadAll(BackupPathOf(path)), first);
    const QByteArray second = ReadAll(path);
    EXPECT_NE(second, first);

    // One generation: the next save replaces the backup with the second version.
    doc.SetProjectName(QStringLiteral("Third"));
    ASSERT_TRUE(file.WriteProject(path));
    EXPECT_EQ(ReadAll(BackupPathOf(path)), second);
    // The backup is an ordinary project file that opens.
    ShowDocument back;
    FixedSongLoader songs2(back, 4);
    ProjectFile reader(back, ui, songs2);
    ASSERT_TRUE(reader.ReadProject(BackupPathOf(path)));
    EXPECT_EQ(back.Project().Name, QStringLiteral("Second"));
    EXPECT_TRUE(ui.Events.empty());
}

TEST_F(ProjectFileTest, ProgressCountsTracksWhileSavingAndReading) {
    ShowDocument doc;
    ScriptedUserInterface ui;
    FixedSongLoader songs(doc, 4);
    ASSERT_TRUE(songs.LoadSong(Song));
    doc.SetSongFile(Song);
    for (int k = 0; k < 4; ++k)
        doc.AddTrack(Language::English);
    Language language = Language::French;
    ProjectFile file(doc, ui, songs, language);
    ASSERT_TRUE(file.WriteProject(Path("g.PRJ")));
    EXPECT_EQ(ui.ProgressTexts, QStringList{QStringLiteral("Sauvegarde des pistes...")});
    EXPECT_EQ(ui.Gauges, (std::vector<int>{0, 25, 50, 75, 100}));

    ShowDocument back;
    ScriptedUserInterface ui2;
    FixedSongLoader songs2(back, 4);
    ProjectFile reader(back, ui2, songs2);
    ASSERT_TRUE(reader.ReadProject(Path("g.PRJ")));
    EXPECT_EQ(ui2.ProgressTexts, QStringList{QStringLiteral("Creating tracks...")});
    EXPECT_EQ(ui2.Gauges, (std::vector<int>{0, 25, 50, 75, 100}));
    EXPECT_FALSE(ui2.ProgressVisible);
}

} // namespace
