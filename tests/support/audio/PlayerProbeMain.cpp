// A program that plays a song through AudioPlayer on the preferred device, for the tests that
// must watch a whole process: what it prints on the terminal, and that it leaves promptly
// after its device froze or vanished.
//
//   player_probe SONG PLAY_MS     plays for PLAY_MS, polling the output like the show clock;
//                                 ends early, closing the player, once a loss was reported
//
// On standard output, one line each: "output NAME RATE" once open, "playing" once playing,
// "lost" when PollOutput reported a loss, "closed" after Close, "done" as the last thing.
#include "audio/playback/AudioPlayer.h"

#include <QCoreApplication>
#include <QString>

#include <chrono>
#include <cstdio>
#include <thread>

using namespace lumivox;

namespace {

void Say(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: player_probe SONG PLAY_MS\n");
        return 1;
    }
    const QString song = QString::fromLocal8Bit(argv[1]);
    const auto playFor = std::chrono::milliseconds(std::atoi(argv[2]));
    AudioPlayer player;
    if (!player.Open(song))
        return 2;
    const TOutputInfo info = player.OutputInfo();
    Say(QStringLiteral("output %1 %2").arg(player.OutputName()).arg(info.DeviceRate));
    player.Play();
    Say(QStringLiteral("playing"));
    const auto end = std::chrono::steady_clock::now() + playFor;
    while (std::chrono::steady_clock::now() < end) {
        if (player.PollOutput()) {
            Say(QStringLiteral("lost"));
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    player.Close();
    Say(QStringLiteral("closed"));
    Say(QStringLiteral("done"));
    return 0;
}
