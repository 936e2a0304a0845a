// Listing the MIDI input ports through short-lived RtMidi clients.
#include "midi/MidiPortList.h"

#include "midi/JackServerWatch.h"

#include <RtMidi.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>

namespace lumivox {

namespace {

// For the RtMidi objects that only list ports: nothing to report.
void IgnoreError(RtMidiError::Type, const std::string&, void*) {}

bool IsOwnPort(const QString& name) {
    return name.startsWith(QLatin1String(MidiInputClientName));
}

// Without a sequencer device RtMidi's ALSA client cannot open; checking first keeps its
// complaint off the terminal.
bool AlsaSequencerPresent() {
    return ::access("/dev/snd/seq", F_OK) == 0;
}

} // namespace

std::string OwnClientName() {
    static std::atomic<int> counter{0};
    return std::string(MidiInputClientName) + ' ' + std::to_string(::getpid()) + '-' +
           std::to_string(++counter);
}

std::vector<QString> PortNames(RtMidiIn& in) {
    std::vector<QString> names;
    const unsigned int count = in.getPortCount();
    for (unsigned int i = 0; i < count; ++i)
        names.push_back(QString::fromStdString(in.getPortName(i)));
    return names;
}

std::vector<TMidiInputDevice> ListMidiInputDevices(RtMidiIn* openJackPort) {
    std::vector<TMidiInputDevice> devices;
    if (AlsaSequencerPresent()) {
        try {
            RtMidiIn alsa(RtMidi::LINUX_ALSA, OwnClientName());
            alsa.setErrorCallback(IgnoreError, nullptr);
            for (const QString& name : PortNames(alsa))
                if (!name.isEmpty() && !IsOwnPort(name))
                    devices.push_back({name, TMidiApi::Alsa});
        } catch (const RtMidiError&) {
            // No usable sequencer: no ALSA devices.
        }
    }

    std::vector<QString> jack;
    try {
        if (openJackPort != nullptr) {
            jack = PortNames(*openJackPort);
        } else if (JackServerReachable()) {
            RtMidiIn lister(RtMidi::UNIX_JACK, OwnClientName());
            lister.setErrorCallback(IgnoreError, nullptr);
            jack = PortNames(lister);
        }
    } catch (const RtMidiError&) {
        // No JACK server: no JACK devices.
    }
    std::sort(jack.begin(), jack.end());
    for (const QString& name : jack)
        if (!name.isEmpty() && !IsOwnPort(name))
            devices.push_back({name, TMidiApi::Jack});
    return devices;
}

} // namespace lumivox
