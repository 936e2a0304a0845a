// The Options menu's serial ports: COM 1 to COM 6, the devices the system lists beyond them,
// and a device path given by the settings or the command line, each choosing the port of the
// real-time output.
#pragma once

#include <QObject>
#include <QString>

namespace lumivox {

class RealTimeOutput;
class TMainMenus;

class SerialPortMenu : public QObject {
    Q_OBJECT
public:
    SerialPortMenu(TMainMenus& menus, RealTimeOutput& output, QObject* parent = nullptr);

    // Adds the serial devices the system reports beyond COM 1 to COM 6 (USB adapters).
    void BuildDeviceEntries();
    // Checks the entry of a port read from the settings: COM n by its item, another name as a
    // device path.
    void ShowSavedPort(int comPortItem, const QString& portName);
    // Chooses a device path, adding an entry for it when the system did not list it, so the
    // menu always shows the port in use.
    void SelectDevicePort(const QString& path);
    QString PortName() const;

private:
    void Choose(const QString& portName);

    TMainMenus& Menus;
    RealTimeOutput& Output;
};

} // namespace lumivox
