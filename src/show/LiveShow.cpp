// The live show's outputs and its blackout over all of them.
#include "show/LiveShow.h"

#include <QTimer>

#include <algorithm>

namespace lumivox {

LiveShow::LiveShow(IMediaPlayer& player, ShowDocument& document, QObject* parent)
    : QObject(parent), Media(player), Ticks(new ShowClock(player, document, this)),
      BlackoutPoll(new QTimer(this)) {
    BlackoutPoll->setInterval(BlackoutPollMs);
    connect(BlackoutPoll, &QTimer::timeout, this, &LiveShow::CheckBlackout);
}

void LiveShow::AddOutput(ILiveOutput& output) {
    Ticks->AddOutput(output);
    output.RequestChase();
}

void LiveShow::RemoveOutput(ILiveOutput& output) {
    Ticks->RemoveOutput(output);
    Waiting.erase(std::remove(Waiting.begin(), Waiting.end(), &output), Waiting.end());
}

void LiveShow::Blackout() {
    Ticks->Enable(false);
    Unconfirmed.clear();
    Waiting.clear();
    // All started before any is waited for: a far end that does not answer holds up nobody.
    for (ILiveOutput* output : Ticks->Outputs()) {
        output->StartBlackout();
        Waiting.push_back(output);
    }
    BlackoutSince.start();
    // Looked at from the event loop only, so BlackoutFinished never comes from inside this
    // call, even with nothing to black out.
    BlackoutPoll->start();
}

void LiveShow::CheckBlackout() {
    const qint64 elapsed = BlackoutSince.elapsed();
    auto settled = [this, elapsed](ILiveOutput* output) {
        switch (output->BlackoutState()) {
        case TBlackoutState::Delivered:
            return true;
        case TBlackoutState::Failed:
            Unconfirmed << output->OutputName();
            return true;
        case TBlackoutState::Pending:
            break;
        }
        if (elapsed < output->BlackoutPatienceMs())
            return false;
        Unconfirmed << output->OutputName();
        return true;
    };
    Waiting.erase(std::remove_if(Waiting.begin(), Waiting.end(), settled), Waiting.end());
    if (!Waiting.empty())
        return;
    BlackoutPoll->stop();
    Q_EMIT BlackoutFinished(Unconfirmed);
}

bool LiveShow::BlackingOut() const {
    return BlackoutPoll->isActive();
}

std::vector<LiveShow::TOutputState> LiveShow::Health() const {
    std::vector<TOutputState> states;
    for (const ILiveOutput* output : Ticks->Outputs())
        states.push_back({output->OutputName(), output->Health()});
    return states;
}

} // namespace lumivox
