// The sound devices the operator may choose to play on: the JACK server when one runs, every
// stereo output device PortAudio reports, or none at all (the silent clock). A choice is kept
// as a short key; opening it falls back to the automatic choice when the device is not there.
#pragma once

#include "audio/playback/AudioOutput.h"

#include <QString>

#include <memory>
#include <vector>

namespace lumivox {

// A PortAudio output device, by host interface and device name.
struct TPortAudioDevice {
    QString HostApi;
    QString Device;
};

// Every PortAudio output device that takes a stereo stream, its JACK interface excepted (a
// JACK server is reached by a client of the editor's own). Empty when PortAudio does not
// answer within the device opening bound.
std::vector<TPortAudioDevice> ListPortAudioDevices();

// The name of the JACK server that answers a client now (JACK_DEFAULT_SERVER or "default");
// empty when none runs. Never starts a server.
QString RunningJackServer();

// Opens the PortAudio device `hostApi` / `device` (the default output device when both are
// empty), at `rate` when it takes it and else at its own rate. Empty when it cannot be opened.
std::unique_ptr<AudioOutput> OpenPortAudioOutputOn(const QString& hostApi, const QString& device,
                                                   long rate, IFrameSource& source);

// One entry of the device list: the key kept in the preferences, and what it names.
struct TSoundDevice {
    enum class TKind { Automatic, None, Jack, PortAudio };
    TKind Kind = TKind::Automatic;
    QString HostApi; // PortAudio devices only
    QString Device;  // the PortAudio device, or the JACK server's name when known

    // "" automatic, "none", "jack", or "pa:HOST:DEVICE".
    QString Key() const;
    static TSoundDevice FromKey(const QString& key);
    bool operator==(const TSoundDevice& other) const { return Key() == other.Key(); }
};

// The list Options shows: the automatic choice, the JACK server when one runs, the PortAudio
// devices, then no device. Probes the sound libraries (bounded, about two seconds at most).
std::vector<TSoundDevice> AvailableSoundDevices();

// The device the player opens, as the operator chose it.
class SoundDeviceChoice {
public:
    void Choose(const TSoundDevice& device) { Chosen = device; }
    const TSoundDevice& Device() const { return Chosen; }

    // Opens the chosen device. When it cannot be had, the automatic choice opens instead and
    // Missing() says so until the next Open; with no device chosen, nothing opens (the
    // player plays on its silent clock).
    std::unique_ptr<AudioOutput> Open(long rate, IFrameSource& source);
    // The chosen device was not found at the last Open.
    bool Missing() const { return WasMissing; }

private:
    TSoundDevice Chosen;
    bool WasMissing = false;
};

} // namespace lumivox
