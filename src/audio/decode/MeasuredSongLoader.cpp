// Song opening by measurement for headless use.
#include "audio/decode/MeasuredSongLoader.h"

#include "audio/decode/SongLength.h"

#include <QFileInfo>

namespace lumivox {

bool MeasuredSongLoader::LoadSong(const QString& mp3Path) {
    LastError.clear();
    if (!QFileInfo::exists(mp3Path)) {
        Ui.Warning(Text(TextTable::Messages, MessageText::Mp3DoesNotExist, Lang));
        return false;
    }
    const auto info = MeasureSong(mp3Path, &LastError);
    if (!info)
        return false;
    if (const QString tooLong = SongTooLongMessage(mp3Path, info->LengthMs, Lang);
        !tooLong.isEmpty()) {
        LastError = tooLong;
        Ui.Warning(tooLong);
        return false;
    }
    Doc.SlotCount = SlotCountForLength(info->LengthMs);
    LengthMs = info->LengthMs;
    return true;
}

} // namespace lumivox
