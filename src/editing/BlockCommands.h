// The commands on the block of values under the time-range selection, as the menus and keys
// run them: each asks what it needs through the user-interface seam (proposing the last
// answer), runs one block operation and keeps the selection on what it wrote. Widget-free.
#pragma once

#include "core/LanguageTables.h"
#include "core/UserInterface.h"
#include "editing/BlockOperations.h"
#include "editing/RangeSelection.h"

#include <optional>
#include <vector>

namespace lumivox {

class BlockCommands {
public:
    BlockCommands(ShowDocument& document, RangeSelection& selection, IBlockHost& host,
                  IUserInterface& ui, const Language& language);

    bool HasBlock() const { return Operations.HasBlock(); }
    const TValueBlock& Block() const { return Operations.Block(); }

    // Each returns true when it copied or wrote something; a cancelled question writes
    // nothing.
    bool Copy();
    bool Cut();
    // Pastes the copied block from (track, slot) down and on, and selects what it covers.
    bool Paste(int track, int slot);
    bool Clear();
    // Asks the value, proposing `proposed` the first time and the last answer after.
    bool Fill(std::uint8_t proposed);
    bool Ramp();
    bool Invert();
    bool Scale();
    // Asks how many slots, then moves the values later (or earlier); the selection follows
    // them.
    bool Shift(bool later);
    bool Repeat();
    bool Chase();
    // Lights the selected tracks on the song's beats (`beatsMs`, in song time): all of them
    // at each beat, or one after another beat by beat, for a number of slots asked first.
    // Without beats, or with none inside the selection, the user is told why nothing can be
    // written, and nothing is asked.
    bool FlashOnBeats(const std::vector<double>& beatsMs);
    bool ChaseOnBeats(const std::vector<double>& beatsMs);

private:
    std::optional<int> Ask(int prompt, int& remembered, int minimum, int maximum,
                           bool showMaximum = false);
    std::optional<int> AskIn(TextTable table, int prompt, int& remembered, int minimum, int maximum,
                             bool showMaximum);
    // The beats as the slots they fall in; empty, after the warning, when there are none or
    // none inside the selection.
    std::optional<std::vector<int>> BeatSlots(const std::vector<double>& beatsMs);
    // Asks how many slots each beat lights.
    std::optional<int> AskBeatSlots();
    int SongSlots() const;

    ShowDocument& Doc;
    RangeSelection& Selection;
    IUserInterface& Ui;
    const Language& Lang;
    BlockOperations Operations;
    // The last answers, proposed the next time.
    std::optional<int> FillValue;
    int RampFrom = 0, RampTo = 255, ScalePercent = 50, ShiftSlots = 1, RepeatTimes = 1,
        ChaseStep = 1, ChaseValue = 255, BeatOnSlots = 1;
};

} // namespace lumivox
