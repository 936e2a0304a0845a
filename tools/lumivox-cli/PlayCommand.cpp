// lumivox-cli play: reads the project, opens its song in the real audio player (the silent
// clock when no sound device opens) and runs the editor's show clock over it, so the unit on
// --port gets exactly what the editor would send in real-time mode. SIGINT or SIGTERM stops
// the show; the song's end does too. Either way every output is sent 0 before the exit.
#include "lumivox-cli/PlayCommand.h"

#include "audio/AudioPlayer.h"
#include "audio/SongImport.h"
#include "audio/SongLoader.h"
#include "audio/Transport.h"
#include "lumivox-cli/CliCommands.h"
#include "lumivox-cli/CliUsage.h"
#include "lumivox-cli/ConsoleUserInterface.h"
#include "model/ShowDocument.h"
#include "output/DmxOutput.h"
#include "output/RealTimeOutput.h"
#include "output/SerialLink.h"
#include "output/ShowClock.h"
#include "persistence/ProjectFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace lumivox::cli {

namespace {

constexpr Language PlayLanguage = Language::English;
// How long the blackout may take over the serial link before the tool gives up on it.
constexpr int BlackoutLimitMs = 10000;

void Say(std::FILE* stream, const QString& text) {
    std::fprintf(stream, "%s\n", text.toUtf8().constData());
    std::fflush(stream);
}

int Refuse(const QString& text) {
    Say(stderr, QStringLiteral("lumivox-cli: ") + text);
    return ExitRefused;
}

int Usage(const QString& text) {
    return UsageError(QStringLiteral("play"), text);
}

// --------------------------------------------------------------------------------------------
// Stopping on a signal: the handler only writes a byte to a socket the event loop watches.

int SignalSockets[2] = {-1, -1};

extern "C" void OnStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(SignalSockets[0], &byte, 1);
}

bool CatchStopSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, SignalSockets) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGTERM, &action, nullptr) == 0;
}

// --------------------------------------------------------------------------------------------
// The DMX output: the editor's, fed by the same show clock (and so the same shifted slot) as
// the serial link.

constexpr int DmxBlackoutLimitMs = 3000;

class ILiveOutput {
public:
    virtual ~ILiveOutput() = default;
    // Sends every output 0; true once it has been delivered.
    virtual bool Blackout() = 0;
};

class DmxLiveOutput : public ILiveOutput {
public:
    DmxLiveOutput(IUserInterface& ui, const Language& lang, ShowClock& clock, unsigned universe,
                  std::uint16_t olaPort)
        : Clock(clock), Dmx(ui, lang, olaPort) {
        Dmx.SetUniverse(universe);
        Dmx.SetEnabled(true);
        Dmx.SetLive(true);
        Clock.SetDmxOutput(&Dmx);
    }
    ~DmxLiveOutput() override { Clock.SetDmxOutput(nullptr); }
    DmxLiveOutput(const DmxLiveOutput&) = delete;
    DmxLiveOutput& operator=(const DmxLiveOutput&) = delete;

    // The clock is stopped by then, so nothing builds another frame over the blackout.
    bool Blackout() override {
        Clock.SetDmxOutput(nullptr);
        Dmx.Blackout();
        QElapsedTimer since;
        since.start();
        while (!Dmx.NewestDelivered()) {
            if (since.elapsed() > DmxBlackoutLimitMs) {
                std::fprintf(stderr, "lumivox-cli: the blackout did not reach olad\n");
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

private:
    ShowClock& Clock;
    TDmxOutput Dmx;
};

std::unique_ptr<ILiveOutput> OpenDmxOutput(IUserInterface& ui, const Language& lang,
                                           ShowClock& clock, unsigned universe,
                                           std::uint16_t olaPort) {
    return std::make_unique<DmxLiveOutput>(ui, lang, clock, universe, olaPort);
}

std::optional<unsigned> ParseUniverse(const QString& text) {
    bool ok = false;
    const qlonglong universe = text.toLongLong(&ok);
    if (!ok || universe < 0 || universe > 0xFFFFFFFFLL)
        return std::nullopt;
    return static_cast<unsigned>(universe);
}

// --------------------------------------------------------------------------------------------

struct PlayArguments {
    QString Project;
    QString Port;
    std::optional<unsigned> Universe;
    std::uint16_t OlaPort = TDmxOutput::DefaultServerPort;
    int OffsetMs = 0; // the outputs' lead over the heard song
    QString Error;
};

PlayArguments ParsePlay(const QStringList& args) {
    PlayArguments parsed;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--port") || arg == QLatin1String("--dmx") ||
            arg == QLatin1String("--ola-port") || arg == QLatin1String("--offset")) {
            if (i + 1 >= args.size()) {
                parsed.Error = QStringLiteral("option %1 needs a value").arg(arg);
                return parsed;
            }
            const QString& value = args[++i];
            if (arg == QLatin1String("--port")) {
                parsed.Port = value;
                continue;
            }
            if (arg == QLatin1String("--offset")) {
                bool ok = false;
                const int ms = value.toInt(&ok);
                if (!ok || ms < -ShowClock::MaxOutputOffsetMs ||
                    ms > ShowClock::MaxOutputOffsetMs) {
                    parsed.Error =
                        QStringLiteral("--offset needs milliseconds from -%1 to %1, not %2")
                            .arg(ShowClock::MaxOutputOffsetMs)
                            .arg(value);
                    return parsed;
                }
                parsed.OffsetMs = ms;
                continue;
            }
            if (arg == QLatin1String("--ola-port")) {
                bool ok = false;
                const uint port = value.toUInt(&ok);
                if (!ok || port == 0 || port > 65535) {
                    parsed.Error =
                        QStringLiteral("--ola-port needs a port number (1 to 65535), not %1")
                            .arg(value);
                    return parsed;
                }
                parsed.OlaPort = static_cast<std::uint16_t>(port);
                continue;
            }
            parsed.Universe = ParseUniverse(value);
            if (!parsed.Universe) {
                parsed.Error =
                    QStringLiteral("--dmx needs a universe number (0 to 4294967295), not %1")
                        .arg(value);
                return parsed;
            }
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            parsed.Error = QStringLiteral("unknown option %1").arg(arg);
            return parsed;
        } else if (parsed.Project.isEmpty()) {
            parsed.Project = arg;
        } else {
            parsed.Error = QStringLiteral("play needs one PROJECT");
            return parsed;
        }
    }
    if (parsed.Error.isEmpty() && parsed.Project.isEmpty())
        parsed.Error = QStringLiteral("play needs one PROJECT");
    return parsed;
}

// The show and everything that plays it, in the editor's order of construction.
struct PlayedShow {
    ShowDocument Doc;
    ConsoleUserInterface Ui;
    Language Lang = PlayLanguage;
    AudioPlayer Player;
    HeadlessImportRunner Runner{Ui};
    SongLoader Songs{Doc, Ui, Lang, Player, Runner};
    ProjectFile File{Doc, Ui, Songs, Lang};
    SerialLink Link;
    RealTimeOutput Output{Link, Ui, Lang};
    ShowClock Clock{Player, Doc, Output};
    std::unique_ptr<ILiveOutput> Dmx;

    bool Stopping = false;
    int ExitCode = ExitDone;

    int SlotAt(std::int64_t ms) const {
        const int slotMs = ResolutionMs(Doc.ResolutionIndex());
        return slotMs > 0 ? static_cast<int>(ms / slotMs) : 0;
    }

    // The per-tick work while the song plays; the song's end stops the show.
    void Tick() {
        if (Stopping)
            return;
        if (Player.Mode() == TMediaMode::Playing)
            Clock.TickWork(SlotAt(Player.PositionMs()));
        else
            Stop(ExitDone, QStringLiteral("End of the song."));
    }

    void Start() {
        Player.Seek(0);
        Player.Play();
        Clock.Enable(true);
        Clock.Resync();
        Tick();
    }

    // Stops the clock and the song, sends every output 0 and leaves the event loop.
    void Stop(int code, const QString& why) {
        if (Stopping)
            return;
        Stopping = true;
        ExitCode = code;
        Clock.Enable(false);
        Player.Stop();
        Say(stdout, why);
        if (Dmx && !Dmx->Blackout())
            ExitCode = ExitRefused;
        if (!Output.Active()) {
            QCoreApplication::exit(ExitCode);
            return;
        }
        for (int output = 0; output < RealTimeOutput::OutputCount; ++output)
            Output.Want(static_cast<std::uint8_t>(output), 0, true);
        Output.SendQueued();
        auto* wait = new QTimer(&Link);
        auto* since = new QElapsedTimer;
        since->start();
        QObject::connect(wait, &QTimer::timeout, &Link, [this, wait, since] {
            const bool done = !Output.Sending() && Output.QueuedCount() == 0;
            if (!done && Output.Active() && since->elapsed() < BlackoutLimitMs)
                return;
            if (!done) {
                Say(stderr, QStringLiteral("lumivox-cli: the blackout did not reach the unit"));
                ExitCode = ExitRefused;
            }
            wait->stop();
            delete since;
            QCoreApplication::exit(ExitCode);
        });
        wait->start(5);
    }
};

} // namespace

int CommandPlay(const QStringList& args) {
    const PlayArguments a = ParsePlay(args);
    if (!a.Error.isEmpty())
        return Usage(a.Error);
    PlayedShow show;
    show.Doc.SetProjectName(Text(TextTable::CommonTexts, CommonText::NewProject, show.Lang));
    show.Doc.ProjectFileName = a.Project;
    if (!show.File.ReadProject(a.Project))
        return Refuse(QStringLiteral("cannot read the project %1").arg(a.Project));
    show.Doc.SetResolution(show.Doc.Project().Resolution);
    if (!show.Player.IsOpen())
        return Refuse(QStringLiteral("the project's song cannot be played"));

    if (!a.Port.isEmpty()) {
        show.Output.ChoosePort(a.Port);
        show.Output.ToggleMode();
        if (!show.Output.Active())
            return Refuse(QStringLiteral("cannot open the serial port %1").arg(a.Port));
    }
    show.Clock.SetOutputOffsetMs(a.OffsetMs);
    if (a.Universe) {
        show.Dmx = OpenDmxOutput(show.Ui, show.Lang, show.Clock, *a.Universe, a.OlaPort);
    }
    if (!CatchStopSignals())
        return Refuse(QStringLiteral("cannot watch for Ctrl+C"));
    QSocketNotifier stopSignal(SignalSockets[1], QSocketNotifier::Read);
    QObject::connect(&stopSignal, &QSocketNotifier::activated, &show.Link, [&show] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(SignalSockets[1], &byte, 1);
        show.Stop(ExitDone, QStringLiteral("Stopped."));
    });
    // A link that fails while the show plays ends it: the unit no longer follows.
    QObject::connect(&show.Output, &RealTimeOutput::ModeChanged, &show.Link, [&show](bool on) {
        if (!on && !show.Stopping)
            show.Stop(ExitRefused, QStringLiteral("The link to the unit failed."));
    });
    QObject::connect(&show.Clock, &ShowClock::OutputLost, &show.Link, [] {
        Say(stderr, QStringLiteral("lumivox-cli: the sound device was lost; the show goes on "
                                   "on the system clock"));
    });
    show.Clock.SetPositionUpdate([&show] { show.Tick(); });
    show.Clock.SetOutputWatch([&show] { return show.Player.PollOutput(); });

    const TOutputInfo sound = show.Player.OutputInfo();
    const QString where = sound.Kind == TOutputKind::Device
                              ? sound.HostApi + QStringLiteral(": ") + sound.Device
                              : QStringLiteral("no sound device (silent clock)");
    Say(stdout,
        QStringLiteral("Playing %1 (%2) on %3%4")
            .arg(show.Doc.Project().Mp3FileName, Transport::FormatTime(show.Player.LengthMs()),
                 where, a.Port.isEmpty() ? QString() : QStringLiteral(", unit on ") + a.Port));
    show.Start();
    return QCoreApplication::exec();
}

} // namespace lumivox::cli
