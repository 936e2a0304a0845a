// lumivox-cli play: reads the project, opens its song in the real audio player (the silent
// clock when no sound device opens) and runs the editor's show clock over it, so the unit on
// --port gets exactly what the editor would send in real-time mode. SIGINT or SIGTERM stops
// the show; the song's end does too. Either way every output is sent 0 before the exit.
#include "lumivox-cli/PlayCommand.h"

#include "audio/decode/SongImport.h"
#include "audio/decode/SongLoader.h"
#include "audio/playback/AudioPlayer.h"
#include "core/SlotTime.h"
#include "lumivox-cli/CliCommands.h"
#include "lumivox-cli/CliUsage.h"
#include "lumivox-cli/ConsoleUserInterface.h"
#include "model/ShowDocument.h"
#include "output/DmxOutput.h"
#include "output/RealTimeOutput.h"
#include "output/SerialLink.h"
#include "persistence/ProjectFile.h"
#include "show/LiveShow.h"
#include "show/Transport.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace lumivox::cli {

namespace {

constexpr Language PlayLanguage = Language::English;
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

// The show and everything that plays it, in the editor's order of construction; the live
// show feeds the serial link and, with --dmx, DMX, as the editor's does.
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
    LiveShow Live{Player, Doc};
    std::unique_ptr<TDmxOutput> Dmx;

    bool Stopping = false;
    int ExitCode = ExitDone;

    PlayedShow() {
        Live.AddOutput(Output);
        QObject::connect(
            &Live, &LiveShow::BlackoutFinished, &Live, [this](const QStringList& unconfirmed) {
                for (const QString& output : unconfirmed)
                    Say(stderr, QStringLiteral("lumivox-cli: the blackout did not reach the "
                                               "%1")
                                    .arg(output));
                if (!unconfirmed.isEmpty())
                    ExitCode = ExitRefused;
                QCoreApplication::exit(ExitCode);
            });
    }

    void UseDmx(unsigned universe, std::uint16_t olaPort) {
        Dmx = std::make_unique<TDmxOutput>(Ui, Lang, olaPort);
        Dmx->SetUniverse(universe);
        Dmx->SetEnabled(true);
        Dmx->SetLive(true);
        Live.AddOutput(*Dmx);
    }

    // The per-tick work while the song plays; the song's end stops the show.
    void Tick() {
        if (Stopping)
            return;
        if (Player.Mode() == TMediaMode::Playing)
            Live.Clock().TickWork(SlotAtMs(Player.PositionMs(), SlotMs()) - 1);
        else
            Stop(ExitDone, QStringLiteral("End of the song."));
    }

    int SlotMs() const { return ResolutionMs(Doc.ResolutionIndex()); }

    void Start() {
        Player.Seek(0);
        Player.Play();
        Live.Clock().Enable(true);
        Live.Clock().Resync();
        Tick();
    }

    // Stops the song, blacks every output out at once and leaves the event loop when they
    // are dark, or when an output's far end has not answered in time.
    void Stop(int code, const QString& why) {
        if (Stopping)
            return;
        Stopping = true;
        ExitCode = code;
        Player.Stop();
        Say(stdout, why);
        Live.Blackout();
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
    show.Live.Clock().SetOutputOffsetMs(a.OffsetMs);
    if (a.Universe)
        show.UseDmx(*a.Universe, a.OlaPort);
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
    QObject::connect(&show.Live.Clock(), &ShowClock::OutputLost, &show.Link, [] {
        Say(stderr, QStringLiteral("lumivox-cli: the sound device was lost; the show goes on "
                                   "on the system clock"));
    });
    show.Live.Clock().SetPositionUpdate([&show] { show.Tick(); });
    show.Live.Clock().SetOutputWatch([&show] { return show.Player.PollOutput(); });

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
