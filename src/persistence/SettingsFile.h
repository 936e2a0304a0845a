// The settings file LumivoxEditor.cfg: the four choices remembered from one run to the next
// (language, serial port, last project, MIDI input), where the file lives, and its reader
// and writer.
#pragma once

#include "core/LanguageTables.h"
#include "persistence/VerifiedFile.h"

#include <QString>
#include <QStringList>

namespace lumivox {

inline constexpr const char* SettingsFileName = "LumivoxEditor.cfg";
inline constexpr const char* SettingsFileVersion = "1.0.3";

struct TSettings {
    Language language = Language::English;
    QString ComPort = QStringLiteral("COM1");
    QString LastProject;   // empty when the project was never saved
    QString MidiInputName; // empty when no MIDI input is selected

    friend bool operator==(const TSettings&, const TSettings&) = default;
};

struct TSettingsReadResult {
    // The settings to use from now on: those of the file, or `current` unchanged when
    // nothing could be taken from it.
    TSettings Settings;
    // Output port menu item to check: 1..6 for "COM1".."COM6"; 0 keeps the current check.
    int ComPortItem = 0;
    // Index into the MIDI menu captions of the item to check; -1 leaves "(None)" checked.
    int MidiItem = -1;

    bool Created = false;      // the file was missing and has been written from `current`
    bool OtherVersion = false; // the file was of another version: nothing taken, rewritten
    bool ReadFailed = false;   // the file could not be opened or read: nothing taken
    bool WriteFailed = false;  // the file had to be (re)written and could not be
    QString ErrorText;         // the system's description of the last failure, if any
};

// Where the settings file lives: beside the executable when that folder accepts new files,
// else in the per-user configuration folder (created if needed).
QString SettingsFilePath();
// The same choice between two given folders.
QString SettingsFilePathIn(const QString& programFolder, const QString& userConfigFolder);

// Writes the eleven lines from `settings` into a temporary file that replaces `path` only
// once complete and flushed, so a failed write leaves any previous file intact. Returns false
// on failure, with why in `error` when given.
bool WriteSettings(const QString& path, const TSettings& settings, TFileError* error = nullptr);

// Reads the settings file at `path` at start-up. `current` is the program's state before
// the read; a missing file is first written from it, and a file of another version is
// replaced by it. `midiMenuCaptions` are the captions of the MIDI Input menu items, in menu
// order. Never throws: failures leave `current` in the result and set a flag.
TSettingsReadResult ReadSettings(const QString& path, const TSettings& current,
                                 const QStringList& midiMenuCaptions);

} // namespace lumivox
