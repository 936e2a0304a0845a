// The Options menu's serial ports: COM 1 to COM 6, the devices the system lists beyond them,
// and a device path given by the settings or the command line, each choosing the port of the
// real-time output. The system's devices are listed each time the menu opens, not at start: a
// USB adapter plugged in while the editor runs appears, one pulled out goes, and starting the
// editor does not wait for the system's device list.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QAction;

namespace lumivox {

class RealTimeOutput;
class TMainMenus;

class SerialPortMenu : public QObject {
    Q_OBJECT
public:
    // The serial device paths the system reports now.
    using DeviceLister = std::function<QStringList()>;
    static QStringList SystemDevices();

    SerialPortMenu(TMainMenus& menus, RealTimeOutput& output, DeviceLister devices,
                   QObject* parent = nullptr);

    // Lists the serial devices the system reports beyond COM 1 to COM 6 (USB adapters), in
    // order of their paths, in place of those listed before. The entry of the port in use
    // stays, listed or not, so the menu always shows it.
    void RefreshDeviceEntries();
    // Checks the entry of a port read from the settings: COM n by its item, another name as a
    // device path.
    void ShowSavedPort(int comPortItem, const QString& portName);
    // Chooses a device path, adding an entry for it when the system did not list it, so the
    // menu always shows the port in use.
    void SelectDevicePort(const QString& path);
    QString PortName() const;

private:
    void Choose(const QString& portName);
    QAction* AddDeviceEntry(const QString& path);

    TMainMenus& Menus;
    RealTimeOutput& Output;
    DeviceLister Devices;
};

} // namespace lumivox
