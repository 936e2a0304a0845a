// The device worker's queue and thread, and the silencing of the sound libraries' messages.
#include "audio/playback/DeviceWorker.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace lumivox {

namespace {

enum class TJobStatus { Pending, Skipped, Running, Done };

struct Job {
    std::function<void()> Task;
    TJobStatus Status = TJobStatus::Pending;
    bool Late = false; // its caller stopped waiting while it ran
};

} // namespace

struct DeviceWorker::State {
    std::mutex Mutex;
    std::condition_variable Queued;
    std::condition_variable Finished;
    std::deque<std::shared_ptr<Job>> Jobs;
    bool Overdue = false;
    std::thread Thread;

    void Loop() {
        std::unique_lock lock(Mutex);
        for (;;) {
            Queued.wait(lock, [this] { return !Jobs.empty(); });
            const std::shared_ptr<Job> job = Jobs.front();
            Jobs.pop_front();
            if (job->Status == TJobStatus::Skipped)
                continue;
            job->Status = TJobStatus::Running;
            lock.unlock();
            job->Task();
            job->Task = nullptr; // what the task holds goes here, on the worker
            lock.lock();
            job->Status = TJobStatus::Done;
            if (job->Late)
                Overdue = false;
            Finished.notify_all();
        }
    }
};

DeviceWorker::DeviceWorker() : Shared(new State) {
    Shared->Thread = std::thread([state = Shared] { state->Loop(); });
}

DeviceWorker& DeviceWorker::Instance() {
    // Deliberately never destroyed: its thread may be blocked in a library call for as long
    // as the program runs, and destroying it would mean joining that thread at exit.
    static DeviceWorker* const worker = new DeviceWorker;
    return *worker;
}

bool DeviceWorker::Run(std::function<void()> task, std::chrono::milliseconds limit, TLate late) {
    std::unique_lock lock(Shared->Mutex);
    if (Shared->Overdue && late == TLate::Skip)
        return false;
    auto job = std::make_shared<Job>();
    job->Task = std::move(task);
    Shared->Jobs.push_back(job);
    Shared->Queued.notify_one();
    if (Shared->Overdue)
        return false;
    if (Shared->Finished.wait_for(lock, limit, [&] { return job->Status == TJobStatus::Done; }))
        return true;
    if (job->Status == TJobStatus::Pending) {
        if (late == TLate::Skip)
            job->Status = TJobStatus::Skipped;
    } else {
        job->Late = true;
        Shared->Overdue = true;
    }
    return false;
}

void DeviceWorker::Post(std::function<void()> task) {
    std::lock_guard lock(Shared->Mutex);
    auto job = std::make_shared<Job>();
    job->Task = std::move(task);
    Shared->Jobs.push_back(std::move(job));
    Shared->Queued.notify_one();
}

namespace {

void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}
void QuietJack(const char*) {}

} // namespace

void SilenceSoundLibraryMessages() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(QuietAlsa); });
    // Set every time: PortAudio installs a handler of its own whenever it initialises.
    jack_set_error_function(QuietJack);
    jack_set_info_function(QuietJack);
}

} // namespace lumivox
