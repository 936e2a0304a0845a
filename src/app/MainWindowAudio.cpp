// The main window's audio options: the sound device menu and the output latency offset, with
// what the status bar shows of them.
#include "app/MainMenus.h"
#include "app/MainWindow.h"

#include "persistence/Preferences.h"
#include "show/ShowClock.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>

#include <algorithm>

namespace lumivox {

void TForm1::BuildAudioOptions() {
    DeviceChoice.Choose(TSoundDevice::FromKey(Preference->SoundDevice()));
    ShowTick->SetOutputOffsetMs(Preference->OutputOffsetMs());
    // Probing the sound libraries takes a moment: the list is looked for when the menu opens,
    // and until then holds the fixed choices and the one made.
    SoundDeviceItems.clear();
    connect(Menu->SoundDevice1, &QMenu::aboutToShow, this, &TForm1::RebuildSoundDeviceMenu);
    connect(Menu->OutputLatency1, &QAction::triggered, this, [this] { AskOutputOffset(); });
    std::vector<TSoundDevice> fixed{TSoundDevice{}};
    if (DeviceChoice.Device().Kind != TSoundDevice::TKind::Automatic &&
        DeviceChoice.Device().Kind != TSoundDevice::TKind::None)
        fixed.push_back(DeviceChoice.Device());
    fixed.push_back({TSoundDevice::TKind::None, {}, {}});
    for (const TSoundDevice& device : fixed)
        AddSoundDeviceItem(device);
    ShowOutputOffset();
}

void TForm1::AddSoundDeviceItem(const TSoundDevice& device) {
    // The device's name as it is: an '&' in it is no accelerator.
    QString caption = SoundDeviceLabel(device, Lang);
    if (device.Kind == TSoundDevice::TKind::PortAudio)
        caption.replace(QLatin1Char('&'), QLatin1String("&&"));
    QAction* item = Menu->SoundDevice1->addAction(caption);
    item->setObjectName(QStringLiteral("SoundDevice:") + device.Key());
    item->setCheckable(true);
    item->setData(device.Key());
    item->setChecked(device == DeviceChoice.Device());
    Menu->SoundDeviceGroup->addAction(item);
    connect(item, &QAction::triggered, this, [this, device] { ChooseSoundDevice(device); });
    SoundDeviceItems.push_back(item);
}

void TForm1::LabelSoundDeviceItems() {
    // The fixed choices follow the language; devices keep their own names.
    for (QAction* item : SoundDeviceItems) {
        const TSoundDevice device = TSoundDevice::FromKey(item->data().toString());
        if (device.Kind == TSoundDevice::TKind::Automatic ||
            device.Kind == TSoundDevice::TKind::None)
            item->setText(SoundDeviceLabel(device, Lang));
    }
}

void TForm1::RebuildSoundDeviceMenu() {
    for (QAction* item : SoundDeviceItems) {
        Menu->SoundDeviceGroup->removeAction(item);
        delete item;
    }
    SoundDeviceItems.clear();
    std::vector<TSoundDevice> devices = AvailableSoundDevices();
    // A device chosen earlier that is not there now stays listed, checked.
    const TSoundDevice& chosen = DeviceChoice.Device();
    const bool listed = std::any_of(devices.begin(), devices.end(),
                                    [&chosen](const TSoundDevice& d) { return d == chosen; });
    if (!listed)
        devices.insert(devices.end() - 1, chosen);
    for (const TSoundDevice& device : devices)
        AddSoundDeviceItem(device);
}

void TForm1::ChooseSoundDevice(const TSoundDevice& device) {
    Preference->SetSoundDevice(device.Key());
    DeviceChoice.Choose(device);
    MediaPlayer->ReopenOutputOnPlay();
    for (QAction* item : SoundDeviceItems)
        item->setChecked(item->data().toString() == device.Key());
}

void TForm1::AskOutputOffset() {
    const std::optional<int> ms =
        Ui->AskNumber(Text(TextTable::AudioOptions, AudioOptionsText::OutputOffsetPrompt, Lang),
                      Preference->OutputOffsetMs(), -Preferences::MaxOutputOffsetMs,
                      Preferences::MaxOutputOffsetMs);
    if (!ms)
        return;
    Preference->SetOutputOffsetMs(*ms);
    ShowTick->SetOutputOffsetMs(Preference->OutputOffsetMs());
    ShowOutputOffset();
}

void TForm1::ShowOutputOffset() {
    if (!OutputOffset)
        return;
    const int ms = ShowTick->OutputOffsetMs();
    if (ms == 0) {
        OutputOffset->clear();
        OutputOffset->hide();
        return;
    }
    OutputOffset->setText(Text(TextTable::AudioOptions, AudioOptionsText::OutputOffsetStatus, Lang)
                              .arg(QString::asprintf("%+d", ms)));
    OutputOffset->show();
}

} // namespace lumivox
