// Helpers of the import tests: synthetic WAV files, a song folder with cache places of its
// own, and an import runner that records the sessions it runs.
#pragma once

#include "audio/decode/SongImport.h"
#include "audio/decode/WaveformCache.h"
#include "support/TestSongs.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace lumivox::test {

inline QByteArray Le32Bytes(std::uint32_t value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

inline QByteArray Chunk(const char* id, const QByteArray& body, std::uint32_t declared) {
    return QByteArray(id, 4) + Le32Bytes(declared) + body;
}
inline QByteArray Chunk(const char* id, const QByteArray& body) {
    return Chunk(id, body, static_cast<std::uint32_t>(body.size()));
}

// A 16-bit PCM "fmt " chunk body.
inline QByteArray FormatBody(int channels, int rate, int bits = 16) {
    QByteArray body(16, '\0');
    const int align = channels * bits / 8;
    qToLittleEndian<std::uint16_t>(1, body.data());
    qToLittleEndian<std::uint16_t>(static_cast<std::uint16_t>(channels), body.data() + 2);
    qToLittleEndian<std::uint32_t>(static_cast<std::uint32_t>(rate), body.data() + 4);
    qToLittleEndian<std::uint32_t>(static_cast<std::uint32_t>(rate * align), body.data() + 8);
    qToLittleEndian<std::uint16_t>(static_cast<std::uint16_t>(align), body.data() + 12);
    qToLittleEndian<std::uint16_t>(static_cast<std::uint16_t>(bits), body.data() + 14);
    return body;
}

// Interleaved 16-bit stereo frames as little-endian bytes.
inline QByteArray StereoFrames(const std::vector<std::pair<std::int16_t, std::int16_t>>& frames) {
    QByteArray data(static_cast<qsizetype>(frames.size() * 4), '\0');
    char* out = data.data();
    for (const auto& [left, right] : frames) {
        qToLittleEndian(left, out);
        qToLittleEndian(right, out + 2);
        out += 4;
    }
    return data;
}

inline QByteArray RiffWave(const QByteArray& chunks) {
    return QByteArray("RIFF") + Le32Bytes(static_cast<std::uint32_t>(chunks.size() + 4)) +
           QByteArray("WAVE") + chunks;
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A temporary folder holding copies of fixture songs, with a program folder and a per-user
// cache folder of its own, so that every file an import leaves can be seen.
class SongFolder {
public:
    QTemporaryDir Root;
    TCachePlaces Places;

    SongFolder() {
        EXPECT_TRUE(Root.isValid());
        QDir(Root.path()).mkpath(QStringLiteral("songs"));
        QDir(Root.path()).mkpath(QStringLiteral("program"));
        Places.ProgramFolder = Root.filePath(QStringLiteral("program"));
        Places.UserCacheFolder = Root.filePath(QStringLiteral("usercache"));
        Places.IsWritable = FolderIsWritable;
    }

    QString Song(const char* name) const {
        return Root.filePath(QStringLiteral("songs/")) + QLatin1String(name);
    }
    // Copies the fixture `fixture` into the song folder as `name`.
    QString AddSong(const char* fixture, const char* name) {
        QString path = Song(name);
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(FixturePath(fixture), path)) << fixture;
        return path;
    }
    QStringList Files(const QString& folder) const {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QStringList SongFiles() const { return Files(Root.filePath(QStringLiteral("songs"))); }
    QStringList ProgramFiles() const { return Files(Places.ProgramFolder); }
};

// Runs sessions headless and records the mode and outcome of each.
class RecordingRunner : public IImportRunner {
public:
    explicit RecordingRunner(IUserInterface& ui) : Headless(ui) {}
    bool Run(TSongImport& session) override {
        Modes.push_back(session.Mode());
        const bool ok = Headless.Run(session);
        Outcomes.push_back(session.Outcome());
        return ok;
    }
    int Decodes() const {
        int count = 0;
        for (TImportMode mode : Modes)
            count += mode == TImportMode::Decode ? 1 : 0;
        return count;
    }
    void Clear() {
        Modes.clear();
        Outcomes.clear();
    }

    HeadlessImportRunner Headless;
    std::vector<TImportMode> Modes;
    std::vector<TImportOutcome> Outcomes;
};

} // namespace lumivox::test
