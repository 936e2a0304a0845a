// The worker that finds a song's beats off the editor's thread, and what it hands back.
#include "audio/analysis/BeatFinder.h"

#include "audio/analysis/BeatCache.h"

#include <QMetaObject>

#include <chrono>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

namespace lumivox {

namespace {

// The search yields to the editor and to playback: it only fills in marks for later.
constexpr int WorkerNice = 10;
// The search starts this long after it is asked for: a show that is opening reads and
// paints its tracks on every core first, and the beats are not needed before it shows.
constexpr auto StartDelay = std::chrono::milliseconds(300);
constexpr auto CancelCheck = std::chrono::milliseconds(10);

} // namespace

struct TBeatFinder::Job {
    std::atomic<bool> Cancel{false};
    std::thread Thread;
};

TBeatFinder::TBeatFinder(TCachePlaces places, QObject* parent)
    : QObject(parent), Places(std::move(places)) {}

TBeatFinder::~TBeatFinder() {
    Stop();
}

void TBeatFinder::Stop() {
    ++Generation;
    if (!Worker)
        return;
    Worker->Cancel.store(true, std::memory_order_relaxed);
    Worker->Thread.join();
    Worker.reset();
}

void TBeatFinder::Set(const QString& songPath, TSongBeats beats) {
    Stop();
    Song = songPath;
    Found = std::move(beats);
    Ready = true;
    Q_EMIT BeatsChanged();
}

void TBeatFinder::Find(const QString& songPath) {
    if (Worker && Song == songPath)
        return;
    const bool hadBeats = Ready;
    Stop();
    Song = songPath;
    Found = {};
    Ready = false;
    if (hadBeats)
        Q_EMIT BeatsChanged();
    Worker = std::make_unique<Job>();
    const std::uint64_t generation = Generation;
    Worker->Thread =
        std::thread([this, generation, songPath, places = Places, cancel = &Worker->Cancel] {
            setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), WorkerNice);
            for (auto waited = std::chrono::milliseconds(0); waited < StartDelay;
                 waited += CancelCheck) {
                if (cancel->load(std::memory_order_relaxed))
                    break;
                std::this_thread::sleep_for(CancelCheck);
            }
            TSongBeatsResult result = LoadOrFindBeats(songPath, places, {}, cancel);
            const bool complete = result.Origin != TBeatsOrigin::None;
            // Queued to this object's thread; a finder destroyed meanwhile has joined this thread
            // before its end, so the call never reaches a dead object.
            QMetaObject::invokeMethod(
                this,
                [this, generation, complete, beats = std::move(result.Beats)]() mutable {
                    Deliver(generation, complete, std::move(beats));
                },
                Qt::QueuedConnection);
        });
}

void TBeatFinder::Deliver(std::uint64_t generation, bool complete, TSongBeats beats) {
    if (generation != Generation)
        return; // stopped, or another song asked for since
    if (Worker) {
        Worker->Thread.join();
        Worker.reset();
    }
    // A song that cannot be analysed keeps no beats; the next open tries again.
    if (!complete)
        return;
    Found = std::move(beats);
    Ready = true;
    Q_EMIT BeatsChanged();
}

void TBeatFinder::Clear() {
    const bool hadBeats = Ready || !Song.isEmpty();
    Stop();
    Song.clear();
    Found = {};
    Ready = false;
    if (hadBeats)
        Q_EMIT BeatsChanged();
}

} // namespace lumivox
