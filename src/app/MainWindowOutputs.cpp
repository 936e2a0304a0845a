// The main window's side of DMX output: the choices kept in the preferences, the Outputs
// dialog of the Options menu, and DMX following real-time mode beside the serial link.
#include "app/MainWindow.h"

#include "dialogs/OutputsDialog.h"
#include "output/DmxOutput.h"
#include "output/RealTimeOutput.h"
#include "persistence/Preferences.h"
#include "show/LiveShow.h"

#include <QAction>

namespace lumivox {

namespace {

std::optional<bool> Reachable(TOlaReach reach) {
    if (reach == TOlaReach::Unknown)
        return std::nullopt;
    return reach == TOlaReach::Reachable;
}

} // namespace

void TForm1::BuildDmx() {
    const std::uint16_t port =
        Options.OlaPort != 0 ? Options.OlaPort : TDmxOutput::DefaultServerPort;
    DmxOut = new TDmxOutput(*Ui, Lang, port, this);
    DmxOut->SetUniverse(static_cast<unsigned>(Preference->DmxUniverse()));
    DmxOut->SetEnabled(Preference->DmxEnabled());
    DmxOut->SetLive(RealTime->Mode());
    // With DMX on, a serial port that fails leaves real-time mode on for DMX.
    RealTime->SetModeKeptWithoutPort(DmxOut->Enabled());
    Live->AddOutput(*DmxOut);
    connect(RealTime, &RealTimeOutput::ModeChanged, DmxOut, &TDmxOutput::SetLive);

    OutputsDlg = new TOutputsDialog(this);
    connect(Menu->Outputs1, &QAction::triggered, this, &TForm1::OpenOutputsDialog);
    connect(OutputsDlg, &TOutputsDialog::VisibilityChanged, DmxOut, &TDmxOutput::SetWatching);
    connect(DmxOut, &TDmxOutput::ReachChanged, OutputsDlg,
            [this](TOlaReach reach) { OutputsDlg->ShowReachable(Reachable(reach)); });
    connect(OutputsDlg, &TOutputsDialog::Chosen, this, [this](const TOutputChoices& choices) {
        DmxOut->SetUniverse(static_cast<unsigned>(choices.Universe));
        DmxOut->SetEnabled(choices.DmxEnabled);
        RealTime->SetModeKeptWithoutPort(choices.DmxEnabled);
        Preference->SetDmxEnabled(choices.DmxEnabled);
        Preference->SetDmxUniverse(choices.Universe);
        Preference->Sync();
    });
}

void TForm1::OpenOutputsDialog() {
    OutputsDlg->ShowReachable(Reachable(DmxOut->Reach()));
    OutputsDlg->Open({DmxOut->Enabled(), static_cast<int>(DmxOut->Universe())}, Lang);
}

} // namespace lumivox
