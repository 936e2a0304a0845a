// The editor's own preferences, beyond the four choices of the settings file (whose format
// and place stay as they are): the autosave interval, the undo depth and memory budget,
// snapping, the window's geometry and the recent projects. They live in an INI file in the per-user
// configuration folder.
#pragma once

#include "persistence/VerifiedFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <cstdint>

namespace lumivox {

class Preferences {
public:
    static constexpr int DefaultAutosaveSeconds = 60;
    static constexpr int MinAutosaveSeconds = 5;
    static constexpr int MaxAutosaveSeconds = 30 * 60;
    static constexpr int MaxRecentProjects = 8;
    static constexpr int DefaultUndoDepth = 20;
    static constexpr int MinUndoDepth = 1;
    static constexpr int MaxUndoDepth = 1000;

    // `path` empty: preferences.ini in the per-user configuration folder.
    explicit Preferences(const QString& path = QString());
    ~Preferences();

    QString Path() const;

    // Seconds between two autosaves, always within 5 s to 30 min.
    int AutosaveSeconds() const;
    void SetAutosaveSeconds(int seconds);

    // Undo steps kept, always within 1 to 1000. The number stored is the one the user chose,
    // read the same by every version.
    int UndoDepth() const;
    void SetUndoDepth(int depth);

    // Memory the undo history may hold beyond the show, in megabytes (2^20 bytes), always
    // within 16 to 65,536; the first time, DefaultUndoBudgetMb of this machine's memory.
    static constexpr int MinUndoBudgetMb = 16;
    static constexpr int MaxUndoBudgetMb = 65536;
    int UndoBudgetMb() const;
    void SetUndoBudgetMb(int megabytes);

    // Whether the pointer snaps to the song's beats and the show's marks; off at first.
    bool SnapOn() const;
    void SetSnapOn(bool on);

    // The main window's geometry as Qt saves it; empty the first time.
    QByteArray WindowGeometry() const;
    void SetWindowGeometry(const QByteArray& geometry);

    // The last projects opened or saved, newest first, at most eight.
    QStringList RecentProjects() const;
    // Puts `path` first (once).
    void AddRecentProject(const QString& path);
    void RemoveRecentProject(const QString& path);

    // --- Audio and output timing ---
    static constexpr int MaxOutputOffsetMs = 500;

    // The live outputs' lead over the heard audio in ms, always within -500 to +500; 0 the
    // first time.
    int OutputOffsetMs() const;
    void SetOutputOffsetMs(int ms);

    // The sound device chosen to play on, as a key of the device list (see SoundDevices.h);
    // empty the first time: the automatic choice.
    QString SoundDevice() const;
    void SetSoundDevice(const QString& key);

    // DMX output through OLA: whether it is on, and the OLA universe it drives (1 or more).
    static constexpr int DefaultDmxUniverse = 1;
    static constexpr int MinDmxUniverse = 1;
    static constexpr int MaxDmxUniverse = 65535;
    bool DmxEnabled() const;
    void SetDmxEnabled(bool on);
    int DmxUniverse() const;
    void SetDmxUniverse(int universe);

    // Writes what changed to disk (also tried on destruction): through a temporary file that
    // is read back before it replaces the old one, so a failed write leaves the old file as it
    // was, and what changed stays to be written the next time. No error on success.
    TFileError Sync();

private:
    QVariant Value(const QString& key, const QVariant& fallback = {}) const;
    void SetValue(const QString& key, const QVariant& value);

    QString FilePath;
    QVariantMap Values; // every key of the file, as QSettings reads it back
    bool Dirty = false;
};

// True when the folder holding `path` has no space left for an ordinary user.
bool FolderIsFull(const QString& path);

// The preferences file in the per-user configuration folder.
QString DefaultPreferencesPath();

// The undo budget of a machine with `physicalBytes` of memory (0: not known): 512 MB, or an
// eighth of the memory on machines with less than 4 GB, never below the least budget.
int DefaultUndoBudgetMb(std::uint64_t physicalBytes);
// The memory of this machine in bytes; 0 when it cannot be told.
std::uint64_t PhysicalMemoryBytes();

} // namespace lumivox
