// The beats of the song the editor has open, for the views that show or snap to them: taken
// from the import that decoded the song, or read from a current beat file or found on a
// worker thread (opening a song whose waveform is cached waits for neither) and announced
// when done.
#pragma once

#include "audio/analysis/BeatAnalysis.h"
#include "audio/decode/WaveformCache.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

namespace lumivox {

class TBeatFinder : public QObject {
    Q_OBJECT
public:
    explicit TBeatFinder(TCachePlaces places, QObject* parent = nullptr);
    // Stops a search that is running and waits for its thread.
    ~TBeatFinder() override;
    TBeatFinder(const TBeatFinder&) = delete;
    TBeatFinder& operator=(const TBeatFinder&) = delete;

    // The song the beats are for; empty when none is.
    QString SongPath() const { return Song; }
    // The song's beats; empty until they are found.
    const TSongBeats& Beats() const { return Found; }
    bool HasBeats() const { return Ready; }
    // True while a worker looks for the song's beats.
    bool IsFinding() const { return Worker != nullptr; }

    // Beats found already (by the import that decoded the song): stops any search and
    // announces them.
    void Set(const QString& songPath, TSongBeats beats);
    // A worker reads the song's beats from a current beat file, or else decodes the song,
    // finds them and writes the beat file, and announces them on this object's thread.
    // Asking again for the song being searched lets the search go on.
    void Find(const QString& songPath);
    // No song: stops any search; announces the change when there were beats.
    void Clear();

Q_SIGNALS:
    // The beats of the song, or the song they are for, have changed.
    void BeatsChanged();

private:
    struct Job;
    void Stop();
    void Deliver(std::uint64_t generation, bool complete, TSongBeats beats);

    TCachePlaces Places;
    QString Song;
    TSongBeats Found;
    bool Ready = false;
    std::uint64_t Generation = 0; // tells a finished search whether it is still wanted
    std::unique_ptr<Job> Worker;
};

} // namespace lumivox
