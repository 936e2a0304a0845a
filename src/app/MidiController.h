// The window's MIDI side: the input device with its entries in the MIDI menu, the messages
// handed to the mapping, the activity light beside the status bar's "MIDI" caption, and the
// MIDI Map dialog. It owns them and their connections; the window gives it the menus, the
// light and what MIDI asks of the rest of the show (stopping the transport, an undo step,
// the track the header menu was opened on).
#pragma once

#include "core/LanguageTables.h"
#include "core/UserInterface.h"
#include "midi/MidiInputControl.h"
#include "midi/MidiMapping.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QFrame;
class QTimer;
class QWidget;

namespace lumivox {

class ShowDocument;
class TForm6;
class TMainMenus;
class TMidiInput;

class MidiController : public QObject, public IMidiInputHost, public IMidiMappingHost {
    Q_OBJECT
public:
    struct THooks {
        std::function<void()> StopTransport;
        std::function<void()> TakeSnapshot;
        // The track whose header menu opened MIDI Map; null for none.
        std::function<const TFullTrack*()> PopupTrack;
    };

    // `language` is read whenever a text is shown. The dialog is a child of `window`.
    MidiController(ShowDocument& document, IUserInterface& ui, const Language& language,
                   TMainMenus& menus, QFrame& activityLight, THooks hooks, QWidget* window);
    ~MidiController() override;
    MidiController(const MidiController&) = delete;
    MidiController& operator=(const MidiController&) = delete;

    TMidiInput& Input() { return *MidiInput1; }
    MidiInputControl& Inputs() { return *Control; }
    TMidiMapping& Mapping() { return *Map; }
    TForm6& MapDialog() { return *Form6; }

    // The device entries' captions, for the settings file to match a saved name against,
    // and the saved name applied.
    QStringList DeviceCaptions() const { return Control->DeviceCaptions(); }
    void ApplySavedName(const QString& name) { Control->ApplySavedName(name); }
    QString InputName() const { return Control->MidiInputName(); }

    // Opens the chosen device and starts the light; last at start, when everything the
    // input feeds exists.
    void Start();
    void Close() { Control->CloseMidiInput(); }

    // The live input of an armed track at the current slot (0-based), while recording.
    void RecordLiveInput(const TFullTrack& track, int currentSlot, bool recordMode) {
        Map->RecordLiveInput(track, currentSlot, recordMode);
    }

    // IMidiInputHost
    void SetMidiMapEnabled(bool enabled) override;
    void CheckMidiInputEntry(int tag) override;
    void MidiInputEntriesChanged() override;
    // IMidiMappingHost
    void LightMidiActivity() override;
    void StopTransport() override;
    void TakeSnapshot() override;

private:
    void BuildInputEntries();

    TMainMenus& Menus;
    QFrame& Light;
    THooks Hooks;
    TMidiInput* MidiInput1;
    MidiInputControl* Control = nullptr;
    std::unique_ptr<TMidiMapping> Map;
    TForm6* Form6;
    QTimer* LightTimer;
    std::vector<QAction*> DeviceItems;
};

} // namespace lumivox
