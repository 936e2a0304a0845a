// Reading and writing the settings file, and choosing the folder it lives in.
#include "persistence/SettingsFile.h"

#include "persistence/TextLines.h"
#include "persistence/VerifiedFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <array>
#include <string_view>

namespace lumivox {

namespace {

constexpr std::string_view TitleLabel = "Settings File of Vostrel Lumivox Tool";
constexpr std::string_view VersionLabel = "File version : ";
constexpr std::string_view LanguageLabel = "Language :";
constexpr std::string_view ComPortLabel = "Com Port selected :";
constexpr std::string_view LastProjectLabel = "Last projet used";
constexpr std::string_view MidiInputLabel = "MIDI Port Input selected";

constexpr std::array<const char*, 6> MenuPorts = {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6"};

QString LanguageName(Language language) {
    switch (language) {
    case Language::French:
        return QStringLiteral("French");
    case Language::Spanish:
        return QStringLiteral("Spanish");
    case Language::German:
        return QStringLiteral("German");
    case Language::English:
        break;
    }
    // English, and any value outside the four languages.
    return QStringLiteral("English");
}

// Exact, case-sensitive names; anything else, an empty line included, is French.
Language LanguageFromName(const QString& name) {
    if (name == QLatin1String("English"))
        return Language::English;
    if (name == QLatin1String("Spanish"))
        return Language::Spanish;
    if (name == QLatin1String("German"))
        return Language::German;
    return Language::French;
}

// A value holding a line break cannot be stored in one line: writing it would shift every
// following line and garble the values read back. Such a value is stored as empty.
QString LineValue(const QString& value) {
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
        return QString();
    return value;
}

// Whether a new file can actually be created in `folder`; permission bits alone do not
// tell (ACLs, read-only mounts, a folder that does not exist).
bool FolderAcceptsNewFiles(const QString& folder) {
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("LumivoxEditor-XXXXXX.probe")));
    return probe.open();
}

} // namespace

QString SettingsFilePathIn(const QString& programFolder, const QString& userConfigFolder) {
    const QString name = QString::fromLatin1(SettingsFileName);
    if (!programFolder.isEmpty() && FolderAcceptsNewFiles(programFolder))
        return QDir(programFolder).filePath(name);
    if (!userConfigFolder.isEmpty() && QDir().mkpath(userConfigFolder))
        return QDir(userConfigFolder).filePath(name);
    // Neither folder can take the file: a copy beside the program may still be readable.
    return QDir(programFolder).filePath(name);
}

QString SettingsFilePath() {
    return SettingsFilePathIn(QCoreApplication::applicationDirPath(),
                              QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

bool WriteSettings(const QString& path, const TSettings& settings, TFileError* error) {
    QByteArray out;
    out.reserve(256);
    AppendLine(out, TitleLabel);
    AppendLine(out, VersionLabel);
    AppendLine(out, std::string_view(SettingsFileVersion));
    AppendLine(out, LanguageLabel);
    AppendLine(out, LanguageName(settings.language));
    AppendLine(out, ComPortLabel);
    AppendLine(out, LineValue(settings.ComPort));
    AppendLine(out, LastProjectLabel);
    AppendLine(out, LineValue(settings.LastProject));
    AppendLine(out, MidiInputLabel);
    AppendLine(out, LineValue(settings.MidiInputName));

    // The old file is replaced only by a complete new one.
    const TFileError failure = WriteFileVerified(path, out);
    if (failure && error != nullptr)
        *error = failure;
    return !failure;
}

TSettingsReadResult ReadSettings(const QString& path, const TSettings& current,
                                 const QStringList& midiMenuCaptions) {
    TSettingsReadResult result;
    result.Settings = current;

    if (!QFileInfo::exists(path)) {
        TFileError error;
        if (!WriteSettings(path, current, &error)) {
            result.ErrorText = error.Detail;
            result.WriteFailed = true;
            result.ReadFailed = true;
            return result;
        }
        result.Created = true;
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.ReadFailed = true;
        result.ErrorText = file.errorString();
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.ReadFailed = true;
        result.ErrorText = file.errorString();
        return result;
    }
    file.close();

    // Lines past the end of a short file read as empty.
    TextLineReader lines(bytes);
    lines.NextRaw(); // title
    lines.NextRaw(); // version label
    if (lines.NextText() != QLatin1String(SettingsFileVersion)) {
        result.OtherVersion = true;
        TFileError error;
        if (!WriteSettings(path, current, &error)) {
            result.WriteFailed = true;
            result.ErrorText = error.Detail;
        }
        return result;
    }

    TSettings read;
    lines.NextRaw(); // language label
    read.language = LanguageFromName(lines.NextText());
    lines.NextRaw(); // port label
    read.ComPort = lines.NextText();
    lines.NextRaw(); // last project label
    read.LastProject = lines.NextText();
    lines.NextRaw(); // MIDI label
    const QString midiLine = lines.NextText();

    for (std::size_t i = 0; i < MenuPorts.size(); ++i) {
        if (read.ComPort == QLatin1String(MenuPorts[i]))
            result.ComPortItem = static_cast<int>(i) + 1;
    }

    // Every item with that caption is checked in turn, so the last one stays checked. An
    // empty line names no device, even should a device have an empty name.
    if (!midiLine.isEmpty()) {
        for (qsizetype i = 0; i < midiMenuCaptions.size(); ++i) {
            if (midiMenuCaptions[i] == midiLine) {
                read.MidiInputName = midiLine;
                result.MidiItem = static_cast<int>(i);
            }
        }
    }

    result.Settings = read;
    return result;
}

} // namespace lumivox
