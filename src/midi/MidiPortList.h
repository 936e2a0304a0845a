// The MIDI input ports the editor offers as devices: those of the ALSA sequencer and of a
// running JACK server, without the ports of our own clients, and the names those clients
// take.
#pragma once

#include <QString>

#include <string>
#include <vector>

class RtMidiIn;

namespace lumivox {

// The MIDI system a port belongs to.
enum class TMidiApi { Alsa, Jack };

// One input device: a port that sends MIDI, named as its MIDI system names it.
struct TMidiInputDevice {
    QString Name;
    TMidiApi Api = TMidiApi::Alsa;
    friend bool operator==(const TMidiInputDevice&, const TMidiInputDevice&) = default;
};

// The names of our own MIDI clients begin with this, followed by the process id (a JACK
// server may add a suffix besides); ports of these clients are never offered as devices.
inline constexpr const char* MidiInputClientName = "Lumivox MIDI Input";

// A name for each client we open: our clients' name, the process id and a count. Two
// processes asking the JACK server for the same client name at the same moment can both be
// given it, and one of them then fails to open.
std::string OwnClientName();

// The names of the input ports `in` can open, in its order.
std::vector<QString> PortNames(RtMidiIn& in);

// The input ports of the ALSA sequencer in the order it numbers them (none when the machine
// has no sequencer), then those of a running JACK server sorted by name. `openJackPort` is
// our open JACK port, if any: the JACK ports are then read through it, since a new client
// could free its memory if the server has just stopped.
std::vector<TMidiInputDevice> ListMidiInputDevices(RtMidiIn* openJackPort);

} // namespace lumivox
