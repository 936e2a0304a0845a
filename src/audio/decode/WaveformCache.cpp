// The waveform cache files: date value, peak building and loading, and their locations.
#include "audio/decode/WaveformCache.h"

#include "audio/decode/WaveFile.h"
#include "persistence/TextLines.h"
#include "persistence/VerifiedFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <thread>

namespace lumivox {

namespace {

// The block buffer of the peak scan; only its first 512 bytes ever receive data.
constexpr int BlockBufferBytes = 65536;
// Records are written to the peak file in batches of this many bytes.
constexpr int WriteBatchBytes = 6 * 8192;

} // namespace

QString ChangeFileExt(const QString& path, const QString& ext) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot > slash)
        return path.left(dot) + ext;
    return path + ext;
}

double DateTimeValue(const QDateTime& local) {
    static const QDate epoch(1899, 12, 30);
    const QTime time = local.time();
    const int seconds = time.second() - time.second() % 2;
    const double days = static_cast<double>(epoch.daysTo(local.date()));
    const double fraction =
        (time.hour() * 3600000.0 + time.minute() * 60000.0 + seconds * 1000.0) / 86400000.0;
    return days + fraction;
}

std::optional<double> FileDateValue(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    return DateTimeValue(info.lastModified().toLocalTime());
}

std::optional<double> ReadDateFile(const QString& path) {
    if (path.isEmpty())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != DateFileBytes)
        return std::nullopt;
    const QByteArray bytes = file.read(DateFileBytes);
    if (bytes.size() != DateFileBytes)
        return std::nullopt;
    return qFromLittleEndian<double>(bytes.constData());
}

bool WriteDateFile(const QString& path, double value, QString* error) {
    std::array<char, DateFileBytes> bytes{};
    qToLittleEndian(value, bytes.data());
    const TFileError failure =
        WriteFileVerified(path, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (failure && error)
        *error = failure.Detail;
    return !failure;
}

bool CacheIsCurrent(const QString& peakPath, const QString& songPath) {
    const QFileInfo peaks(peakPath);
    if (!peaks.isFile() || peaks.size() == 0 || peaks.size() % PeakRecordBytes != 0)
        return false;
    const auto stored = ReadDateFile(DateFileFor(peakPath));
    const auto current = FileDateValue(songPath);
    return stored && current && *stored == *current;
}

TPeakRecord PeakOfBlock(const char* block, int bytes) {
    int leftMin = 0;
    int leftMax = 0;
    int rightMin = 0;
    int rightMax = 0;
    const auto* data = reinterpret_cast<const unsigned char*>(block);
    for (int offset = 0; offset + 4 <= bytes; offset += 4) {
        // A peak value is a signed byte by the file's layout: its sign carries over.
        const int left = PeakValue(qFromLittleEndian<std::int16_t>(data + offset));      // NOLINT
        const int right = PeakValue(qFromLittleEndian<std::int16_t>(data + offset + 2)); // NOLINT
        leftMin = std::min(leftMin, left);
        leftMax = std::max(leftMax, left);
        rightMin = std::min(rightMin, right);
        rightMax = std::max(rightMax, right);
    }
    TPeakRecord record;
    record.LeftMin = static_cast<std::int8_t>(leftMin);
    record.LeftMax = static_cast<std::int8_t>(leftMax);
    record.RightMin = static_cast<std::int8_t>(rightMin);
    record.RightMax = static_cast<std::int8_t>(rightMax);
    return record;
}

std::int64_t BuildPeakFile(TWaveFileStream& wave, QIODevice& out, const TProgress& progress) {
    const TWaveFormat format = wave.Format();
    if (format.FormatTag != 1 || format.Channels != 2 || format.BitsPerSample != 16)
        throw EWaveStreamError(TWaveFileStream::InvalidText);
    const std::int64_t lastBlock = wave.DataLength() / PeakBlockBytes;
    // Cleared once: a short or empty read keeps what the block before left behind it.
    std::vector<char> buffer(BlockBufferBytes, 0);
    QByteArray batch;
    batch.reserve(WriteBatchBytes);
    auto flush = [&out, &batch] {
        const bool written = out.write(batch) == batch.size();
        batch.clear();
        return written;
    };
    for (std::int64_t i = 0; i <= lastBlock; ++i) {
        if (progress && !progress(i, lastBlock))
            return -1;
        wave.SetPosition(i * PeakBlockBytes);
        wave.Read(buffer.data(), PeakBlockBytes);
        const TPeakRecord record = PeakOfBlock(buffer.data(), PeakBlockBytes);
        const char bytes[PeakRecordBytes] = {
            static_cast<char>(record.LeftMin),  static_cast<char>(record.LeftMax),
            static_cast<char>(record.RightMin), static_cast<char>(record.RightMax),
            static_cast<char>(record.LeftEnd),  static_cast<char>(record.RightEnd)};
        batch.append(bytes, PeakRecordBytes);
        if (batch.size() >= WriteBatchBytes && !flush())
            return -1;
    }
    if (!flush())
        return -1;
    return lastBlock + 1;
}

bool LoadPeakFile(const QString& path, TWavePeaks& peaks, const TProgress& progress) {
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Mapped where the system allows it, read whole otherwise.
    QByteArray bytes;
    if (uchar* mapped = file.size() > 0 ? file.map(0, file.size()) : nullptr)
        bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(mapped),
                                        static_cast<qsizetype>(file.size()));
    else
        bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    const std::int64_t records = bytes.size() / PeakRecordBytes;
    const auto pairs = static_cast<std::size_t>(records * PairsPerRecord);
    peaks.assign(pairs, {});
    const auto* data = reinterpret_cast<const signed char*>(bytes.constData());
    // Each record becomes its three pairs; an hour's song has a million records, shared out
    // between threads, the caller's last.
    auto convert = [&peaks, data](std::int64_t from, std::int64_t to) {
        auto* pair = peaks.data() + from * PairsPerRecord;
        for (std::int64_t r = from; r < to; ++r) {
            const signed char* record = data + r * PeakRecordBytes;
            *pair++ = {record[4], record[4]};
            *pair++ = {record[1], record[3]};
            *pair++ = {record[0], record[2]};
        }
    };
    const auto parts = static_cast<std::int64_t>(
        ThreadsForBytes(static_cast<std::size_t>(bytes.size()), std::size_t{2} << 20));
    const std::int64_t ownFrom = records / parts * (parts - 1);
    {
        std::vector<std::jthread> helpers;
        for (std::int64_t p = 0; p + 1 < parts; ++p)
            helpers.emplace_back(convert, records / parts * p, records / parts * (p + 1));
        // Progress is told at each hundredth of the caller's share, and at its end, as the
        // share of the whole: the helpers' shares are as long. A gauge has a hundred steps,
        // and no record pays for that test.
        const std::int64_t own = records - ownFrom;
        const std::int64_t step = std::max<std::int64_t>(own / 100, 1);
        for (std::int64_t r = ownFrom; r < records;) {
            const std::int64_t end = std::min(records, r + step);
            convert(r, end);
            r = end;
            if (progress)
                progress(r - ownFrom, own);
        }
    }
    return true;
}

TCachePlaces TCachePlaces::Default() {
    TCachePlaces places;
    // The generic cache folder, so that the editor and the command-line tool share one
    // cache whatever their executables are called.
    const QString generic = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!generic.isEmpty())
        places.UserCacheFolder = generic + QStringLiteral("/lumivox-editor");
    places.ProgramFolder = QCoreApplication::applicationDirPath();
    places.IsWritable = FolderIsWritable;
    return places;
}

QString TCachePlaces::UserCacheFolderFor(const QString& songPath) const {
    if (UserCacheFolder.isEmpty())
        return QString();
    const QByteArray folder = QFileInfo(songPath).absolutePath().toUtf8();
    const QString key = QString::fromLatin1(
        QCryptographicHash::hash(folder, QCryptographicHash::Sha1).toHex().left(16));
    return UserCacheFolder + QStringLiteral("/waveforms/") + key;
}

QString TCachePlaces::UserPeakFile(const QString& songPath) const {
    if (UserCacheFolder.isEmpty())
        return QString();
    return UserCacheFolderFor(songPath) + QLatin1Char('/') +
           QFileInfo(PeakFileFor(QFileInfo(songPath).fileName())).fileName();
}

QString TCachePlaces::PeakFileForWriting(const QString& songPath) const {
    QString beside = PeakFileFor(songPath);
    if (UserCacheFolder.isEmpty() || !IsWritable || IsWritable(QFileInfo(songPath).absolutePath()))
        return beside;
    return UserPeakFile(songPath);
}

QStringList TCachePlaces::PeakFileCandidates(const QString& songPath) const {
    QStringList candidates{PeakFileFor(songPath)};
    if (!UserCacheFolder.isEmpty())
        candidates << UserPeakFile(songPath);
    return candidates;
}

QString TCachePlaces::TempFolder() const {
    if (!ProgramFolder.isEmpty() && (!IsWritable || IsWritable(ProgramFolder)))
        return ProgramFolder;
    if (!UserCacheFolder.isEmpty() && QDir().mkpath(UserCacheFolder))
        return UserCacheFolder;
    return QDir::tempPath();
}

bool FolderIsWritable(const QString& folder) {
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(folder + QStringLiteral("/.lumivox-probe-XXXXXX"));
    return probe.open();
}

} // namespace lumivox
