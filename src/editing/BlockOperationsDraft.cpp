// A plain implementation of the block operations: every slot is read and written one by one
// through the show's setters. Correct and simple rather than fast.
#include "editing/BlockOperations.h"

#include <algorithm>
#include <cmath>

namespace lumivox {

namespace {

// The last slot a value may be written to.
int LastEditableSlot(const ShowDocument& document) {
    return document.SlotCount - 1;
}

std::uint8_t ValueAt(const ShowDocument& document, int track, int slot) {
    std::uint8_t value = 0;
    document.Track(track).GetValue(slot, value);
    return value;
}

// The byte a track may hold for `value`: On/Off tracks are either off or fully on.
std::uint8_t Fit(const TFullTrack& track, int value) {
    const auto byte = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
    if (track.TrackType == TrackTypeOnOff)
        return byte == 0 ? OffValue : OnValue;
    return byte;
}

// Writes the selection through `valueOf(track, slot, old)`, counting the slots it changed.
template <typename ValueOf>
int WriteEach(ShowDocument& document, const TRangeSelection& range, ValueOf valueOf) {
    int changed = 0;
    for (int track = range.FirstTrack; track <= range.LastTrack; ++track) {
        const TFullTrack& t = document.Track(track);
        if (t.Locked)
            continue;
        for (int slot = range.FirstSlot; slot <= range.LastSlot; ++slot) {
            const std::uint8_t old = ValueAt(document, track, slot);
            const std::uint8_t value = Fit(t, valueOf(track, slot, old));
            if (value != old && document.SetSlot(track, slot, value))
                ++changed;
        }
    }
    return changed;
}

TValueBlock Read(const ShowDocument& document, const TRangeSelection& range) {
    TValueBlock block;
    for (int track = range.FirstTrack; track <= range.LastTrack; ++track) {
        std::vector<std::uint8_t> row;
        row.reserve(static_cast<std::size_t>(range.SlotLength()));
        for (int slot = range.FirstSlot; slot <= range.LastSlot; ++slot)
            row.push_back(ValueAt(document, track, slot));
        block.Rows.push_back(std::move(row));
    }
    return block;
}

// Writes `block` from (track, slot) on, clipped to the show; counts the slots it changed.
int WriteBlock(ShowDocument& document, const TValueBlock& block, int firstTrack, int firstSlot) {
    int changed = 0;
    const int last = LastEditableSlot(document);
    for (std::size_t r = 0; r < block.Rows.size(); ++r) {
        const int track = firstTrack + static_cast<int>(r);
        if (track < 1 || track > document.TrackCount())
            continue;
        const TFullTrack& t = document.Track(track);
        if (t.Locked)
            continue;
        const std::vector<std::uint8_t>& row = block.Rows[r];
        for (std::size_t i = 0; i < row.size(); ++i) {
            const int slot = firstSlot + static_cast<int>(i);
            if (slot < 1 || slot > last)
                continue;
            const std::uint8_t value = Fit(t, row[i]);
            if (value != ValueAt(document, track, slot) && document.SetSlot(track, slot, value))
                ++changed;
        }
    }
    return changed;
}

} // namespace

TRangeSelection SelectionBetween(const ShowDocument& document, int trackA, int slotA, int trackB,
                                 int slotB) {
    const int tracks = document.TrackCount();
    const int last = LastEditableSlot(document);
    if (tracks < 1 || last < 1)
        return {};
    TRangeSelection range;
    range.FirstTrack = std::clamp(std::min(trackA, trackB), 1, tracks);
    range.LastTrack = std::clamp(std::max(trackA, trackB), 1, tracks);
    range.FirstSlot = std::clamp(std::min(slotA, slotB), 1, last);
    range.LastSlot = std::clamp(std::max(slotA, slotB), 1, last);
    return range;
}

BlockOperations::BlockOperations(ShowDocument& document, IBlockHost& host)
    : Doc(document), Host(host) {}

namespace {

TRangeSelection Clamped(const ShowDocument& document, const TRangeSelection& selection) {
    if (selection.Empty())
        return {};
    return SelectionBetween(document, selection.FirstTrack, selection.FirstSlot,
                            selection.LastTrack, selection.LastSlot);
}

} // namespace

bool BlockOperations::Copy(const TRangeSelection& selection) {
    const TRangeSelection range = Clamped(Doc, selection);
    if (range.Empty())
        return false;
    Clipboard = Read(Doc, range);
    return true;
}

bool BlockOperations::Cut(const TRangeSelection& selection) {
    if (!Copy(selection))
        return false;
    return Clear(selection);
}

namespace {

// Each writing operation ends alike: modified and one undo step when something changed.
bool Finish(ShowDocument& document, IBlockHost& host, int changed) {
    if (changed == 0)
        return false;
    document.SetModified(true);
    host.TakeSnapshot();
    return true;
}

} // namespace

bool BlockOperations::Paste(int firstTrack, int slot) {
    if (Clipboard.Empty())
        return false;
    return Finish(Doc, Host, WriteBlock(Doc, Clipboard, firstTrack, slot));
}

bool BlockOperations::Clear(const TRangeSelection& selection) {
    return Fill(selection, 0);
}

bool BlockOperations::Fill(const TRangeSelection& selection, std::uint8_t value) {
    const TRangeSelection range = Clamped(Doc, selection);
    if (range.Empty())
        return false;
    return Finish(Doc, Host,
                  WriteEach(Doc, range, [value](int, int, std::uint8_t) { return value; }));
}

bool BlockOperations::Ramp(const TRangeSelection& selection, std::uint8_t from, std::uint8_t to) {
    const TRangeSelection range = Clamped(Doc, selection);
    if (range.Empty())
        return false;
    const int steps = range.SlotLength() - 1;
    return Finish(Doc, Host, WriteEach(Doc, range, [&](int, int slot, std::uint8_t) {
                      if (steps == 0)
                          return static_cast<int>(from);
                      const double t = static_cast<double>(slot - range.FirstSlot) / steps;
                      return static_cast<int>(std::lround(from + (to - from) * t));
                  }));
}

bool BlockOperations::Invert(const TRangeSelection& selection) {
    const TRangeSelection range = Clamped(Doc, selection);
    if (range.Empty())
        return false;
    return Finish(Doc, Host,
                  WriteEach(Doc, range, [](int, int, std::uint8_t old) { return 255 - old; }));
}

bool BlockOperations::Scale(const TRangeSelection& selection, int percent) {
    const TRangeSelection range = Clamped(Doc, selection);
    if (range.Empty())
        return false;
    const int factor = std::max(percent, 0);
    return Finish(Doc, Host, WriteEach(Doc, range, [factor](int, int, std::uint8_t old) {
                      return static_cast<int>(
                          std::min<long>(255, std::lround(old * factor / 100.0)));
                  }));
}

bool BlockOperations::Shift(const TRangeSelection& selection, int slots) {
    const TRangeSelection range = Clamped(Doc, selection);
    if (range.Empty() || slots == 0)
        return false;
    const TValueBlock block = Read(Doc, range);
    int changed = WriteEach(Doc, range, [](int, int, std::uint8_t) { return 0; });
    changed += WriteBlock(Doc, block, range.FirstTrack, range.FirstSlot + slots);
    return Finish(Doc, Host, changed);
}

bool BlockOperations::Repeat(const TRangeSelection& selection, int times) {
    const TRangeSelection range = Clamped(Doc, selection);
    if (range.Empty() || times < 1)
        return false;
    const TValueBlock block = Read(Doc, range);
    int changed = 0;
    for (int n = 1; n <= times; ++n) {
        const int at = range.FirstSlot + n * range.SlotLength();
        if (at > LastEditableSlot(Doc))
            break;
        changed += WriteBlock(Doc, block, range.FirstTrack, at);
    }
    return Finish(Doc, Host, changed);
}

bool BlockOperations::Chase(const TRangeSelection& selection, int stepSlots, std::uint8_t value) {
    const TRangeSelection range = Clamped(Doc, selection);
    if (range.Empty() || stepSlots < 1)
        return false;
    const int count = range.TrackCount();
    return Finish(Doc, Host, WriteEach(Doc, range, [&](int track, int slot, std::uint8_t) {
                      const int step = (slot - range.FirstSlot) / stepSlots;
                      return step % count == track - range.FirstTrack ? static_cast<int>(value) : 0;
                  }));
}

} // namespace lumivox
