// The preferences file, read and written through QSettings.
#include "persistence/Preferences.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <unistd.h>

#include <algorithm>

namespace lumivox {

namespace {
const QString AutosaveKey = QStringLiteral("autosave/interval_seconds");
const QString UndoDepthKey = QStringLiteral("undo/depth");
const QString UndoBudgetKey = QStringLiteral("undo/budget_mb");
const QString SnapKey = QStringLiteral("editing/snap");
const QString GeometryKey = QStringLiteral("window/geometry");
const QString RecentKey = QStringLiteral("recent/projects");
} // namespace

// Audio and output timing keys, and the DMX output's.
namespace {
const QString OutputOffsetKey = QStringLiteral("audio/output_offset_ms");
const QString SoundDeviceKey = QStringLiteral("audio/device");
const QString DmxEnabledKey = QStringLiteral("dmx/enabled");
const QString DmxUniverseKey = QStringLiteral("dmx/universe");
} // namespace

QString DefaultPreferencesPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("preferences.ini"));
}

Preferences::Preferences(const QString& path)
    : Store(std::make_unique<QSettings>(path.isEmpty() ? DefaultPreferencesPath() : path,
                                        QSettings::IniFormat)) {
    QDir().mkpath(QFileInfo(Store->fileName()).absolutePath());
}

Preferences::~Preferences() {
    Store->sync();
}

QString Preferences::Path() const {
    return Store->fileName();
}

int Preferences::AutosaveSeconds() const {
    bool ok = false;
    const int seconds = Store->value(AutosaveKey, DefaultAutosaveSeconds).toInt(&ok);
    return ok ? std::clamp(seconds, MinAutosaveSeconds, MaxAutosaveSeconds)
              : DefaultAutosaveSeconds;
}

void Preferences::SetAutosaveSeconds(int seconds) {
    Store->setValue(AutosaveKey, std::clamp(seconds, MinAutosaveSeconds, MaxAutosaveSeconds));
}

int Preferences::UndoDepth() const {
    bool ok = false;
    const int depth = Store->value(UndoDepthKey, DefaultUndoDepth).toInt(&ok);
    return ok ? std::clamp(depth, MinUndoDepth, MaxUndoDepth) : DefaultUndoDepth;
}

void Preferences::SetUndoDepth(int depth) {
    Store->setValue(UndoDepthKey, std::clamp(depth, MinUndoDepth, MaxUndoDepth));
}

int Preferences::UndoBudgetMb() const {
    bool ok = false;
    const int megabytes = Store->value(UndoBudgetKey).toInt(&ok);
    return ok ? std::clamp(megabytes, MinUndoBudgetMb, MaxUndoBudgetMb)
              : DefaultUndoBudgetMb(PhysicalMemoryBytes());
}

void Preferences::SetUndoBudgetMb(int megabytes) {
    Store->setValue(UndoBudgetKey, std::clamp(megabytes, MinUndoBudgetMb, MaxUndoBudgetMb));
}

int DefaultUndoBudgetMb(std::uint64_t physicalBytes) {
    constexpr std::uint64_t megabyte = std::uint64_t{1} << 20;
    constexpr int usual = 512;
    const std::uint64_t eighth = physicalBytes / 8 / megabyte;
    if (physicalBytes == 0 || eighth >= static_cast<std::uint64_t>(usual))
        return usual;
    return std::max(static_cast<int>(eighth), Preferences::MinUndoBudgetMb);
}

std::uint64_t PhysicalMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

bool Preferences::SnapOn() const {
    // Anything but a stored "true" (a damaged value too) is off, as a new user starts.
    const QString stored = Store->value(SnapKey).toString();
    return stored == QLatin1String("true");
}

void Preferences::SetSnapOn(bool on) {
    Store->setValue(SnapKey, on ? QStringLiteral("true") : QStringLiteral("false"));
}

QByteArray Preferences::WindowGeometry() const {
    return Store->value(GeometryKey).toByteArray();
}

void Preferences::SetWindowGeometry(const QByteArray& geometry) {
    Store->setValue(GeometryKey, geometry);
}

QStringList Preferences::RecentProjects() const {
    QStringList recent = Store->value(RecentKey).toStringList();
    recent.removeAll(QString());
    recent.removeDuplicates();
    return recent.mid(0, MaxRecentProjects);
}

void Preferences::AddRecentProject(const QString& path) {
    if (path.isEmpty())
        return;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList recent = RecentProjects();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    Store->setValue(RecentKey, recent.mid(0, MaxRecentProjects));
}

void Preferences::RemoveRecentProject(const QString& path) {
    QStringList recent = RecentProjects();
    recent.removeAll(QFileInfo(path).absoluteFilePath());
    recent.removeAll(path);
    Store->setValue(RecentKey, recent);
}

void Preferences::Sync() {
    Store->sync();
}

// --- Audio and output timing ---

int Preferences::OutputOffsetMs() const {
    bool ok = false;
    const int ms = Store->value(OutputOffsetKey, 0).toInt(&ok);
    return ok ? std::clamp(ms, -MaxOutputOffsetMs, MaxOutputOffsetMs) : 0;
}

void Preferences::SetOutputOffsetMs(int ms) {
    Store->setValue(OutputOffsetKey, std::clamp(ms, -MaxOutputOffsetMs, MaxOutputOffsetMs));
}

QString Preferences::SoundDevice() const {
    return Store->value(SoundDeviceKey).toString();
}

void Preferences::SetSoundDevice(const QString& key) {
    Store->setValue(SoundDeviceKey, key);
}

// --- DMX output ---

bool Preferences::DmxEnabled() const {
    return Store->value(DmxEnabledKey, false).toBool();
}

void Preferences::SetDmxEnabled(bool on) {
    Store->setValue(DmxEnabledKey, on);
}

int Preferences::DmxUniverse() const {
    bool ok = false;
    const int universe = Store->value(DmxUniverseKey, DefaultDmxUniverse).toInt(&ok);
    return ok ? std::clamp(universe, MinDmxUniverse, MaxDmxUniverse) : DefaultDmxUniverse;
}

void Preferences::SetDmxUniverse(int universe) {
    Store->setValue(DmxUniverseKey, std::clamp(universe, MinDmxUniverse, MaxDmxUniverse));
}

} // namespace lumivox
