// The main window's side of the show clock and the sound output: the tick's state, the slot
// length, and the status bar's sound output with the warning when the device is lost.
#include "app/MainWindow.h"

#include "show/ShowClock.h"

#include <QLabel>

namespace lumivox {

bool TForm1::TickRunning() const {
    return ShowTick->Running();
}

int TForm1::SlotMs() const {
    return ResolutionMs(Doc.ResolutionIndex());
}

bool TForm1::HasWaveform() const {
    return !Loader->WavePeaks.empty();
}

namespace {

// The sound output as the operator knows it: the JACK server, or the host's device.
QString DeviceName(const TOutputInfo& info, Language language) {
    if (info.Jack)
        return Text(TextTable::Extra, ExtraText::JackServer, language) + QLatin1Char(' ') +
               info.Device;
    return info.HostApi.isEmpty() ? info.Device : info.HostApi + QStringLiteral(": ") + info.Device;
}

} // namespace

QString SoundDeviceLabel(const TSoundDevice& device, Language language) {
    switch (device.Kind) {
    case TSoundDevice::TKind::Automatic:
        return Text(TextTable::AudioOptions, AudioOptionsText::AutomaticDevice, language);
    case TSoundDevice::TKind::None:
        return Text(TextTable::AudioOptions, AudioOptionsText::NoDevice, language);
    case TSoundDevice::TKind::Jack: {
        const QString server = Text(TextTable::Extra, ExtraText::JackServer, language);
        return device.Device.isEmpty() ? server : server + QLatin1Char(' ') + device.Device;
    }
    case TSoundDevice::TKind::PortAudio:
        return device.HostApi + QStringLiteral(": ") + device.Device;
    }
    return {};
}

void TForm1::ShowSoundOutput() {
    const TOutputInfo info = MediaPlayer->OutputInfo();
    QString text;
    if (!MediaPlayer->IsOpen() && !info.Lost) {
        SoundOutput->clear(); // no song: nothing plays anywhere yet
        SoundOutput->setToolTip(QString());
        return;
    }
    if (info.Kind == TOutputKind::Device) {
        QString device = DeviceName(info, Lang);
        if (info.DeviceRate > 0)
            device += QStringLiteral(", %1 Hz").arg(info.DeviceRate);
        text = Text(TextTable::Extra, ExtraText::SoundOutput, Lang).arg(device);
    } else {
        text = Text(TextTable::Extra,
                    info.Lost ? ExtraText::LostSilentClock : ExtraText::SilentClock, Lang);
    }
    if (info.Missing)
        text = Text(TextTable::AudioOptions, AudioOptionsText::DeviceMissing, Lang)
                   .arg(SoundDeviceLabel(DeviceChoice.Device(), Lang), text);
    SoundOutput->setText(text);
    SoundOutput->setToolTip(text);
}

void TForm1::WarnSoundDeviceLost() {
    ShowSoundOutput();
    Ui->Warning(Text(TextTable::Extra, ExtraText::SoundDeviceLost, Lang)
                    .arg(DeviceName(MediaPlayer->OutputInfo(), Lang)));
}

} // namespace lumivox
