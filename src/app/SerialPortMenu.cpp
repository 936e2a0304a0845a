#include "app/SerialPortMenu.h"

#include "app/MainMenus.h"
#include "output/RealTimeOutput.h"
#include "output/SerialLink.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QSerialPortInfo>
#include <QStringList>

#include <utility>

namespace lumivox {

namespace {

bool IsDeviceEntry(const QAction* action) {
    return action->objectName().startsWith(QLatin1String("SerialDevice:"));
}

} // namespace

QStringList SerialPortMenu::SystemDevices() {
    QStringList paths;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    paths.reserve(ports.size());
    for (const QSerialPortInfo& port : ports)
        paths << port.systemLocation();
    return paths;
}

SerialPortMenu::SerialPortMenu(TMainMenus& menus, RealTimeOutput& output, DeviceLister devices,
                               QObject* parent)
    : QObject(parent), Menus(menus), Output(output), Devices(std::move(devices)) {
    for (QAction* port : Menus.ComPorts)
        connect(port, &QAction::triggered, this,
                [this, port] { Choose(QStringLiteral("COM%1").arg(port->data().toInt())); });
    connect(Menus.OutputPortCOM1, &QMenu::aboutToShow, this, &SerialPortMenu::RefreshDeviceEntries);
}

void SerialPortMenu::RefreshDeviceEntries() {
    QStringList paths;
    for (const QString& path : Devices()) {
        bool isComPort = false;
        for (int n = 1; n <= 6; ++n)
            isComPort = isComPort || path == SerialLink::DevicePath(QStringLiteral("COM%1").arg(n));
        if (!isComPort && !paths.contains(path))
            paths << path;
    }
    QAction* inUse = Menus.PortGroup->checkedAction();
    if (inUse && !IsDeviceEntry(inUse))
        inUse = nullptr;
    if (inUse && !paths.contains(inUse->data().toString()))
        paths << inUse->data().toString();
    paths.sort();

    const QList<QAction*> entries = Menus.PortGroup->actions();
    for (QAction* entry : entries)
        if (IsDeviceEntry(entry) && entry != inUse)
            delete entry;
    // The entries follow COM 6 in the order of their paths; the one in use keeps its action,
    // and so its check, and moves to its place.
    for (const QString& path : paths) {
        if (inUse && path == inUse->data().toString()) {
            Menus.OutputPortCOM1->removeAction(inUse);
            Menus.OutputPortCOM1->addAction(inUse);
        } else {
            AddDeviceEntry(path);
        }
    }
}

QAction* SerialPortMenu::AddDeviceEntry(const QString& path) {
    QAction* entry = Menus.AddSerialDevice(path);
    connect(entry, &QAction::triggered, this, [this, path] { Choose(path); });
    return entry;
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
    if (!entry)
        entry = AddDeviceEntry(path);
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
