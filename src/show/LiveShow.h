// The live show: the show clock over the player and the list of live outputs it feeds, with
// the blackout that sends every output 0 on all of them at once. The editor and the headless
// player build the same live show; an output joins it by AddOutput and nothing else.
#pragma once

#include "audio/playback/MediaPlayer.h"
#include "model/ShowDocument.h"
#include "output/LiveOutput.h"
#include "show/ShowClock.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

class QTimer;

namespace lumivox {

class LiveShow : public QObject {
    Q_OBJECT
public:
    // How often a running blackout looks at its outputs.
    static constexpr int BlackoutPollMs = 5;

    LiveShow(IMediaPlayer& player, ShowDocument& document, QObject* parent = nullptr);

    IMediaPlayer& Player() { return Media; }
    ShowClock& Clock() { return *Ticks; }
    const ShowClock& Clock() const { return *Ticks; }

    // The output is fed from the next tick on, and told the whole state then when the song
    // plays. The live show does not own it; it must stay until removed or the show ends.
    void AddOutput(ILiveOutput& output);
    void RemoveOutput(ILiveOutput& output);
    const std::vector<ILiveOutput*>& Outputs() const { return Ticks->Outputs(); }

    // Every output's blackout at once, waited for in the event loop, each output for its
    // own patience at most; the clock's per-slot work is stopped first so no tick builds
    // anything over it. BlackoutFinished follows once, from the event loop. A blackout asked
    // while one runs starts them all again.
    void Blackout();
    bool BlackingOut() const;

    struct TOutputState {
        QString Name;
        TOutputHealth Health = TOutputHealth::Off;
    };
    std::vector<TOutputState> Health() const;

Q_SIGNALS:
    // The blackout has ended: `unconfirmed` names the outputs whose far end did not take it
    // (empty when every output is dark).
    void BlackoutFinished(const QStringList& unconfirmed);

private:
    void CheckBlackout();

    IMediaPlayer& Media;
    ShowClock* Ticks;
    QTimer* BlackoutPoll;
    QElapsedTimer BlackoutSince;
    std::vector<ILiveOutput*> Waiting; // outputs whose blackout is still pending
    QStringList Unconfirmed;
};

} // namespace lumivox
