// The open show: the project record, the ordered track list and the values the song fixes,
// with the model rules of adding and removing tracks.
#pragma once

#include "core/LanguageTables.h"
#include "model/ProjectClasses.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace lumivox {

class ShowDocument {
public:
    TProjectType Project;
    // Display order, top to bottom; a track's number is its 1-based position.
    std::vector<std::unique_ptr<TFullTrack>> Tracks;
    // Value bytes per track, fixed by the open song on the 100 ms grain; 0 without a song.
    int SlotCount = 0;
    int ResolutionIndex = 1;
    bool SoloActive = false;
    bool Modified = false;
    QString ProjectFileName;

    // Creates the header of each new track; without a factory tracks have no header.
    std::function<std::unique_ptr<ITrackHeader>()> HeaderFactory;

    int TrackCount() const { return static_cast<int>(Tracks.size()); }
    TFullTrack& Track(int number) { return *Tracks.at(static_cast<std::size_t>(number - 1)); }
    const TFullTrack& Track(int number) const {
        return *Tracks.at(static_cast<std::size_t>(number - 1));
    }
    int ResolutionInMs() const { return ResolutionMs(ResolutionIndex); }

    // Appends a track with the defaults of a new track: SlotCount zero values, caption from
    // the language's track word and the new count, the first free output, the MIDI key of
    // that output and the colour pair of its position. Returns null, changing nothing, when
    // MaxTracks tracks exist already (the caller shows the refusal).
    TFullTrack* AddTrack(Language language);

    // Destroys every track, the last first, calling `removed` with the number still to go
    // after each one.
    void RemoveAllTracks(const std::function<void(int remaining, int total)>& removed = {});

    // Destroys the track at 1-based `number` and renumbers the rest.
    void RemoveTrack(int number);

    // Destroys every selected track, top to bottom, calling `removed` with the number still
    // to go after each one, and renumbers the rest. Returns how many were removed.
    int RemoveSelectedTracks(const std::function<void(int remaining, int selected)>& removed);

    // Shows each track's position in its header.
    void Renumber();

    // SoloActive := some track has Solo.
    void RecomputeSolo();

    // Empties the project record before a file is read: name, song, text fields and
    // comments. Reserved and the resolution are kept; the reader sets them.
    void ResetRecord(const QString& newProjectName);
};

} // namespace lumivox
