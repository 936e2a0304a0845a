// The main window's MIDI side: the input device and its menu entries, the messages handed to
// the mapping, the activity light, and the MIDI Map dialog.
#include "app/MainWindow.h"

#include "dialogs/MidiMapDialog.h"
#include "timeline/Colors.h"
#include "timeline/LanesView.h"

#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QMenu>
#include <QTimer>

namespace lumivox {

void TForm1::BuildMidi() {
    MidiInput1 = new TMidiInput(this);
    MidiInput1->setObjectName(QStringLiteral("MidiInput1"));
    MidiInput1->SetCapacity(4096);
    MidiInput1->SetSysexBufferSize(4096);
    MidiControl = new MidiInputControl(*MidiInput1, Doc, *Ui, *this, Lang, this);
    Midi = std::make_unique<TMidiMapping>(Doc, *this, Lang);
    Form6 = new TForm6(this);
    Midi->SetLearner(Form6);
    BuildMidiInputEntries();
    // One message per delivery, handled on this thread.
    connect(MidiInput1, &TMidiInput::MidiInput, this, [this] {
        if (const std::optional<TMyMidiEvent> event = MidiInput1->GetMidiEvent())
            Midi->MidiInput1MidiInput(*event);
    });
}

void TForm1::BuildMidiInputEntries() {
    for (QAction* item : MidiDeviceItems) {
        Menu->MidiGroup->removeAction(item);
        delete item;
    }
    MidiDeviceItems.clear();
    for (const TMidiInputEntry& entry : MidiControl->DeviceEntries()) {
        QAction* item = Menu->AddMidiDevice(entry.Caption, entry.Tag - 1);
        const int tag = entry.Tag;
        connect(item, &QAction::triggered, this,
                [this, tag] { MidiControl->MenuMidiInputSelectClick(tag); });
        MidiDeviceItems.push_back(item);
    }
    CheckMidiInputEntry(MidiControl->CheckedTag());
}

void TForm1::SetMidiMapEnabled(bool enabled) {
    Menu->MIDIMap1->setEnabled(enabled);
}

void TForm1::CheckMidiInputEntry(int tag) {
    if (tag == 0) {
        Menu->None1->setChecked(true);
        return;
    }
    for (QAction* item : MidiDeviceItems)
        if (item->data().toInt() == tag)
            item->setChecked(true);
}

void TForm1::MidiInputEntriesChanged() {
    BuildMidiInputEntries();
}

void TForm1::LightMidiActivity() {
    QPalette lit = MidiActivityLight->palette();
    lit.setColor(QPalette::Window, ToQColor(MidiActivityLitColor));
    MidiActivityLight->setPalette(lit);
}

void TForm1::RepaintSlot(int track, int slot) {
    LanesArea->RepaintSlots(track, slot, slot);
}

} // namespace lumivox
