// The preferences file, read and written through QSettings.
#include "persistence/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include <cstdio>
#include <sys/statvfs.h>

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

bool FolderIsFull(const QString& path) {
    struct statvfs space {};
    return ::statvfs(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &space) == 0 &&
           space.f_bavail == 0;
}

QString DefaultPreferencesPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("preferences.ini"));
}

Preferences::Preferences(const QString& path)
    : FilePath(path.isEmpty() ? DefaultPreferencesPath() : path) {
    // Read once; QSettings never writes this file (its own saving can lose a write error).
    const QSettings reader(FilePath, QSettings::IniFormat);
    for (const QString& key : reader.allKeys())
        Values.insert(key, reader.value(key));
}

Preferences::~Preferences() {
    Sync();
}

QString Preferences::Path() const {
    return FilePath;
}

QVariant Preferences::Value(const QString& key, const QVariant& fallback) const {
    return Values.value(key, fallback);
}

namespace {

// INI text keeps no types: a number or a flag reads back as text, a list of one as that one
// text. Two values are the same setting when they read the same.
bool SameSetting(const QVariant& a, const QVariant& b) {
    if (a == b)
        return true;
    if (a.canConvert<QStringList>() && b.canConvert<QStringList>())
        return a.toStringList() == b.toStringList();
    return a.toString() == b.toString();
}

} // namespace

void Preferences::SetValue(const QString& key, const QVariant& value) {
    auto it = Values.find(key);
    if (it != Values.end() && SameSetting(*it, value))
        return;
    Values.insert(key, value);
    Dirty = true;
}

namespace {

// True when the INI file at `path` reads back exactly as `values`.
bool ReadsBackAs(const QString& path, const QVariantMap& values) {
    const QSettings check(path, QSettings::IniFormat);
    if (check.status() != QSettings::NoError)
        return false;
    const QStringList keys = check.allKeys();
    if (keys.size() != values.size())
        return false;
    for (auto it = values.begin(); it != values.end(); ++it)
        if (!check.contains(it.key()) || !SameSetting(check.value(it.key()), it.value()))
            return false;
    return true;
}

QString UniqueBeside(const QString& path, const char* kind) {
    const QFileInfo info(path);
    return info.absoluteDir().filePath(
        QStringLiteral(".%1.%2.%3")
            .arg(info.fileName(), QString::number(QRandomGenerator::global()->generate(), 36),
                 QString::fromLatin1(kind)));
}

} // namespace

TFileError Preferences::Sync() {
    if (!Dirty)
        return {};
    errno = 0;
    if (!QDir().mkpath(QFileInfo(FilePath).absolutePath()))
        return TFileError::FromErrno(errno != 0 ? errno : EACCES);
    // QSettings lays out the text into a scratch file; its bytes are then written again through
    // the verified writer under a name never read before, read back whole, and only then put
    // in place of the file. A disk that filled up leaves the previous file as it was.
    const QString scratch = UniqueBeside(FilePath, "ini");
    QByteArray text;
    {
        QSettings writer(scratch, QSettings::IniFormat);
        for (auto it = Values.begin(); it != Values.end(); ++it)
            writer.setValue(it.key(), it.value());
        writer.sync();
    }
    {
        QFile laidOut(scratch);
        if (laidOut.open(QIODevice::ReadOnly))
            text = laidOut.readAll();
    }
    QFile::remove(scratch);
    const QString candidate = UniqueBeside(FilePath, "new");
    TFileError error = WriteFileVerified(candidate, text);
    if (!error && !ReadsBackAs(candidate, Values))
        error = TFileError::FromErrno(FolderIsFull(candidate) ? ENOSPC : EIO);
    if (!error && ::rename(QFile::encodeName(candidate).constData(),
                           QFile::encodeName(FilePath).constData()) != 0)
        error = TFileError::FromErrno(errno);
    if (error) {
        QFile::remove(candidate);
        return error;
    }
    Dirty = false;
    return {};
}

int Preferences::AutosaveSeconds() const {
    bool ok = false;
    const int seconds = Value(AutosaveKey, DefaultAutosaveSeconds).toInt(&ok);
    return ok ? std::clamp(seconds, MinAutosaveSeconds, MaxAutosaveSeconds)
              : DefaultAutosaveSeconds;
}

void Preferences::SetAutosaveSeconds(int seconds) {
    SetValue(AutosaveKey, std::clamp(seconds, MinAutosaveSeconds, MaxAutosaveSeconds));
}

int Preferences::UndoDepth() const {
    bool ok = false;
    const int depth = Value(UndoDepthKey, DefaultUndoDepth).toInt(&ok);
    return ok ? std::clamp(depth, MinUndoDepth, MaxUndoDepth) : DefaultUndoDepth;
}

void Preferences::SetUndoDepth(int depth) {
    SetValue(UndoDepthKey, std::clamp(depth, MinUndoDepth, MaxUndoDepth));
}

int Preferences::UndoBudgetMb() const {
    bool ok = false;
    const int megabytes = Value(UndoBudgetKey).toInt(&ok);
    return ok ? std::clamp(megabytes, MinUndoBudgetMb, MaxUndoBudgetMb)
              : DefaultUndoBudgetMb(PhysicalMemoryBytes());
}

void Preferences::SetUndoBudgetMb(int megabytes) {
    SetValue(UndoBudgetKey, std::clamp(megabytes, MinUndoBudgetMb, MaxUndoBudgetMb));
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
    const QString stored = Value(SnapKey).toString();
    return stored == QLatin1String("true");
}

void Preferences::SetSnapOn(bool on) {
    SetValue(SnapKey, on ? QStringLiteral("true") : QStringLiteral("false"));
}

QByteArray Preferences::WindowGeometry() const {
    return Value(GeometryKey).toByteArray();
}

void Preferences::SetWindowGeometry(const QByteArray& geometry) {
    SetValue(GeometryKey, geometry);
}

QStringList Preferences::RecentProjects() const {
    QStringList recent = Value(RecentKey).toStringList();
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
    SetValue(RecentKey, recent.mid(0, MaxRecentProjects));
}

void Preferences::RemoveRecentProject(const QString& path) {
    QStringList recent = RecentProjects();
    recent.removeAll(QFileInfo(path).absoluteFilePath());
    recent.removeAll(path);
    SetValue(RecentKey, recent);
}

// --- Audio and output timing ---

int Preferences::OutputOffsetMs() const {
    bool ok = false;
    const int ms = Value(OutputOffsetKey, 0).toInt(&ok);
    return ok ? std::clamp(ms, -MaxOutputOffsetMs, MaxOutputOffsetMs) : 0;
}

void Preferences::SetOutputOffsetMs(int ms) {
    SetValue(OutputOffsetKey, std::clamp(ms, -MaxOutputOffsetMs, MaxOutputOffsetMs));
}

QString Preferences::SoundDevice() const {
    return Value(SoundDeviceKey).toString();
}

void Preferences::SetSoundDevice(const QString& key) {
    SetValue(SoundDeviceKey, key);
}

// --- DMX output ---

bool Preferences::DmxEnabled() const {
    return Value(DmxEnabledKey, false).toBool();
}

void Preferences::SetDmxEnabled(bool on) {
    SetValue(DmxEnabledKey, on);
}

int Preferences::DmxUniverse() const {
    bool ok = false;
    const int universe = Value(DmxUniverseKey, DefaultDmxUniverse).toInt(&ok);
    return ok ? std::clamp(universe, MinDmxUniverse, MaxDmxUniverse) : DefaultDmxUniverse;
}

void Preferences::SetDmxUniverse(int universe) {
    SetValue(DmxUniverseKey, std::clamp(universe, MinDmxUniverse, MaxDmxUniverse));
}

} // namespace lumivox
