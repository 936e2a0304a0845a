// The window's live outputs: the unit's serial link with the port menu and the real-time mode
// (its button and menu item), and DMX with the Outputs dialog and its preferences. It owns
// them and their connections and hands both to the live show; the window gives it the menus,
// the button and the preferences, and asks it for the port at start and at close.
#pragma once

#include "app/SerialPortMenu.h"
#include "core/LanguageTables.h"
#include "core/UserInterface.h"

#include <QObject>
#include <QString>

#include <cstdint>

class QToolButton;
class QWidget;

namespace lumivox {

class LiveShow;
class Preferences;
class RealTimeOutput;
class SerialLink;
class TDmxOutput;
class TMainMenus;
class TOutputsDialog;

class OutputsController : public QObject {
    Q_OBJECT
public:
    struct TOptions {
        SerialPortMenu::DeviceLister SerialDevices; // the system's serial devices by default
        std::uint16_t OlaPort = 0;                  // olad's RPC port; 0 for its default
    };

    // `language` is read whenever a message or a text is shown. The Outputs dialog is a child
    // of `dialogParent`.
    OutputsController(LiveShow& live, TMainMenus& menus, QToolButton& realTimeButton,
                      Preferences& preferences, IUserInterface& ui, const Language& language,
                      const TOptions& options, QWidget* dialogParent);

    RealTimeOutput& Serial() { return *RealTime; }
    TDmxOutput& Dmx() { return *DmxOut; }
    TOutputsDialog& Dialog() { return *OutputsDlg; }

    // The port of the unit: the one the settings name (COM n by its menu item, or a device
    // path), then the one the command line names, if any.
    void ChooseSavedPort(const QString& portName, int comPortItem, const QString& startPort);
    QString PortName() const;
    // The port's entry in the menu, as the settings file stores it.
    QString PortMenuName() const { return PortMenu->PortName(); }

    void ApplyLanguage(Language language);
    // The window closes: the port is closed once the change on the wire has finished.
    void Close();

private:
    void OpenOutputsDialog();
    void ShowRealTimeMode(bool on);

    TMainMenus& Menus;
    QToolButton& RealTimeButton;
    Preferences& Preference;
    const Language& Lang;
    SerialLink* Link;
    RealTimeOutput* RealTime;
    SerialPortMenu* PortMenu;
    TDmxOutput* DmxOut;
    TOutputsDialog* OutputsDlg;
};

} // namespace lumivox
