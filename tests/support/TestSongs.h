// Paths of the MP3 songs made for the tests, and a song loader with a fixed length for
// tests that do not need real audio.
#pragma once

#include "model/ShowDocument.h"
#include "persistence/ProjectFile.h"

#include <QFile>
#include <QString>
#include <QStringList>

namespace lumivox::test {

inline QString FixturePath(const char* name) {
    return QString::fromUtf8(LUMIVOX_FIXTURE_DIR) + QLatin1Char('/') + QLatin1String(name);
}

// Sets a fixed SlotCount for any song that exists; records what it was asked to open.
class FixedSongLoader : public ISongLoader {
public:
    FixedSongLoader(ShowDocument& document, int slotCount) : Doc(document), SlotCount(slotCount) {}
    bool LoadSong(const QString& mp3Path) override {
        Opened << mp3Path;
        if (Fail || !QFile::exists(mp3Path))
            return false;
        Doc.SlotCount = SlotCount;
        return true;
    }
    void CloseSong() override { ++Closed; }
    int Closed = 0;
    ShowDocument& Doc;
    int SlotCount;
    bool Fail = false;
    QStringList Opened;
};

} // namespace lumivox::test
