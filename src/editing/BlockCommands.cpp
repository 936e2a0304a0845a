// The block commands: their questions, the operations and where the selection goes after.
#include "editing/BlockCommands.h"

#include "editing/SnapGuides.h"

#include <algorithm>
#include <cmath>

namespace lumivox {

namespace {
constexpr int MaxScalePercent = 1000;
}

BlockCommands::BlockCommands(ShowDocument& document, RangeSelection& selection, IBlockHost& host,
                             IUserInterface& ui, const Language& language)
    : Doc(document), Selection(selection), Ui(ui), Lang(language), Operations(document, host) {}

int BlockCommands::SongSlots() const {
    return std::max(Doc.SlotCount - 1, 1);
}

std::optional<int> BlockCommands::Ask(int prompt, int& remembered, int minimum, int maximum,
                                      bool showMaximum) {
    return AskIn(TextTable::BlockText, prompt, remembered, minimum, maximum, showMaximum);
}

std::optional<int> BlockCommands::AskIn(TextTable table, int prompt, int& remembered, int minimum,
                                        int maximum, bool showMaximum) {
    QString text = Text(table, prompt, Lang);
    if (showMaximum)
        text = text.arg(maximum);
    const std::optional<int> answer =
        Ui.AskNumber(text, std::clamp(remembered, minimum, maximum), minimum, maximum);
    // An answer outside the range is refused as a cancel would be.
    if (!answer || *answer < minimum || *answer > maximum)
        return std::nullopt;
    remembered = *answer;
    return answer;
}

bool BlockCommands::Copy() {
    return Operations.Copy(Selection.Range());
}

bool BlockCommands::Cut() {
    return Operations.Cut(Selection.Range());
}

bool BlockCommands::Paste(int track, int slot) {
    if (!Operations.HasBlock() || track < 1 || slot < 1)
        return false;
    const TValueBlock& block = Operations.Block();
    const bool wrote = Operations.Paste(track, slot);
    Selection.Select(SelectionBetween(Doc, track, slot,
                                      track + static_cast<int>(block.Rows.size()) - 1,
                                      slot + block.SlotLength() - 1));
    return wrote;
}

bool BlockCommands::Clear() {
    return Operations.Clear(Selection.Range());
}

bool BlockCommands::Fill(std::uint8_t proposed) {
    if (Selection.Empty())
        return false;
    int value = FillValue.value_or(proposed);
    const std::optional<int> answer = Ask(BlockText::FillPrompt, value, 0, 255);
    if (!answer)
        return false;
    FillValue = *answer;
    return Operations.Fill(Selection.Range(), static_cast<std::uint8_t>(*answer));
}

bool BlockCommands::Ramp() {
    if (Selection.Empty())
        return false;
    const std::optional<int> from = Ask(BlockText::RampFromPrompt, RampFrom, 0, 255);
    if (!from)
        return false;
    const std::optional<int> to = Ask(BlockText::RampToPrompt, RampTo, 0, 255);
    if (!to)
        return false;
    return Operations.Ramp(Selection.Range(), static_cast<std::uint8_t>(*from),
                           static_cast<std::uint8_t>(*to));
}

bool BlockCommands::Invert() {
    return Operations.Invert(Selection.Range());
}

bool BlockCommands::Scale() {
    if (Selection.Empty())
        return false;
    const std::optional<int> percent =
        Ask(BlockText::ScalePrompt, ScalePercent, 0, MaxScalePercent, true);
    return percent && Operations.Scale(Selection.Range(), *percent);
}

bool BlockCommands::Shift(bool later) {
    if (Selection.Empty())
        return false;
    const std::optional<int> slots = Ask(BlockText::ShiftPrompt, ShiftSlots, 1, SongSlots(), true);
    if (!slots)
        return false;
    const TRangeSelection range = Selection.Range();
    const int by = later ? *slots : -*slots;
    const bool wrote = Operations.Shift(range, by);
    // The selection goes with the values, as far as the song reaches.
    const TRangeSelection moved = SelectionBetween(Doc, range.FirstTrack, range.FirstSlot + by,
                                                   range.LastTrack, range.LastSlot + by);
    if (range.LastSlot + by < 1 || range.FirstSlot + by > SongSlots())
        Selection.Clear();
    else
        Selection.Select(moved);
    return wrote;
}

bool BlockCommands::Repeat() {
    if (Selection.Empty())
        return false;
    const int room = std::max(SongSlots() / std::max(Selection.Range().SlotLength(), 1), 1);
    const std::optional<int> times = Ask(BlockText::RepeatPrompt, RepeatTimes, 1, room, true);
    return times && Operations.Repeat(Selection.Range(), *times);
}

bool BlockCommands::Chase() {
    if (Selection.Empty())
        return false;
    const std::optional<int> step = Ask(BlockText::ChaseStepPrompt, ChaseStep, 1,
                                        std::max(Selection.Range().SlotLength(), 1), true);
    if (!step)
        return false;
    const std::optional<int> value = Ask(BlockText::ChaseValuePrompt, ChaseValue, 0, 255);
    if (!value)
        return false;
    return Operations.Chase(Selection.Range(), *step, static_cast<std::uint8_t>(*value));
}

std::optional<std::vector<int>> BlockCommands::BeatSlots(const std::vector<double>& beatsMs) {
    const int slotMs = ResolutionMs(Doc.ResolutionIndex());
    std::vector<int> slots;
    slots.reserve(beatsMs.size());
    for (const double beat : beatsMs)
        if (std::isfinite(beat) && beat >= 0)
            slots.push_back(TSnapGuides::SlotOfMs(std::llround(beat), slotMs));
    if (slots.empty()) {
        Ui.Warning(Text(TextTable::SnapText, SnapText::NoBeats, Lang));
        return std::nullopt;
    }
    const TRangeSelection range = Selection.Range();
    if (std::none_of(slots.begin(), slots.end(), [&range](int slot) {
            return slot >= range.FirstSlot && slot <= range.LastSlot;
        })) {
        Ui.Warning(Text(TextTable::SnapText, SnapText::NoBeatsInSelection, Lang));
        return std::nullopt;
    }
    return slots;
}

std::optional<int> BlockCommands::AskBeatSlots() {
    return AskIn(TextTable::SnapText, SnapText::BeatSlotsPrompt, BeatOnSlots, 1,
                 std::max(Selection.Range().SlotLength(), 1), true);
}

bool BlockCommands::FlashOnBeats(const std::vector<double>& beatsMs) {
    if (Selection.Empty())
        return false;
    const std::optional<std::vector<int>> beats = BeatSlots(beatsMs);
    if (!beats)
        return false;
    const std::optional<int> slots = AskBeatSlots();
    return slots && Operations.FlashOnBeats(Selection.Range(), *beats, *slots);
}

bool BlockCommands::ChaseOnBeats(const std::vector<double>& beatsMs) {
    if (Selection.Empty())
        return false;
    const std::optional<std::vector<int>> beats = BeatSlots(beatsMs);
    if (!beats)
        return false;
    const std::optional<int> slots = AskBeatSlots();
    return slots && Operations.ChaseOnBeats(Selection.Range(), *beats, *slots);
}

} // namespace lumivox
