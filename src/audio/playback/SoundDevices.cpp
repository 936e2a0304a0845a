// The device list, the keys of its entries and opening the chosen one.
#include "audio/playback/SoundDevices.h"

#include "audio/playback/DeviceOutputSupport.h"

namespace lumivox {

namespace {
const QString NoneKey = QStringLiteral("none");
const QString JackKey = QStringLiteral("jack");
const QString PortAudioPrefix = QStringLiteral("pa:");
} // namespace

QString TSoundDevice::Key() const {
    switch (Kind) {
    case TKind::Automatic:
        return {};
    case TKind::None:
        return NoneKey;
    case TKind::Jack:
        return JackKey;
    case TKind::PortAudio:
        return PortAudioPrefix + HostApi + QLatin1Char(':') + Device;
    }
    return {};
}

TSoundDevice TSoundDevice::FromKey(const QString& key) {
    TSoundDevice device;
    if (key == NoneKey) {
        device.Kind = TKind::None;
    } else if (key == JackKey) {
        device.Kind = TKind::Jack;
    } else if (key.startsWith(PortAudioPrefix)) {
        // Host interfaces have no colon in their names; device names may.
        const QString rest = key.mid(PortAudioPrefix.size());
        const qsizetype colon = rest.indexOf(QLatin1Char(':'));
        if (colon > 0) {
            device.Kind = TKind::PortAudio;
            device.HostApi = rest.left(colon);
            device.Device = rest.mid(colon + 1);
        }
    }
    return device; // anything else: the automatic choice
}

std::vector<TSoundDevice> AvailableSoundDevices() {
    SilenceSoundLibraryMessages();
    std::vector<TSoundDevice> list{TSoundDevice{}};
    const QString server = RunningJackServer();
    if (!server.isEmpty())
        list.push_back({TSoundDevice::TKind::Jack, {}, server});
    for (const TPortAudioDevice& found : ListPortAudioDevices())
        list.push_back({TSoundDevice::TKind::PortAudio, found.HostApi, found.Device});
    list.push_back({TSoundDevice::TKind::None, {}, {}});
    return list;
}

std::unique_ptr<AudioOutput> SoundDeviceChoice::Open(long rate, IFrameSource& source) {
    WasMissing = false;
    std::unique_ptr<AudioOutput> output;
    switch (Chosen.Kind) {
    case TSoundDevice::TKind::Automatic:
        return OpenDeviceOutput(rate, source);
    case TSoundDevice::TKind::None:
        return nullptr;
    case TSoundDevice::TKind::Jack:
        SilenceSoundLibraryMessages();
        output = OpenJackOutput(source);
        break;
    case TSoundDevice::TKind::PortAudio:
        SilenceSoundLibraryMessages();
        output = OpenPortAudioOutputOn(Chosen.HostApi, Chosen.Device, rate, source);
        break;
    }
    if (output)
        return output;
    WasMissing = true;
    return OpenDeviceOutput(rate, source);
}

} // namespace lumivox
