// The live outputs' construction, their wiring to the menus, the button and the live show,
// and the DMX choices kept in the preferences.
#include "app/OutputsController.h"

#include "app/MainMenus.h"
#include "dialogs/OutputsDialog.h"
#include "output/DmxOutput.h"
#include "output/RealTimeOutput.h"
#include "output/SerialLink.h"
#include "persistence/Preferences.h"
#include "show/LiveShow.h"

#include <QAction>
#include <QToolButton>

#include <optional>

namespace lumivox {

namespace {

std::optional<bool> Reachable(TOlaReach reach) {
    if (reach == TOlaReach::Unknown)
        return std::nullopt;
    return reach == TOlaReach::Reachable;
}

} // namespace

OutputsController::OutputsController(LiveShow& live, TMainMenus& menus, QToolButton& realTimeButton,
                                     Preferences& preferences, IUserInterface& ui,
                                     const Language& language, const TOptions& options,
                                     QWidget* dialogParent)
    : QObject(dialogParent), Menus(menus), RealTimeButton(realTimeButton), Preference(preferences),
      Lang(language), Link(new SerialLink(this)),
      RealTime(new RealTimeOutput(*Link, ui, language, this)),
      PortMenu(new SerialPortMenu(
          menus, *RealTime,
          options.SerialDevices ? options.SerialDevices : SerialPortMenu::SystemDevices, this)),
      DmxOut(new TDmxOutput(ui, language,
                            options.OlaPort != 0 ? options.OlaPort : TDmxOutput::DefaultServerPort,
                            this)),
      OutputsDlg(new TOutputsDialog(dialogParent)) {
    DmxOut->SetUniverse(static_cast<unsigned>(Preference.DmxUniverse()));
    DmxOut->SetEnabled(Preference.DmxEnabled());
    // With DMX on, a serial port that fails leaves real-time mode on for DMX.
    RealTime->SetModeKeptWithoutPort(DmxOut->Enabled());
    live.AddOutput(*RealTime);
    live.AddOutput(*DmxOut);

    // Real-time mode: the button and the menu item switch it, and follow it however it
    // changes; DMX follows it too. Switched on while the song plays, the outputs learn the
    // state now, not a tick later.
    connect(Menus.RealTimeMode1, &QAction::triggered, RealTime, &RealTimeOutput::ToggleMode);
    connect(&RealTimeButton, &QToolButton::clicked, RealTime, &RealTimeOutput::ToggleMode);
    connect(RealTime, &RealTimeOutput::ModeChanged, DmxOut, &TDmxOutput::SetLive);
    connect(RealTime, &RealTimeOutput::ModeChanged, this, &OutputsController::ShowRealTimeMode);
    ShowClock* clock = &live.Clock();
    connect(RealTime, &RealTimeOutput::ModeChanged, clock, [clock](bool on) {
        if (on)
            clock->TickSoon();
    });

    connect(Menus.Outputs1, &QAction::triggered, this, &OutputsController::OpenOutputsDialog);
    connect(OutputsDlg, &TOutputsDialog::VisibilityChanged, DmxOut, &TDmxOutput::SetWatching);
    connect(DmxOut, &TDmxOutput::ReachChanged, OutputsDlg,
            [this](TOlaReach reach) { OutputsDlg->ShowReachable(Reachable(reach)); });
    connect(OutputsDlg, &TOutputsDialog::Chosen, this, [this](const TOutputChoices& choices) {
        DmxOut->SetUniverse(static_cast<unsigned>(choices.Universe));
        DmxOut->SetEnabled(choices.DmxEnabled);
        RealTime->SetModeKeptWithoutPort(choices.DmxEnabled);
        Preference.SetDmxEnabled(choices.DmxEnabled);
        Preference.SetDmxUniverse(choices.Universe);
        Preference.Sync();
    });
}

void OutputsController::ChooseSavedPort(const QString& portName, int comPortItem,
                                        const QString& startPort) {
    RealTime->ChoosePort(portName);
    PortMenu->ShowSavedPort(comPortItem, portName);
    if (!startPort.isEmpty())
        PortMenu->SelectDevicePort(startPort);
}

QString OutputsController::PortName() const {
    return RealTime->PortName();
}

void OutputsController::ApplyLanguage(Language language) {
    OutputsDlg->ApplyLanguage(language);
}

void OutputsController::Close() {
    RealTime->ClosePort();
}

void OutputsController::OpenOutputsDialog() {
    OutputsDlg->ShowReachable(Reachable(DmxOut->Reach()));
    OutputsDlg->Open({DmxOut->Enabled(), static_cast<int>(DmxOut->Universe())}, Lang);
}

void OutputsController::ShowRealTimeMode(bool on) {
    RealTimeButton.setChecked(on);
    Menus.RealTimeMode1->setChecked(on);
}

} // namespace lumivox
