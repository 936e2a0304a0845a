// lumivox-unit: a simulated playback unit on a pseudo-terminal (or a given serial device).
// It answers the editor's real-time changes like the unit does, shows the 256 output levels
// live, logs every change with its arrival time, and can play a sequence file against a clock.
#include "PlaybackUnit.h"

#include "output/SequenceFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace lumivox;
using namespace lumivox::unit;
using namespace std::chrono_literals;

namespace {

volatile std::sig_atomic_t StopRequested = 0;

void RequestStop(int) {
    StopRequested = 1;
}

// Raw bytes both ways: no echo, no line editing, no translation.
bool MakeRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    cfsetispeed(&settings, B57600);
    cfsetospeed(&settings, B57600);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

struct TEndpoint {
    int Fd = -1;       // the side the unit reads and writes
    int KeepOpen = -1; // the pseudo-terminal's own end, held so the editor may come and go
    QString Path;      // what the editor opens
};

bool OpenPseudoTerminal(TEndpoint& endpoint, QString& error) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        error = QStringLiteral("cannot create a pseudo-terminal: %1")
                    .arg(QString::fromLocal8Bit(std::strerror(errno)));
        if (master >= 0)
            close(master);
        return false;
    }
    const char* name = ptsname(master);
    const int slave = name ? open(name, O_RDWR | O_NOCTTY) : -1;
    if (slave < 0 || !MakeRaw(slave)) {
        error = QStringLiteral("cannot prepare the pseudo-terminal: %1")
                    .arg(QString::fromLocal8Bit(std::strerror(errno)));
        close(master);
        if (slave >= 0)
            close(slave);
        return false;
    }
    endpoint.Fd = master;
    endpoint.KeepOpen = slave;
    endpoint.Path = QString::fromLocal8Bit(name);
    return true;
}

bool OpenDevice(TEndpoint& endpoint, const QString& path, QString& error) {
    const int fd = open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0 || !MakeRaw(fd)) {
        error = QStringLiteral("cannot open %1: %2")
                    .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        if (fd >= 0)
            close(fd);
        return false;
    }
    endpoint.Fd = fd;
    endpoint.Path = path;
    return true;
}

// The frames of a sequence file as (due time, changes), in file order.
struct TScheduledFrame {
    std::chrono::milliseconds Due;
    std::vector<TCntTrameData> Entries;
};

bool LoadSequence(const QString& path, std::vector<TScheduledFrame>& frames, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    const TSequenceFileInfo info = ParseSequenceFile(file.readAll());
    if (info.ResolutionMs == 0) {
        error = QStringLiteral("%1 is not a sequence file (unknown resolution)").arg(path);
        return false;
    }
    // The first frame is due at 0; each frame's slot field says when the next one is due.
    std::chrono::milliseconds due{0};
    for (const TSequenceFrame& frame : info.Frames) {
        frames.push_back({due, frame.Entries});
        due = std::chrono::milliseconds(std::int64_t{frame.Slot} * info.ResolutionMs);
    }
    return true;
}

double MsSince(Clock::time_point start, Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(t - start).count();
}

void LogChange(std::FILE* log, Clock::time_point start, Clock::time_point arrival,
               const char* source, int output, int value) {
    if (!log)
        return;
    // Arrival on the system's monotonic clock (shared by every process), then for people.
    const auto ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(arrival.time_since_epoch()).count();
    std::fprintf(log, "%lld %.3f %s %d %d\n", static_cast<long long>(ns), MsSince(start, arrival),
                 source, output, value);
    std::fflush(log);
}

// The levels as a 16 × 16 grid, redrawn in place.
void Draw(const PlaybackUnit& unit, const QString& path, Clock::time_point start,
          Clock::time_point now, const std::optional<TUnitChange>& last) {
    // Home, then overwrite in place (each line cleared to its end): no flicker.
    std::printf("\x1b[H");
    std::printf("lumivox-unit on %s   %.1f s   %llu changes\x1b[K\n",
                path.toLocal8Bit().constData(), MsSince(start, now) / 1000.0,
                static_cast<unsigned long long>(unit.ChangeCount()));
    if (last)
        std::printf("last acknowledged: output %d = %d at %.1f s\x1b[K\n", last->Output,
                    last->Value, MsSince(start, last->Arrival) / 1000.0);
    else
        std::printf("\x1b[K\n");
    std::printf("      ");
    for (int column = 0; column < 16; ++column)
        std::printf(" +%-2d", column);
    std::printf("\n");
    for (int row = 0; row < 16; ++row) {
        std::printf("%4d  ", row * 16);
        for (int column = 0; column < 16; ++column) {
            const int level = unit.Outputs()[static_cast<std::size_t>(row) * 16 +
                                             static_cast<std::size_t>(column)];
            if (level == 0)
                std::printf("   .");
            else
                std::printf(" %3d", level);
        }
        std::printf("\x1b[K\n");
    }
    std::printf("\x1b[J");
    std::fflush(stdout);
}

// Every output's level, the last value the unit acknowledged for it, one line each.
bool WriteState(const PlaybackUnit& unit, const QString& name) {
    std::FILE* out =
        name == QLatin1String("-") ? stdout : std::fopen(name.toLocal8Bit().constData(), "w");
    if (!out)
        return false;
    for (std::size_t output = 0; output < unit.Outputs().size(); ++output)
        std::fprintf(out, "%zu %d\n", output, unit.Outputs()[output]);
    const bool written = std::fflush(out) == 0;
    return (out == stdout || std::fclose(out) == 0) && written;
}

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lumivox-unit"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated playback unit. It opens a pseudo-terminal and prints its path on the first "
        "line (or opens --device), acknowledges the editor's real-time changes, shows the 256 "
        "output levels and logs each change as: monotonic-ns ms-since-start source output "
        "value."));
    parser.addHelpOption();
    const QCommandLineOption device(QStringLiteral("device"),
                                    QStringLiteral("Use this serial device instead of a new "
                                                   "pseudo-terminal."),
                                    QStringLiteral("path"));
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Also make a symbolic link at this path to the "
                                                 "pseudo-terminal (a stable name for the "
                                                 "editor's settings)."),
                                  QStringLiteral("path"));
    const QCommandLineOption logFile(QStringLiteral("log"),
                                     QStringLiteral("Log every change to this file ('-' for the "
                                                    "standard output)."),
                                     QStringLiteral("file"));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("Do not draw the levels in the terminal."));
    const QCommandLineOption noAck(QStringLiteral("no-ack"), QStringLiteral("Never acknowledge."));
    const QCommandLineOption noise(QStringLiteral("noise"),
                                   QStringLiteral("Send this many other bytes before each "
                                                  "acknowledge."),
                                   QStringLiteral("count"), QStringLiteral("0"));
    const QCommandLineOption ackDelay(QStringLiteral("ack-delay"),
                                      QStringLiteral("Acknowledge this many milliseconds late."),
                                      QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption play(QStringLiteral("play"),
                                  QStringLiteral("Play this sequence file against the clock from "
                                                 "the start, frames at their slots."),
                                  QStringLiteral("seq-file"));
    const QCommandLineOption state(QStringLiteral("state"),
                                   QStringLiteral("On exit, write every output's last level to "
                                                  "this file ('-' for the standard output), one "
                                                  "line each: output value."),
                                   QStringLiteral("file"));
    parser.addOptions({device, link, logFile, quiet, noAck, noise, ackDelay, play, state});
    parser.process(app);

    TUnitBehaviour behaviour;
    bool numbersOk = true;
    bool ok = false;
    behaviour.Acknowledge = !parser.isSet(noAck);
    behaviour.NoiseBytes = parser.value(noise).toInt(&ok);
    numbersOk = numbersOk && ok && behaviour.NoiseBytes >= 0;
    behaviour.AckDelay = std::chrono::milliseconds(parser.value(ackDelay).toInt(&ok));
    numbersOk = numbersOk && ok && behaviour.AckDelay >= 0ms;
    if (!numbersOk) {
        std::fprintf(stderr, "lumivox-unit: --noise and --ack-delay take whole numbers >= 0\n");
        return 2;
    }

    std::vector<TScheduledFrame> frames;
    QString error;
    if (parser.isSet(play) && !LoadSequence(parser.value(play), frames, error)) {
        std::fprintf(stderr, "lumivox-unit: %s\n", error.toLocal8Bit().constData());
        return 1;
    }

    TEndpoint endpoint;
    const bool opened = parser.isSet(device) ? OpenDevice(endpoint, parser.value(device), error)
                                             : OpenPseudoTerminal(endpoint, error);
    if (!opened) {
        std::fprintf(stderr, "lumivox-unit: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    QByteArray linkPath;
    if (parser.isSet(link)) {
        linkPath = parser.value(link).toLocal8Bit();
        unlink(linkPath.constData());
        if (symlink(endpoint.Path.toLocal8Bit().constData(), linkPath.constData()) != 0) {
            std::fprintf(stderr, "lumivox-unit: cannot make the link %s: %s\n",
                         linkPath.constData(), std::strerror(errno));
            return 1;
        }
    }

    std::FILE* log = nullptr;
    if (parser.isSet(logFile)) {
        const QString name = parser.value(logFile);
        log = name == QLatin1String("-") ? stdout : std::fopen(name.toLocal8Bit().constData(), "w");
        if (!log) {
            std::fprintf(stderr, "lumivox-unit: cannot write the log %s\n",
                         name.toLocal8Bit().constData());
            return 1;
        }
    }
    const bool draw = !parser.isSet(quiet) && log != stdout && isatty(STDOUT_FILENO);

    std::printf("%s\n", endpoint.Path.toLocal8Bit().constData());
    std::fflush(stdout);

    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    std::signal(SIGPIPE, SIG_IGN);

    if (draw)
        std::printf("\x1b[2J"); // a clean screen once; the grid then redraws in place
    PlaybackUnit unit(behaviour);
    const Clock::time_point start = Clock::now();
    std::size_t nextFrame = 0;
    Clock::time_point nextDraw = start;
    std::optional<TUnitChange> lastChange;
    int status = 0;
    while (!StopRequested) {
        Clock::time_point now = Clock::now();
        // Sequence frames due by now.
        while (nextFrame < frames.size() && start + frames[nextFrame].Due <= now) {
            for (const TCntTrameData& entry : frames[nextFrame].Entries) {
                unit.SetLevel(entry.contactor, entry.value);
                LogChange(log, start, start + frames[nextFrame].Due, "seq", entry.contactor,
                          entry.value);
            }
            ++nextFrame;
        }
        if (!WriteAll(endpoint.Fd, unit.TakeDueReplies(now))) {
            std::fprintf(stderr, "lumivox-unit: writing failed: %s\n", std::strerror(errno));
            status = 1;
            break;
        }
        if (draw && now >= nextDraw) {
            Draw(unit, endpoint.Path, start, now, lastChange);
            nextDraw = now + 100ms;
        }

        // Sleep until a byte arrives or the next answer, frame or redraw is due.
        Clock::time_point wake = now + 1s;
        if (const auto due = unit.NextReplyDue())
            wake = std::min(wake, *due);
        if (nextFrame < frames.size())
            wake = std::min(wake, start + frames[nextFrame].Due);
        if (draw)
            wake = std::min(wake, nextDraw);
        const auto waitMs = std::chrono::ceil<std::chrono::milliseconds>(wake - now).count();
        pollfd watch{endpoint.Fd, POLLIN, 0};
        const int ready = poll(&watch, 1, static_cast<int>(std::max<long long>(waitMs, 0)));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            std::fprintf(stderr, "lumivox-unit: waiting failed: %s\n", std::strerror(errno));
            status = 1;
            break;
        }
        if (ready == 0 || !(watch.revents & POLLIN))
            continue;
        std::uint8_t buffer[512];
        const ssize_t n = read(endpoint.Fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0) {
            std::fprintf(stderr, "lumivox-unit: the device closed\n");
            status = 1;
            break;
        }
        now = Clock::now();
        for (ssize_t i = 0; i < n; ++i)
            if (const auto change = unit.Receive(buffer[i], now)) {
                LogChange(log, start, change->Arrival, "rs232", change->Output, change->Value);
                lastChange = change;
            }
        if (!WriteAll(endpoint.Fd, unit.TakeDueReplies(now))) {
            std::fprintf(stderr, "lumivox-unit: writing failed: %s\n", std::strerror(errno));
            status = 1;
            break;
        }
    }
    if (!linkPath.isEmpty())
        unlink(linkPath.constData());
    if (log && log != stdout)
        std::fclose(log);
    if (parser.isSet(state) && !WriteState(unit, parser.value(state))) {
        std::fprintf(stderr, "lumivox-unit: cannot write the state %s\n",
                     parser.value(state).toLocal8Bit().constData());
        status = 1;
    }
    return status;
}
