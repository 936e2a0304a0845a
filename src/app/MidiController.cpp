// The MIDI input's menu entries, the mapping fed from the input, the activity light and the
// MIDI Map dialog.
#include "app/MidiController.h"

#include "app/MainMenus.h"
#include "dialogs/MidiMapDialog.h"
#include "midi/MidiInput.h"
#include "timeline/TimelineStyle.h"

#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QTimer>

namespace lumivox {

MidiController::MidiController(ShowDocument& document, IUserInterface& ui, const Language& language,
                               TMainMenus& menus, QFrame& activityLight, THooks hooks,
                               QWidget* window)
    : QObject(window), Menus(menus), Light(activityLight), Hooks(std::move(hooks)),
      MidiInput1(new TMidiInput(this)), Form6(new TForm6(window)), LightTimer(new QTimer(this)) {
    MidiInput1->setObjectName(QStringLiteral("MidiInput1"));
    MidiInput1->SetCapacity(4096);
    MidiInput1->SetSysexBufferSize(4096);
    Control = new MidiInputControl(*MidiInput1, document, ui, *this, language, this);
    Map = std::make_unique<TMidiMapping>(document, *this, language);
    Map->SetLearner(Form6);
    BuildInputEntries();
    // One message per delivery, handled on this thread.
    connect(MidiInput1, &TMidiInput::MidiInput, this, [this] {
        if (const std::optional<TMyMidiEvent> event = MidiInput1->GetMidiEvent())
            Map->MidiInput1MidiInput(*event);
    });
    connect(Menus.None1, &QAction::triggered, this,
            [this] { Control->MenuMidiInputSelectClick(0); });
    connect(Menus.MIDIMap1, &QAction::triggered, this,
            [this] { Map->MIDIMap1Click(Hooks.PopupTrack(), *Form6); });
    Menus.MIDIMap1->setEnabled(false);

    // The light goes dark again 200 ms after the last message lit it.
    LightTimer->setObjectName(QStringLiteral("Timer3"));
    LightTimer->setInterval(200);
    connect(LightTimer, &QTimer::timeout, this, [this] {
        QPalette grey = Light.palette();
        grey.setColor(QPalette::Window, ToQColor(MidiActivityIdleColor));
        Light.setPalette(grey);
    });
}

MidiController::~MidiController() {
    // The input and its control go first, while the mapping and the menu entries they may
    // still reach exist.
    delete Control;
    delete MidiInput1;
}

void MidiController::Start() {
    LightTimer->start();
    Control->OpenMidiInput();
}

void MidiController::BuildInputEntries() {
    for (QAction* item : DeviceItems) {
        Menus.MidiGroup->removeAction(item);
        delete item;
    }
    DeviceItems.clear();
    for (const TMidiInputEntry& entry : Control->DeviceEntries()) {
        QAction* item = Menus.AddMidiDevice(entry.Caption, entry.Tag - 1);
        const int tag = entry.Tag;
        connect(item, &QAction::triggered, this,
                [this, tag] { Control->MenuMidiInputSelectClick(tag); });
        DeviceItems.push_back(item);
    }
    CheckMidiInputEntry(Control->CheckedTag());
}

void MidiController::SetMidiMapEnabled(bool enabled) {
    Menus.MIDIMap1->setEnabled(enabled);
}

void MidiController::CheckMidiInputEntry(int tag) {
    if (tag == 0) {
        Menus.None1->setChecked(true);
        return;
    }
    for (QAction* item : DeviceItems)
        if (item->data().toInt() == tag)
            item->setChecked(true);
}

void MidiController::MidiInputEntriesChanged() {
    BuildInputEntries();
}

void MidiController::LightMidiActivity() {
    QPalette lit = Light.palette();
    lit.setColor(QPalette::Window, ToQColor(MidiActivityLitColor));
    Light.setPalette(lit);
}

void MidiController::StopTransport() {
    Hooks.StopTransport();
}

void MidiController::TakeSnapshot() {
    Hooks.TakeSnapshot();
}

} // namespace lumivox
