// The main window's MIDI input without widgets: the device entries of the MIDI Input menu,
// the chosen device, opening and closing it, and what the window shows about it.
#pragma once

#include "core/LanguageTables.h"
#include "midi/MidiInput.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

namespace lumivox {

class IUserInterface;
class ShowDocument;

// One device entry of the MIDI Input menu, after "(None)" (tag 0): the device's name as
// caption (shown as it is, without accelerator characters) and its index + 1 as tag.
struct TMidiInputEntry {
    QString Caption;
    int Tag = 0;
    friend bool operator==(const TMidiInputEntry&, const TMidiInputEntry&) = default;
};

// What the MIDI input asks of the main window.
class IMidiInputHost {
public:
    virtual ~IMidiInputHost() = default;
    // Enables or disables the MIDI Map entry of the track menu.
    virtual void SetMidiMapEnabled(bool enabled) = 0;
    // Checks the MIDI Input menu entry with this tag; 0 is "(None)".
    virtual void CheckMidiInputEntry(int tag) = 0;
    // The device entries were read again: the entries after "(None)" are to be rebuilt from
    // DeviceEntries().
    virtual void MidiInputEntriesChanged() = 0;
};

class MidiInputControl : public QObject {
    Q_OBJECT
public:
    // Builds the device entries from the devices `input` found. Every reference must outlive
    // this object.
    MidiInputControl(TMidiInput& input, ShowDocument& document, IUserInterface& ui,
                     IMidiInputHost& host, const Language& language, QObject* parent = nullptr);

    const std::vector<TMidiInputEntry>& DeviceEntries() const { return Entries; }
    QStringList DeviceCaptions() const;
    // Reads the devices again and rebuilds the entries. A chosen device that is no longer
    // listed is forgotten and "(None)" checked, as for a saved name that matches nothing.
    void RefreshDeviceEntries();

    // The name read from the settings file: kept, and its entry checked, when an entry has
    // exactly that caption; otherwise the name becomes empty and "(None)" is checked.
    void ApplySavedName(const QString& name);

    // The chosen device's name (empty for none), as the settings file keeps it.
    QString MidiInputName() const { return Name; }
    // True while a device is open and started.
    bool MidiInputOpen() const { return IsOpen; }
    // The tag of the checked MIDI Input menu entry.
    int CheckedTag() const { return Checked; }

    // Closes any open device, then opens and starts the chosen one, if any: the MIDI Map
    // entry is enabled and every track's live input cleared. A failure is reported and
    // leaves the input closed.
    void OpenMidiInput();
    // Stops and closes the open device, if any, and disables the MIDI Map entry.
    void CloseMidiInput();
    // A click on the MIDI Input menu entry with `tag`: checks it, takes its caption as the
    // chosen name (none for "(None)") and opens it. Choosing the open device reopens it.
    void MenuMidiInputSelectClick(int tag);

private:
    void BuildDeviceEntries();
    void CheckEntry(int tag);
    void InputLost(const QString& message);
    void MarkClosed();

    TMidiInput& Input;
    ShowDocument& Document;
    IUserInterface& Ui;
    IMidiInputHost& Host;
    const Language& Lang;
    std::vector<TMidiInputEntry> Entries;
    QString Name;
    bool IsOpen = false;
    int Checked = 0;
};

} // namespace lumivox
