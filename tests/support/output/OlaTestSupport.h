// olad for the tests: a private daemon started through scripts/start-olad.sh (or the one the
// test run started, named by LUMIVOX_OLAD_PORT), and a client that reads a universe back.
#pragma once

#include "output/DmxOutput.h"

#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace lumivox::test {

// A private olad on a free port of its own, stopped when this goes.
class OladProcess {
public:
    OladProcess();
    ~OladProcess();
    OladProcess(const OladProcess&) = delete;
    OladProcess& operator=(const OladProcess&) = delete;

    // Starts it (again, on the same port); false, with the reason in Error, when it did not.
    bool Start();
    void Stop();
    std::uint16_t Port() const { return RpcPort; }
    QString Error;

private:
    QTemporaryDir Dir;
    std::uint16_t RpcPort = 0;
};

// The olad the tests share: the test run's (LUMIVOX_OLAD_PORT) or one started for this
// process. Empty, with the reason, when olad cannot run here.
std::optional<std::uint16_t> SharedOladPort(QString* why = nullptr);

// One frame as a client registered for the universe received it.
struct TReceivedFrame {
    std::chrono::steady_clock::time_point At;
    TDmxFrame Values{};
};

// A client of olad registered for one universe, on a thread of its own, that keeps every
// frame it receives.
class UniverseReader {
public:
    UniverseReader(std::uint16_t port, unsigned universe);
    ~UniverseReader();
    UniverseReader(const UniverseReader&) = delete;
    UniverseReader& operator=(const UniverseReader&) = delete;

    // Connected and registered.
    bool Ready() const;
    std::vector<TReceivedFrame> Frames() const;
    std::size_t Count() const;
    // The newest frame, if any.
    std::optional<TDmxFrame> Last() const;
    // Waits up to `ms` for a received frame that `match` accepts.
    bool WaitFor(const std::function<bool(const TDmxFrame&)>& match, int ms = 10000) const;
    // Calls `seen` on the reader's thread for each frame as it arrives (the benchmark's clock).
    void OnFrame(std::function<void(const TReceivedFrame&)> seen);

private:
    struct TState;
    std::unique_ptr<TState> State;
};

} // namespace lumivox::test
