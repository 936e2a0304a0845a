// The show the editing benchmarks measure on: one hour at 100 ms over 255 empty tracks, with
// the track commands and the undo history the window gives a show, and no window.
#pragma once

#include "core/UserInterface.h"
#include "editing/TrackCommands.h"
#include "editing/UndoHistory.h"
#include "model/ShowDocument.h"

#include <cstddef>

namespace lumivox::bench {

constexpr int HourSlots = 36001; // one hour at 100 ms

// The window as the track commands see it: a song is open; nothing is shown.
class NoWindow : public ITrackCommandHost {
public:
    bool SongOpen() const override { return true; }
    ICaptionEditor* CaptionEditor(int) override { return nullptr; }
    void TakeSnapshot() override {}
    void PopupHeaderMenu(int) override {}
    void PopupTypeOutputMenu(int, std::uint8_t) override {}
};

struct EmptyHourShow {
    ShowDocument Doc;
    UnattendedUserInterface Ui;
    Language Lang = Language::English;
    NoWindow Window;
    TrackCommands Commands{Doc, Ui, Window, Lang};
    UndoHistory History{Doc, Ui, Commands, Lang};

    EmptyHourShow() {
        Doc.SlotCount = HourSlots;
        for (int k = 0; k < MaxTracks; ++k)
            Doc.AddTrack(Lang);
    }
    EmptyHourShow(const EmptyHourShow&) = delete;
    EmptyHourShow& operator=(const EmptyHourShow&) = delete;

    std::size_t AllValueBytes() const {
        return static_cast<std::size_t>(Doc.TrackCount()) * static_cast<std::size_t>(HourSlots);
    }
};

} // namespace lumivox::bench
