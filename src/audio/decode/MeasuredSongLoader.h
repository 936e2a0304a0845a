// Opens a project's song by measuring it, without building waveform data: what the
// command-line tool needs to read and export projects.
#pragma once

#include "core/UserInterface.h"
#include "model/ShowDocument.h"
#include "persistence/ProjectFile.h"

namespace lumivox {

class MeasuredSongLoader : public ISongLoader {
public:
    MeasuredSongLoader(ShowDocument& document, IUserInterface& ui, const Language& language)
        : Doc(document), Ui(ui), Lang(language) {}

    // Sets SlotCount from the song's length. A missing file gets the "does not exist"
    // warning; a file the decoder cannot read fails without a message of its own.
    bool LoadSong(const QString& mp3Path) override;
    // Nothing is held open: only the last failure is forgotten.
    void CloseSong() override {
        LastError.clear();
        LengthMs = -1;
    }
    std::int64_t SongLengthMs() const override { return LengthMs; }

    // The decoder's text for the last failure.
    QString LastError;

private:
    ShowDocument& Doc;
    IUserInterface& Ui;
    const Language& Lang;
    std::int64_t LengthMs = -1;
};

} // namespace lumivox
