// The marks file beside a project: its text, the round trip through saving and opening, the
// refusal of a damaged file while the project still opens, and the marks of a recovery copy.
#include "persistence/MarksFile.h"
#include "persistence/Autosave.h"
#include "persistence/ProjectFile.h"
#include "support/CoreApp.h"
#include "support/ScriptedUserInterface.h"
#include "support/TestFiles.h"
#include "support/TestSongs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace lumivox;
using namespace lumivox::test;
using Kind = ScriptedUserInterface::Event;

namespace {

class MarksFileTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Song;
    ShowDocument Doc;
    ScriptedUserInterface Ui;
    FixedSongLoader Songs{Doc, 101};
    ProjectFile File{Doc, Ui, Songs};

    void SetUp() override {
        CoreApp();
        Song = Dir.filePath(QStringLiteral("song.mp3"));
        ASSERT_TRUE(QFile::copy(FixturePath("song_350ms.mp3"), Song));
        ASSERT_TRUE(Songs.LoadSong(Song));
        Doc.SetProjectName(QStringLiteral("Gala"));
        Doc.SetSongFile(Song);
        Doc.AddTrack(Language::English);
    }
    QString Path(const char* name) const { return Dir.filePath(QLatin1String(name)); }

    // Opens `project` in a fresh show; the warnings it gave are in `ui`.
    bool Open(const QString& project, ShowDocument& into, ScriptedUserInterface& ui) {
        FixedSongLoader songs(into, 101);
        ProjectFile file(into, ui, songs);
        return file.ReadProject(project);
    }
};

} // namespace

TEST_F(MarksFileTest, TheTextHoldsOneMarkALineAndParsesBack) {
    const TShowMarks marks({{2500, QStringLiteral("Drop")},
                            {0, QString()},
                            {2500, QStringLiteral("Été – 2")},
                            {120, QStringLiteral("a b  c")}});
    const QByteArray text = FormatMarks(marks);
    EXPECT_EQ(text, QByteArray("0 \n120 a b  c\n2500 Drop\n2500 ") +
                        QStringLiteral("Été – 2").toUtf8() + '\n');
    const TMarksReading back = ParseMarks(text);
    ASSERT_TRUE(back.Ok());
    EXPECT_EQ(back.Marks, marks);

    // Written by hand: CR LF, a time alone, blank lines and marks out of order are all taken.
    const TMarksReading loose = ParseMarks("300 b\r\n\r\n100\r\n  \n200 a\n");
    ASSERT_TRUE(loose.Ok());
    EXPECT_EQ(
        loose.Marks,
        TShowMarks({{100, QString()}, {200, QStringLiteral("a")}, {300, QStringLiteral("b")}}));
}

TEST_F(MarksFileTest, DamageIsFoundAtItsLineAndNoMarkIsKept) {
    struct Case {
        const char* Text;
        TMarksReading::Fault Fault;
        int Line;
    };
    const Case cases[] = {
        {"100 a\nabc def\n", TMarksReading::Fault::NotATime, 2},
        {"100 a\n200 b\n-5 c\n", TMarksReading::Fault::Negative, 3},
        {"12x3 a\n", TMarksReading::Fault::NotATime, 1},
        {"+12 a\n", TMarksReading::Fault::NotATime, 1},
        {" 12 a\n", TMarksReading::Fault::NotATime, 1},
        {"1\n\n99999999999 big\n", TMarksReading::Fault::NotATime, 3},
        {"1\n\x01\x02garbage\xff\n", TMarksReading::Fault::NotATime, 2},
    };
    for (const Case& c : cases) {
        const TMarksReading reading = ParseMarks(QByteArray(c.Text));
        EXPECT_EQ(reading.Problem, c.Fault) << c.Text;
        EXPECT_EQ(reading.Line, c.Line) << c.Text;
        EXPECT_TRUE(reading.Marks.empty()) << c.Text;
    }
}

TEST_F(MarksFileTest, SavingWritesTheMarksBesideTheProjectAndOpeningReadsThem) {
    const QString project = Path("Gala.PRJ");
    const QString marksPath = MarksPathOf(project);
    EXPECT_EQ(marksPath, project + QStringLiteral(".marks"));
    Doc.AddMark(1500, QStringLiteral("Intro"));
    Doc.AddMark(300, QString());
    ASSERT_TRUE(File.WriteProject(project));
    EXPECT_EQ(ReadAll(marksPath), QByteArray("300 \n1500 Intro\n"));
    const QByteArray projectBytes = ReadAll(project);
    EXPECT_FALSE(projectBytes.contains("Intro")); // the project file's format is unchanged

    ShowDocument back;
    ScriptedUserInterface ui;
    ASSERT_TRUE(Open(project, back, ui));
    EXPECT_EQ(back.Marks(), Doc.Marks());
    EXPECT_TRUE(ui.Events.empty());

    // Saved under another name: the marks go beside the new name, the old file stays.
    ASSERT_TRUE(File.WriteProject(Path("Other.PRJ")));
    EXPECT_EQ(ReadAll(MarksPathOf(Path("Other.PRJ"))), ReadAll(marksPath));

    // Saved without marks: the stale file goes, and opening finds no marks.
    Doc.SetMarks({});
    ASSERT_TRUE(File.WriteProject(project));
    EXPECT_FALSE(QFile::exists(marksPath));
    ShowDocument empty;
    empty.AddMark(5, QStringLiteral("left from before"));
    ASSERT_TRUE(Open(project, empty, ui));
    EXPECT_TRUE(empty.Marks().empty());
    EXPECT_TRUE(ui.Events.empty());
}

TEST_F(MarksFileTest, ADamagedMarksFileIsRefusedWithAMessageAndTheProjectStillOpens) {
    const QString project = Path("Gala.PRJ");
    Doc.AddMark(100, QStringLiteral("kept?"));
    ASSERT_TRUE(File.WriteProject(project));
    WriteAll(MarksPathOf(project), "100 a\n200 b\n-40 c\n");

    for (const Language language :
         {Language::French, Language::English, Language::Spanish, Language::German}) {
        ShowDocument back;
        ScriptedUserInterface ui;
        FixedSongLoader songs(back, 101);
        ProjectFile file(back, ui, songs, language);
        ASSERT_TRUE(file.ReadProject(project));
        EXPECT_EQ(back.TrackCount(), 1);
        EXPECT_TRUE(back.Marks().empty());
        EXPECT_FALSE(back.Modified());
        ASSERT_EQ(ui.Events.size(), 1u);
        EXPECT_EQ(ui.Events[0].kind, Kind::Warning);
        EXPECT_EQ(ui.Events[0].text,
                  Text(TextTable::FileText, FileText::MarksKept, language)
                      .arg(QDir::toNativeSeparators(MarksPathOf(project)))
                      .arg(3)
                      .arg(Text(TextTable::MarksText, MarksText::NegativeTime, language),
                           QDir::toNativeSeparators(MarksPathOf(project) + ".bak")));
    }

    // A marks file that is no file at all cannot be read: refused the same way.
    QFile::remove(MarksPathOf(project));
    ASSERT_TRUE(QDir(Dir.path()).mkdir(QStringLiteral("Gala.PRJ.marks")));
    ShowDocument back;
    ScriptedUserInterface ui;
    ASSERT_TRUE(Open(project, back, ui));
    EXPECT_TRUE(back.Marks().empty());
    ASSERT_EQ(ui.Events.size(), 1u);
    EXPECT_TRUE(ui.Events[0].text.contains(QStringLiteral("Gala.PRJ.marks")));
}

TEST_F(MarksFileTest, EachNameIsDecodedOnItsOwnSoOneBadByteSpoilsOneName) {
    // A stray Windows-1252 byte in one name: that name shows a replacement character, the
    // others keep their accents, and saving writes every name back as UTF-8.
    const TMarksReading reading = ParseMarks(QByteArray("100 Entr\xc3\xa9\n200 Pi\xe8"
                                                        "ce\n300 Fin\xc3\xa9\n"));
    ASSERT_TRUE(reading.Ok());
    ASSERT_EQ(reading.Marks.size(), 3);
    EXPECT_EQ(reading.Marks[0].Name, QString::fromUtf8("Entré"));
    EXPECT_EQ(reading.Marks[1].Name, QStringLiteral("Pi") + QChar(0xFFFD) + QStringLiteral("ce"));
    EXPECT_EQ(reading.Marks[2].Name, QString::fromUtf8("Finé"));
    EXPECT_EQ(FormatMarks(reading.Marks), QByteArray("100 Entr\xc3\xa9\n200 Pi\xef\xbf\xbd"
                                                     "ce\n300 Fin\xc3\xa9\n"));
}

TEST_F(MarksFileTest, MarksPastTheEndOfTheSongAreKeptAndSaid) {
    const QString project = Path("Gala.PRJ");
    ASSERT_TRUE(File.WriteProject(project));
    // The song (101 slots: up to 10,099 ms) is shorter than the one the marks were made on.
    WriteAll(MarksPathOf(project), "500 a\n10099 b\n10100 c\n60000 d\n");
    ShowDocument back;
    ScriptedUserInterface ui;
    ASSERT_TRUE(Open(project, back, ui));
    EXPECT_EQ(back.Marks().size(), 4);
    EXPECT_EQ(ui.Texts(Kind::Warning),
              QStringList{Text(TextTable::FileText, FileText::MarksPastEnd, Language::English)
                              .arg(2)
                              .arg(QStringLiteral("00:00:10,099"))});
}

TEST_F(MarksFileTest, AFailedMarksWriteIsReportedAndTheSaveCountsAsFailed) {
    const QString project = Path("Gala.PRJ");
    Doc.AddMark(100, QStringLiteral("x"));
    // A folder in the way of the marks file.
    ASSERT_TRUE(QDir(Dir.path()).mkdir(QStringLiteral("Gala.PRJ.marks")));
    EXPECT_FALSE(File.WriteProject(project));
    ASSERT_FALSE(Ui.Events.empty());
    EXPECT_EQ(Ui.Events.back().kind, Kind::ReportError);
    EXPECT_TRUE(Ui.Events.back().text.contains(QStringLiteral("Gala.PRJ.marks")));
}

TEST_F(MarksFileTest, ARecoveryCopyKeepsTheMarksAndLosesThemWithTheCopy) {
    const QString folder = Path("recovery");
    Autosave saver(Doc, folder);
    Doc.SetModified(true);
    Doc.AddMark(700, QStringLiteral("hit"));
    QSignalSpy written(&saver, &Autosave::CopyWritten);
    ASSERT_TRUE(saver.SaveNow());
    ASSERT_TRUE(written.wait(10000));
    const QString copy = saver.CopyPathFor(QString());
    ASSERT_TRUE(QFile::exists(MarksPathOf(copy)));

    ShowDocument back;
    ScriptedUserInterface ui;
    ASSERT_TRUE(Open(copy, back, ui));
    EXPECT_EQ(back.Marks(), Doc.Marks());

    // A change of the marks alone is worth a new copy.
    Doc.RenameMark(0, QStringLiteral("renamed"));
    ASSERT_TRUE(saver.SaveNow());
    ASSERT_TRUE(written.wait(10000));
    EXPECT_EQ(ReadAll(MarksPathOf(copy)), QByteArray("700 renamed\n"));

    saver.Discard();
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_FALSE(QFile::exists(MarksPathOf(copy)));
}
