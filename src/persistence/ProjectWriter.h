// Writing a project file (version 1.0.3) from a snapshot of the show, on any thread: what is
// written is taken from the document first, cheaply, so an autosave can write it while the
// user goes on editing.
#pragma once

#include "model/ProjectClasses.h"
#include "model/ShowDocument.h"
#include "persistence/VerifiedFile.h"

#include <QString>

#include <functional>
#include <string_view>
#include <vector>

namespace lumivox {

// The line that closes the header and each track's block in a project file.
inline constexpr std::string_view SectionSeparator = "*****";

// What a project file holds: the project record, the slot count and each track's stored
// fields, in track order, with the show's marks that go to the marks file beside it. Slot values
// share their bytes with the document's (copy on write), so a snapshot costs a few fields per track
// and never changes afterwards.
struct TProjectSnapshot {
    TProjectType Project;
    int SlotCount = 0;
    std::vector<TFullDataTrack> Tracks;
    TShowMarks Marks;
};

TProjectSnapshot SnapshotOf(const ShowDocument& document);

struct TProjectWriteOptions {
    // Saving over an existing file keeps the previous one as PATH.bak beside it.
    bool KeepBackup = false;
    // Called after each track with the number of tracks written.
    std::function<void(int written)> Progress;
};

// Writes the snapshot to a temporary file beside `path`, checking every write and the flush to
// the disk, then renames it over `path`, so a failed write never damages the previous file.
// Returns no error on success, else why it failed.
TFileError WriteProjectSnapshot(const QString& path, const TProjectSnapshot& snapshot,
                                const TProjectWriteOptions& options = {});

// The file name of the backup kept for a project file.
QString BackupPathOf(const QString& path);

} // namespace lumivox
