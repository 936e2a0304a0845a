// The mark commands: a mark tapped while the song plays or added at the play cursor, added,
// moved, renamed and deleted on the ruler. Widget-free: each command changes the show's
// marks, which announces them to the views, sets Modified and takes one undo step; it asks
// for names through IUserInterface.
#pragma once

#include "audio/playback/MediaPlayer.h"
#include "core/LanguageTables.h"
#include "core/UserInterface.h"
#include "model/ShowDocument.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace lumivox {

// What the mark commands ask of the window.
class IMarkHost {
public:
    virtual ~IMarkHost() = default;
    // Records an undo step when the show changed.
    virtual void TakeSnapshot() = 0;
};

class MarkCommands {
public:
    MarkCommands(ShowDocument& document, IUserInterface& ui, const IMediaPlayer& player,
                 IMarkHost& host, const Language& language);

    // A mark where the listener is in the song: while it plays, the position heard now (the
    // player's position already leaves out what the sound device still holds, so a tap on a
    // beat lands on that beat); else the play cursor. Returns the new mark's index; -1
    // without a song.
    int Tap();
    // A mark at `ms`, kept within the song, with the next default name. Returns its index;
    // -1 without a song.
    int AddAt(std::int64_t ms);
    // Mark `index` to `ms` (within the song); returns its new index, -1 when there is no
    // such mark. Moving a mark where it is changes nothing.
    int Move(int index, std::int64_t ms);
    // Asks for the new name of mark `index`; false when cancelled, unchanged or no such mark.
    bool Rename(int index);
    bool Remove(int index);
    // Deletes every mark past the end of the song (left by a song replaced with a shorter one),
    // in one undo step; returns how many.
    int RemovePastEnd();
    // The marks past the end of the song, in time order; none without a song.
    std::vector<int> PastEnd() const;

    // The name a new mark takes: one more than the largest number among the names, "1" when
    // no name is a number, so the names count up the way the marks were made.
    QString NextName() const;

private:
    std::int64_t Clamp(std::int64_t ms) const;
    void Changed();

    ShowDocument& Doc;
    IUserInterface& Ui;
    const IMediaPlayer& Player;
    IMarkHost& Host;
    const Language& Lang;
};

} // namespace lumivox
