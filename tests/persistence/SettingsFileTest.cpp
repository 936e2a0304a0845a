// Tests of the settings file: its exact bytes, how each line is read back, version and
// length handling, encodings, and the folders it may or may not be written in.
#include "persistence/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QTemporaryDir>

#include <cerrno>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace lumivox {

static void PrintTo(const TSettings& s, std::ostream* os) {
    *os << "{language " << static_cast<int>(s.language) << ", port \"" << s.ComPort.toStdString()
        << "\", project \"" << s.LastProject.toStdString() << "\", midi \""
        << s.MidiInputName.toStdString() << "\"}";
}

namespace {

// The eleven lines with the given values, ended by `eol`.
QByteArray SettingsBytes(const QByteArray& version, const QByteArray& language,
                         const QByteArray& port, const QByteArray& project, const QByteArray& midi,
                         const QByteArray& eol = "\r\n") {
    const QByteArray lines[] = {"Settings File of Vostrel Lumivox Tool",
                                "File version : ",
                                version,
                                "Language :",
                                language,
                                "Com Port selected :",
                                port,
                                "Last projet used",
                                project,
                                "MIDI Port Input selected",
                                midi};
    QByteArray out;
    for (const QByteArray& line : lines)
        out += line + eol;
    return out;
}

// The first `count` lines of a file.
QByteArray FirstLines(const QByteArray& bytes, int count) {
    QByteArray out;
    const QList<QByteArray> lines = bytes.split('\n');
    for (int i = 0; i < count; ++i)
        out += lines[i] + '\n';
    return out;
}

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Folder.isValid()); }

    QString Path() const { return Folder.filePath(QStringLiteral("LumivoxEditor.cfg")); }

    void Put(const QByteArray& bytes) const {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QByteArray Contents() const {
        QFile file(Path());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readAll();
    }

    TSettingsReadResult Read(const TSettings& current = {}) const {
        return ReadSettings(Path(), current, Captions);
    }

    QTemporaryDir Folder;
    QStringList Captions = {QStringLiteral("(None)"), QStringLiteral("Midi Through Port-0"),
                            QStringLiteral("USB Keyboard")};
};

TEST_F(SettingsFileTest, WritesElevenCrLfLinesAndReadsThemBack) {
    const TSettings settings{Language::Spanish, QStringLiteral("COM3"),
                             QStringLiteral("/home/show/Fête d'été.PRJ"),
                             QStringLiteral("USB Keyboard")};
    ASSERT_TRUE(WriteSettings(Path(), settings));
    EXPECT_EQ(Contents(),
              SettingsBytes("1.0.3", "Spanish", "COM3",
                            "/home/show/F\xc3\xaate d'\xc3\xa9t\xc3\xa9.PRJ", "USB Keyboard"));

    const TSettingsReadResult result = Read();
    EXPECT_EQ(result.Settings, settings);
    EXPECT_EQ(result.ComPortItem, 3);
    EXPECT_EQ(result.MidiItem, 2);
    EXPECT_FALSE(result.Created || result.OtherVersion || result.ReadFailed || result.WriteFailed);
    // Reading does not touch a good file.
    EXPECT_EQ(Contents(),
              SettingsBytes("1.0.3", "Spanish", "COM3",
                            "/home/show/F\xc3\xaate d'\xc3\xa9t\xc3\xa9.PRJ", "USB Keyboard"));
}

TEST_F(SettingsFileTest, EveryLanguageSurvivesTheRoundTrip) {
    const struct {
        Language language;
        QByteArray name;
    } cases[] = {{Language::French, "French"},
                 {Language::English, "English"},
                 {Language::Spanish, "Spanish"},
                 {Language::German, "German"},
                 {static_cast<Language>(9), "English"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        ASSERT_TRUE(WriteSettings(Path(), TSettings{c.language, {}, {}, {}}));
        EXPECT_EQ(Contents(), SettingsBytes("1.0.3", c.name, "", "", ""));
        const Language expected =
            c.language == static_cast<Language>(9) ? Language::English : c.language;
        EXPECT_EQ(Read().Settings.language, expected);
    }
}

TEST_F(SettingsFileTest, MissingFileIsCreatedFromCurrentStateAndReadBack) {
    const TSettingsReadResult result = Read();
    EXPECT_TRUE(result.Created);
    EXPECT_FALSE(result.ReadFailed || result.WriteFailed || result.OtherVersion);
    EXPECT_EQ(Contents(), SettingsBytes("1.0.3", "English", "COM1", "", ""));
    EXPECT_EQ(result.Settings, TSettings{});
    EXPECT_EQ(result.ComPortItem, 1);
    EXPECT_EQ(result.MidiItem, -1);
}

TEST_F(SettingsFileTest, LanguageNamesAreExactAndCaseSensitive) {
    const struct {
        QByteArray line;
        Language expected;
    } cases[] = {{"English", Language::English}, {"Spanish", Language::Spanish},
                 {"German", Language::German},   {"French", Language::French},
                 {"english", Language::French},  {"ENGLISH", Language::French},
                 {"English ", Language::French}, {"", Language::French},
                 {"Deutsch", Language::French}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        Put(SettingsBytes("1.0.3", c.line, "COM2", "", ""));
        EXPECT_EQ(Read(TSettings{Language::German, {}, {}, {}}).Settings.language, c.expected);
    }
}

TEST_F(SettingsFileTest, PortLineIsTakenUnchangedAndOnlyComOneToSixCheckAnItem) {
    const struct {
        QByteArray line;
        int item;
    } cases[] = {{"COM1", 1},         {"COM6", 6}, {"COM9", 0}, {"com2", 0},
                 {"/dev/ttyUSB0", 0}, {"", 0},     {"COM10", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        Put(SettingsBytes("1.0.3", "English", c.line, "", ""));
        const TSettingsReadResult result = Read();
        EXPECT_EQ(result.Settings.ComPort, QString::fromUtf8(c.line));
        EXPECT_EQ(result.ComPortItem, c.item);
    }
}

TEST_F(SettingsFileTest, OtherVersionIsReplacedFromCurrentStateAndNothingIsTaken) {
    const TSettings current{
        Language::French, QStringLiteral("COM5"), QStringLiteral("/cur.PRJ"), {}};
    const QByteArray stale = SettingsBytes("1.0.3", "German", "COM4", "/a.PRJ", "USB Keyboard");
    // Empty and two-line files have an empty version line.
    for (const QByteArray& bytes :
         {SettingsBytes("1.0.2", "German", "COM4", "/a.PRJ", "USB Keyboard"),
          QByteArray(stale).replace("1.0.3", "1.0.3 "), QByteArray(stale).replace("1.0.3", "1.0.4"),
          QByteArray(), FirstLines(stale, 2)}) {
        SCOPED_TRACE(bytes.left(60).toStdString());
        Put(bytes);
        const TSettingsReadResult result = Read(current);
        EXPECT_TRUE(result.OtherVersion);
        EXPECT_FALSE(result.WriteFailed || result.Created);
        EXPECT_EQ(result.Settings, current);
        EXPECT_EQ(result.ComPortItem, 0);
        EXPECT_EQ(result.MidiItem, -1);
        EXPECT_EQ(Contents(), SettingsBytes("1.0.3", "French", "COM5", "/cur.PRJ", ""));
    }
}

TEST_F(SettingsFileTest, ShortFileReadsMissingLinesAsEmpty) {
    const TSettings current{Language::Spanish, QStringLiteral("COM3"), QStringLiteral("/a.PRJ"),
                            QStringLiteral("USB Keyboard")};
    const QByteArray full =
        SettingsBytes("1.0.3", "German", "COM2", "/shows/b.PRJ", "USB Keyboard");

    Put(FirstLines(full, 3));
    TSettingsReadResult result = Read(current);
    EXPECT_EQ(result.Settings, (TSettings{Language::French, {}, {}, {}}));
    EXPECT_EQ(result.ComPortItem, 0);
    EXPECT_EQ(result.MidiItem, -1);
    EXPECT_FALSE(result.OtherVersion || result.Created || result.ReadFailed);
    EXPECT_EQ(Contents(), FirstLines(full, 3)) << "a short file of this version is not rewritten";

    Put(FirstLines(full, 7));
    result = Read(current);
    EXPECT_EQ(result.Settings, (TSettings{Language::German, QStringLiteral("COM2"), {}, {}}));
    EXPECT_EQ(result.ComPortItem, 2);

    // The last line without its line end.
    Put(full.chopped(2));
    result = Read(current);
    EXPECT_EQ(result.Settings.MidiInputName, QStringLiteral("USB Keyboard"));
    EXPECT_EQ(result.MidiItem, 2);
}

TEST_F(SettingsFileTest, MidiNameMatchesMenuCaptionsCaseSensitively) {
    Put(SettingsBytes("1.0.3", "English", "COM1", "", "Midi Through Port-0"));
    TSettingsReadResult result = Read();
    EXPECT_EQ(result.Settings.MidiInputName, QStringLiteral("Midi Through Port-0"));
    EXPECT_EQ(result.MidiItem, 1);

    // A device no longer listed, or listed under another case, selects nothing.
    const TSettings current{
        Language::English, QStringLiteral("COM1"), {}, QStringLiteral("USB Keyboard")};
    for (const QByteArray& line : {QByteArray("usb keyboard"), QByteArray("Gone Synth")}) {
        Put(SettingsBytes("1.0.3", "English", "COM1", "", line));
        result = Read(current);
        EXPECT_TRUE(result.Settings.MidiInputName.isEmpty());
        EXPECT_EQ(result.MidiItem, -1);
    }

    // With two items of the same caption the last one ends up checked.
    Put(SettingsBytes("1.0.3", "English", "COM1", "", "Twin"));
    result = ReadSettings(Path(), {}, {"(None)", "Twin", "Other", "Twin"});
    EXPECT_EQ(result.Settings.MidiInputName, QStringLiteral("Twin"));
    EXPECT_EQ(result.MidiItem, 3);

    // An empty line names no device even when a device has an empty name.
    Put(SettingsBytes("1.0.3", "English", "COM1", "", ""));
    result = ReadSettings(Path(), {}, {"(None)", ""});
    EXPECT_EQ(result.MidiItem, -1);
}

TEST_F(SettingsFileTest, ReadsBareLfLines) {
    Put(SettingsBytes("1.0.3", "German", "COM5", "/shows/c.PRJ", "USB Keyboard", "\n"));
    const TSettingsReadResult result = Read();
    EXPECT_EQ(result.Settings,
              (TSettings{Language::German, QStringLiteral("COM5"), QStringLiteral("/shows/c.PRJ"),
                         QStringLiteral("USB Keyboard")}));
    EXPECT_EQ(result.ComPortItem, 5);
    EXPECT_EQ(result.MidiItem, 2);
}

TEST_F(SettingsFileTest, FileThatIsNotUtf8IsReadAsWindows1252) {
    // 0xEA is ê and 0x80 the euro sign in Windows-1252; neither is valid UTF-8 here.
    Put(SettingsBytes("1.0.3", "French", "COM1", "C:\\Shows\\F\xeate \x80.PRJ", ""));
    const TSettingsReadResult result = Read();
    EXPECT_EQ(result.Settings.LastProject, QStringLiteral("C:\\Shows\\F\u00eate \u20ac.PRJ"));
    EXPECT_EQ(result.Settings.language, Language::French);
}

TEST_F(SettingsFileTest, ValueWithLineBreakIsStoredEmptyWithoutShiftingTheOthers) {
    const TSettings settings{Language::German, QStringLiteral("COM2"),
                             QStringLiteral("/shows/odd\nname.PRJ"),
                             QStringLiteral("USB Keyboard")};
    ASSERT_TRUE(WriteSettings(Path(), settings));
    EXPECT_EQ(Contents(), SettingsBytes("1.0.3", "German", "COM2", "", "USB Keyboard"));
    const TSettingsReadResult result = Read();
    EXPECT_TRUE(result.Settings.LastProject.isEmpty());
    EXPECT_EQ(result.Settings.MidiInputName, QStringLiteral("USB Keyboard"));
}

TEST_F(SettingsFileTest, UnusableLocationsKeepTheCurrentStateAndReportIt) {
    const TSettings current{
        Language::Spanish, QStringLiteral("COM4"), QStringLiteral("/a.PRJ"), {}};

    // A folder that does not exist.
    const QString nowhere = Folder.filePath(QStringLiteral("missing/LumivoxEditor.cfg"));
    TFileError error;
    EXPECT_FALSE(WriteSettings(nowhere, current, &error));
    EXPECT_EQ(error.Code, ENOENT);
    EXPECT_FALSE(error.Detail.isEmpty());
    TSettingsReadResult result = ReadSettings(nowhere, current, Captions);
    EXPECT_TRUE(result.WriteFailed);
    EXPECT_TRUE(result.ReadFailed);
    EXPECT_FALSE(result.Created);
    EXPECT_FALSE(result.ErrorText.isEmpty());
    EXPECT_EQ(result.Settings, current);
    EXPECT_EQ(result.ComPortItem, 0);
    EXPECT_EQ(result.MidiItem, -1);
    EXPECT_FALSE(QFileInfo::exists(Folder.filePath(QStringLiteral("missing"))));

    // A name taken by a folder can be neither read nor replaced.
    ASSERT_TRUE(QDir(Folder.path()).mkdir(QStringLiteral("LumivoxEditor.cfg")));
    EXPECT_FALSE(WriteSettings(Path(), current));
    result = Read(current);
    EXPECT_TRUE(result.ReadFailed);
    EXPECT_FALSE(result.Created);
    EXPECT_EQ(result.Settings, current);
    EXPECT_TRUE(QFileInfo(Path()).isDir());
}

TEST_F(SettingsFileTest, ReadOnlyFolderKeepsItsFileIntact) {
    const QString locked = Folder.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(locked));
    const QString path = QDir(locked).filePath(QStringLiteral("LumivoxEditor.cfg"));
    const QByteArray old = SettingsBytes("1.0.2", "German", "COM4", "/old.PRJ", "");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(old), old.size());
    }
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    struct Unlock {
        QString folder;
        ~Unlock() {
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
        }
    } unlock{locked};
    {
        // A privileged user can still write there; the case cannot be made.
        QFile probe(QDir(locked).filePath(QStringLiteral("probe")));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.close();
            probe.remove();
            GTEST_SKIP() << "the read-only folder is writable for this user";
        }
    }

    const TSettings current;
    EXPECT_FALSE(WriteSettings(path, current));
    TSettingsReadResult result = ReadSettings(path, current, Captions);
    EXPECT_TRUE(result.OtherVersion);
    EXPECT_TRUE(result.WriteFailed);
    EXPECT_EQ(result.Settings, current);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), old);
    EXPECT_EQ(QDir(locked).entryList(QDir::Files | QDir::Hidden).size(), 1);

    const QString config = Folder.filePath(QStringLiteral("config"));
    EXPECT_EQ(SettingsFilePathIn(locked, config),
              QDir(config).filePath(QStringLiteral("LumivoxEditor.cfg")));
}

TEST_F(SettingsFileTest, FileGoesBesideTheProgramWhenThatFolderTakesNewFiles) {
    const QString program = Folder.filePath(QStringLiteral("bin"));
    const QString config = Folder.filePath(QStringLiteral("config/lumivox"));
    ASSERT_TRUE(QDir().mkpath(program));

    EXPECT_EQ(SettingsFilePathIn(program, config),
              QDir(program).filePath(QStringLiteral("LumivoxEditor.cfg")));
    EXPECT_TRUE(QDir(program).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        << "the writability probe is removed";
    EXPECT_FALSE(QFileInfo::exists(config));

    // A program folder that is gone sends the file to the user's folder, created on demand.
    const QString gone = Folder.filePath(QStringLiteral("gone"));
    EXPECT_EQ(SettingsFilePathIn(gone, config),
              QDir(config).filePath(QStringLiteral("LumivoxEditor.cfg")));
    EXPECT_TRUE(QFileInfo(config).isDir());
}

} // namespace
} // namespace lumivox
