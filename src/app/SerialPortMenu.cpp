#include "app/SerialPortMenu.h"

#include "app/MainMenus.h"
#include "output/RealTimeOutput.h"
#include "output/SerialLink.h"

#include <QAction>
#include <QActionGroup>
#include <QSerialPortInfo>
#include <QStringList>

namespace lumivox {

SerialPortMenu::SerialPortMenu(TMainMenus& menus, RealTimeOutput& output, QObject* parent)
    : QObject(parent), Menus(menus), Output(output) {
    for (QAction* port : Menus.ComPorts)
        connect(port, &QAction::triggered, this,
                [this, port] { Choose(QStringLiteral("COM%1").arg(port->data().toInt())); });
}

void SerialPortMenu::BuildDeviceEntries() {
    QStringList paths;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& port : ports) {
        const QString path = port.systemLocation();
        bool isComPort = false;
        for (int n = 1; n <= 6; ++n)
            isComPort = isComPort || path == SerialLink::DevicePath(QStringLiteral("COM%1").arg(n));
        if (!isComPort && !paths.contains(path))
            paths << path;
    }
    paths.sort();
    for (const QString& path : paths) {
        QAction* entry = Menus.AddSerialDevice(path);
        connect(entry, &QAction::triggered, this, [this, path] { Choose(path); });
    }
}

void SerialPortMenu::ShowSavedPort(int comPortItem, const QString& portName) {
    if (comPortItem >= 1 && comPortItem <= 6)
        Menus.ComPorts[static_cast<std::size_t>(comPortItem - 1)]->setChecked(true);
    else if (!portName.startsWith(QLatin1String("COM")))
        SelectDevicePort(portName);
}

void SerialPortMenu::SelectDevicePort(const QString& path) {
    QAction* entry = nullptr;
    const QList<QAction*> items = Menus.PortGroup->actions();
    for (QAction* item : items)
        if (item->data().toString() == path)
            entry = item;
    if (!entry) {
        entry = Menus.AddSerialDevice(path);
        connect(entry, &QAction::triggered, this, [this, path] { Choose(path); });
    }
    entry->setChecked(true);
    Choose(path);
}

QString SerialPortMenu::PortName() const {
    return Output.PortName();
}

void SerialPortMenu::Choose(const QString& portName) {
    Output.ChoosePort(portName);
}

} // namespace lumivox
