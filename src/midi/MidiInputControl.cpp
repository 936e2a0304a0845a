// Opening, closing and choosing the MIDI input device for the main window.
#include "midi/MidiInputControl.h"

#include "core/UserInterface.h"
#include "model/ShowDocument.h"

namespace lumivox {

MidiInputControl::MidiInputControl(TMidiInput& input, ShowDocument& document, IUserInterface& ui,
                                   IMidiInputHost& host, const Language& language, QObject* parent)
    : QObject(parent), Input(input), Document(document), Ui(ui), Host(host), Lang(language) {
    connect(&Input, &TMidiInput::DeviceLost, this, &MidiInputControl::InputLost);
    BuildDeviceEntries();
}

void MidiInputControl::BuildDeviceEntries() {
    Entries.clear();
    const QStringList names = Input.DeviceNames();
    for (int i = 0; i < names.size(); ++i)
        Entries.push_back({names[i], i + 1});
}

QStringList MidiInputControl::DeviceCaptions() const {
    QStringList captions;
    for (const TMidiInputEntry& entry : Entries)
        captions << entry.Caption;
    return captions;
}

void MidiInputControl::RefreshDeviceEntries() {
    Input.RescanDevices();
    BuildDeviceEntries();
    Host.MidiInputEntriesChanged();
    if (!Name.isEmpty())
        ApplySavedName(Name);
}

void MidiInputControl::ApplySavedName(const QString& name) {
    for (const TMidiInputEntry& entry : Entries) {
        if (entry.Caption == name) {
            Name = name;
            CheckEntry(entry.Tag);
            return;
        }
    }
    Name.clear();
    CheckEntry(0);
}

void MidiInputControl::CheckEntry(int tag) {
    Checked = tag;
    Host.CheckMidiInputEntry(tag);
}

void MidiInputControl::OpenMidiInput() {
    CloseMidiInput();
    if (Name.isEmpty())
        return;
    // Only a listed device is opened: the input is pointed at it by name first.
    bool listed = false;
    for (const TMidiInputEntry& entry : Entries)
        listed = listed || entry.Caption == Name;
    if (!listed)
        return;
    try {
        Input.SetProductName(Name);
        if (Input.State() == TMidiInputState::Open)
            return;
        Input.Open();
        Input.Start();
    } catch (const EMidiInputError& error) {
        Ui.ReportError(error.Message());
        return;
    }
    IsOpen = true;
    Host.SetMidiMapEnabled(true);
    for (const auto& track : Document.Tracks()) {
        track->InputValue = 0;
        track->InputActive = false;
    }
}

void MidiInputControl::CloseMidiInput() {
    if (!IsOpen)
        return;
    // The input is closed even when closing reports an error, so the window follows it.
    MarkClosed();
    try {
        Input.Stop();
        Input.Close();
    } catch (const EMidiInputError& error) {
        Ui.ReportError(error.Message());
    }
}

void MidiInputControl::MenuMidiInputSelectClick(int tag) {
    QString caption;
    for (const TMidiInputEntry& entry : Entries)
        if (entry.Tag == tag)
            caption = entry.Caption;
    if (tag >= 1 && !caption.isEmpty()) {
        Name = caption;
        CheckEntry(tag);
    } else {
        Name.clear();
        CheckEntry(0);
    }
    OpenMidiInput();
}

void MidiInputControl::InputLost(const QString& /*message*/) {
    if (!IsOpen)
        return;
    MarkClosed();
    Ui.Warning(Text(TextTable::Extra, ExtraText::MidiDeviceLost, Lang).arg(Name));
}

void MidiInputControl::MarkClosed() {
    IsOpen = false;
    Host.SetMidiMapEnabled(false);
}

} // namespace lumivox
