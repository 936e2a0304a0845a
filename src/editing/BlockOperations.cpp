// The block operations: each one computes the new values of one track at a time into a
// scratch row and writes only the slots that change, through the show.
#include "editing/BlockOperations.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace lumivox {

int LastEditableSlot(const ShowDocument& document) {
    return std::max(document.SlotCount - 1, 0);
}

TRangeSelection SelectionBetween(const ShowDocument& document, int trackA, int slotA, int trackB,
                                 int slotB) {
    const int tracks = document.TrackCount();
    const int slots = LastEditableSlot(document);
    if (tracks < 1 || slots < 1)
        return {};
    return {std::clamp(std::min(trackA, trackB), 1, tracks),
            std::clamp(std::max(trackA, trackB), 1, tracks),
            std::clamp(std::min(slotA, slotB), 1, slots),
            std::clamp(std::max(slotA, slotB), 1, slots)};
}

TRangeSelection ClampSelection(const ShowDocument& document, const TRangeSelection& selection) {
    if (selection.Empty())
        return {};
    const TRangeSelection clamped{
        std::max(selection.FirstTrack, 1), std::min(selection.LastTrack, document.TrackCount()),
        std::max(selection.FirstSlot, 1), std::min(selection.LastSlot, LastEditableSlot(document))};
    return clamped.Empty() ? TRangeSelection{} : clamped;
}

namespace {

// Offset of the first byte where a and b differ, n when they are equal. Compares in blocks
// with memcmp, which is vectorised, before looking at single bytes.
int FirstDifference(const std::uint8_t* a, const std::uint8_t* b, int n) {
    constexpr int Block = 256;
    int at = 0;
    while (at + Block <= n && std::memcmp(a + at, b + at, Block) == 0)
        at += Block;
    while (at < n && a[at] == b[at])
        ++at;
    return at;
}

// Offset of the last byte where a and b differ; the caller knows that one does.
int LastDifference(const std::uint8_t* a, const std::uint8_t* b, int n) {
    constexpr int Block = 256;
    int end = n;
    while (end >= Block && std::memcmp(a + end - Block, b + end - Block, Block) == 0)
        end -= Block;
    int at = end - 1;
    while (at > 0 && a[at] == b[at])
        --at;
    return at;
}

// On/Off tracks hold 0 or 255 only: 128 and above is on, anything below off.
void KeepOnOff(const TFullTrack& track, std::uint8_t* values, int count) {
    if (track.TrackType != TrackTypeOnOff)
        return;
    for (int i = 0; i < count; ++i)
        values[i] = values[i] >= 128 ? OnValue : OffValue;
}

// Writes one track at a time: the caller's `make(track, firstSlot, out, count)` fills `out`
// with the new values of `count` slots from `firstSlot`; the writer keeps them inside the
// track's editable slots and its type, and writes and announces only the slots that
// change. Each track is announced once with its own span rather than the whole show with
// a Reset: the lanes then repaint only what changed, and a Reset would also refresh every
// header, the menus and the scroll state for values alone. Even an operation over the
// whole show costs one announcement per track, far less than the repaint it causes.
class TBlockWriter {
public:
    explicit TBlockWriter(ShowDocument& document) : Doc(document) {}

    // The last slot of track `number` that may be written: the show's last editable slot,
    // or the track's own when it is shorter.
    int LastSlot(int number) const {
        return std::min(LastEditableSlot(Doc), Doc.Track(number).SlotCount() - 1);
    }

    template <typename Make> void Write(int number, int first, int last, Make&& make) {
        const TFullTrack& track = Doc.Track(number);
        if (track.Locked)
            return;
        first = std::max(first, 1);
        last = std::min(last, LastSlot(number));
        if (last < first)
            return;
        const int count = last - first + 1;
        Scratch.resize(static_cast<std::size_t>(count));
        std::uint8_t* values = Scratch.data();
        make(track, first, values, count);
        KeepOnOff(track, values, count);

        Current.resize(static_cast<std::size_t>(count));
        const std::uint8_t* current = Current.data();
        track.Values.CopyOut(first - 1, count, Current.data());
        const int from = FirstDifference(values, current, count);
        if (from == count)
            return;
        const int to = LastDifference(values, current, count);
        Doc.WriteSlots(number, first + from, values + from, to - from + 1);
        Changed = true;
    }

    bool Changed = false;

private:
    ShowDocument& Doc;
    std::vector<std::uint8_t> Scratch;
    std::vector<std::uint8_t> Current; // the track's values over the span being written
};

// Copies the current values of slots first .. first + count - 1 of `track` into `out`.
void CopyValues(const TFullTrack& track, int first, int count, std::uint8_t* out) {
    track.Values.CopyOut(first - 1, count, out);
}

} // namespace

BlockOperations::BlockOperations(ShowDocument& document, IBlockHost& host)
    : Doc(document), Host(host) {}

bool BlockOperations::Conclude(bool changed) {
    if (changed) {
        Doc.SetModified(true);
        Host.TakeSnapshot();
    }
    return changed;
}

bool BlockOperations::Copy(const TRangeSelection& selection) {
    const TRangeSelection range = ClampSelection(Doc, selection);
    if (range.Empty())
        return false;
    const auto length = static_cast<std::size_t>(range.SlotLength());
    TValueBlock block;
    block.Rows.reserve(static_cast<std::size_t>(range.TrackCount()));
    for (int number = range.FirstTrack; number <= range.LastTrack; ++number) {
        std::vector<std::uint8_t>& row = block.Rows.emplace_back(length, 0);
        // A track shorter than the show gives zeros past its end.
        const int own = std::min(range.LastSlot, Doc.Track(number).SlotCount() - 1);
        if (own >= range.FirstSlot)
            CopyValues(Doc.Track(number), range.FirstSlot, own - range.FirstSlot + 1, row.data());
    }
    Clipboard = std::move(block);
    return true;
}

bool BlockOperations::Cut(const TRangeSelection& selection) {
    return Copy(selection) && Clear(selection);
}

bool BlockOperations::Paste(int firstTrack, int slot) {
    if (Clipboard.Empty())
        return false;
    const std::int64_t length = Clipboard.SlotLength();
    const std::int64_t lastSlot =
        std::min<std::int64_t>(std::int64_t{slot} + length - 1, LastEditableSlot(Doc));
    if (lastSlot < 1)
        return false;
    TBlockWriter writer(Doc);
    for (std::size_t i = 0; i < Clipboard.Rows.size(); ++i) {
        const std::int64_t number = std::int64_t{firstTrack} + static_cast<std::int64_t>(i);
        if (number < 1)
            continue;
        if (number > Doc.TrackCount())
            break;
        const std::uint8_t* row = Clipboard.Rows[i].data();
        writer.Write(static_cast<int>(number), std::max(slot, 1), static_cast<int>(lastSlot),
                     [row, slot](const TFullTrack&, int first, std::uint8_t* out, int count) {
                         std::copy_n(row + (first - slot), count, out);
                     });
    }
    return Conclude(writer.Changed);
}

bool BlockOperations::Clear(const TRangeSelection& selection) {
    return Fill(selection, 0);
}

bool BlockOperations::Fill(const TRangeSelection& selection, std::uint8_t value) {
    const TRangeSelection range = ClampSelection(Doc, selection);
    if (range.Empty())
        return false;
    TBlockWriter writer(Doc);
    for (int number = range.FirstTrack; number <= range.LastTrack; ++number)
        writer.Write(number, range.FirstSlot, range.LastSlot,
                     [value](const TFullTrack&, int, std::uint8_t* out, int count) {
                         std::fill_n(out, count, value);
                     });
    return Conclude(writer.Changed);
}

bool BlockOperations::Ramp(const TRangeSelection& selection, std::uint8_t from, std::uint8_t to) {
    const TRangeSelection range = ClampSelection(Doc, selection);
    if (range.Empty())
        return false;
    // The same row for every track, computed once: value i of n + 1 is
    // (from x (n - i) + to x i) / n, rounded with halves up, exact at both ends.
    const int length = range.SlotLength();
    std::vector<std::uint8_t> row(static_cast<std::size_t>(length), from);
    const std::int64_t n = length - 1;
    for (std::int64_t i = 1; i <= n; ++i) {
        const std::int64_t sum = std::int64_t{from} * (n - i) + std::int64_t{to} * i;
        row[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((2 * sum + n) / (2 * n));
    }
    TBlockWriter writer(Doc);
    for (int number = range.FirstTrack; number <= range.LastTrack; ++number)
        writer.Write(number, range.FirstSlot, range.LastSlot,
                     [&row, &range](const TFullTrack&, int first, std::uint8_t* out, int count) {
                         std::copy_n(row.data() + (first - range.FirstSlot), count, out);
                     });
    return Conclude(writer.Changed);
}

namespace {

// Every value of the range through `table`.
template <typename Writer>
void MapRange(Writer& writer, const TRangeSelection& range,
              const std::array<std::uint8_t, 256>& table) {
    for (int number = range.FirstTrack; number <= range.LastTrack; ++number)
        writer.Write(number, range.FirstSlot, range.LastSlot,
                     [&table](const TFullTrack& track, int first, std::uint8_t* out, int count) {
                         CopyValues(track, first, count, out);
                         for (int i = 0; i < count; ++i)
                             out[i] = table[out[i]];
                     });
}

} // namespace

bool BlockOperations::Invert(const TRangeSelection& selection) {
    const TRangeSelection range = ClampSelection(Doc, selection);
    if (range.Empty())
        return false;
    std::array<std::uint8_t, 256> table{};
    for (int v = 0; v < 256; ++v)
        table[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(255 - v);
    TBlockWriter writer(Doc);
    MapRange(writer, range, table);
    return Conclude(writer.Changed);
}

bool BlockOperations::Scale(const TRangeSelection& selection, int percent) {
    const TRangeSelection range = ClampSelection(Doc, selection);
    if (range.Empty() || percent < 0 || percent > MaxScalePercent)
        return false;
    std::array<std::uint8_t, 256> table{};
    for (int v = 0; v < 256; ++v)
        table[static_cast<std::size_t>(v)] =
            static_cast<std::uint8_t>(std::min((2 * v * percent + 100) / 200, 255));
    TBlockWriter writer(Doc);
    MapRange(writer, range, table);
    return Conclude(writer.Changed);
}

bool BlockOperations::Shift(const TRangeSelection& selection, int slots) {
    const TRangeSelection range = ClampSelection(Doc, selection);
    if (range.Empty() || slots == 0)
        return false;
    // Any shift of the whole editable length or more moves every value out; clamping it
    // there keeps the arithmetic below within int.
    const int last = LastEditableSlot(Doc);
    const int by = std::clamp(slots, -last, last);
    const int spanFirst = std::min(range.FirstSlot, range.FirstSlot + by);
    const int spanLast = std::max(range.LastSlot, range.LastSlot + by);
    TBlockWriter writer(Doc);
    for (int number = range.FirstTrack; number <= range.LastTrack; ++number)
        writer.Write(
            number, spanFirst, spanLast,
            [&range, by](const TFullTrack& track, int first, std::uint8_t* out, int count) {
                const int end = first + count - 1;
                CopyValues(track, first, count, out);
                // The selection empties, then takes what lands in the span.
                const int clearFirst = std::max(range.FirstSlot, first);
                const int clearLast = std::min(range.LastSlot, end);
                if (clearLast >= clearFirst)
                    std::fill_n(out + (clearFirst - first), clearLast - clearFirst + 1,
                                std::uint8_t{0});
                const int sourceLast = std::min(range.LastSlot, track.SlotCount() - 1);
                const int toFirst = std::max(range.FirstSlot + by, first);
                const int toLast = std::min(sourceLast + by, end);
                if (toLast >= toFirst)
                    CopyValues(track, toFirst - by, toLast - toFirst + 1, out + (toFirst - first));
            });
    return Conclude(writer.Changed);
}

bool BlockOperations::Repeat(const TRangeSelection& selection, int times) {
    const TRangeSelection range = ClampSelection(Doc, selection);
    if (range.Empty() || times < 1)
        return false;
    const int length = range.SlotLength();
    const auto reach = static_cast<int>(std::min<std::int64_t>(
        std::int64_t{range.LastSlot} + std::int64_t{times} * length, LastEditableSlot(Doc)));
    TBlockWriter writer(Doc);
    for (int number = range.FirstTrack; number <= range.LastTrack; ++number)
        writer.Write(number, range.LastSlot + 1, reach,
                     [&range, length](const TFullTrack& track, int, std::uint8_t* out, int count) {
                         // The span starts right after the selection, so copies line up.
                         CopyValues(track, range.FirstSlot, std::min(length, count), out);
                         for (int at = length; at < count; at += length)
                             std::copy_n(out, std::min(length, count - at), out + at);
                     });
    return Conclude(writer.Changed);
}

bool BlockOperations::Chase(const TRangeSelection& selection, int stepSlots, std::uint8_t value) {
    const TRangeSelection range = ClampSelection(Doc, selection);
    if (range.Empty() || stepSlots < 1)
        return false;
    const std::int64_t tracks = range.TrackCount();
    const std::int64_t step = stepSlots;
    TBlockWriter writer(Doc);
    for (int number = range.FirstTrack; number <= range.LastTrack; ++number) {
        const std::int64_t place = number - range.FirstTrack;
        writer.Write(
            number, range.FirstSlot, range.LastSlot,
            [place, step, tracks, value](const TFullTrack&, int, std::uint8_t* out, int count) {
                std::fill_n(out, count, std::uint8_t{0});
                for (std::int64_t at = place * step; at < count; at += tracks * step)
                    std::fill_n(out + at, std::min<std::int64_t>(step, count - at), value);
            });
    }
    return Conclude(writer.Changed);
}

std::vector<int> BlockOperations::BeatsIn(const TRangeSelection& range,
                                          std::vector<int> beatSlots) {
    std::sort(beatSlots.begin(), beatSlots.end());
    beatSlots.erase(std::unique(beatSlots.begin(), beatSlots.end()), beatSlots.end());
    std::erase_if(beatSlots,
                  [&range](int slot) { return slot < range.FirstSlot || slot > range.LastSlot; });
    return beatSlots;
}

bool BlockOperations::FlashOnBeats(const TRangeSelection& selection,
                                   const std::vector<int>& beatSlots, int onSlots) {
    return LightOnBeats(selection, beatSlots, onSlots, false);
}

bool BlockOperations::ChaseOnBeats(const TRangeSelection& selection,
                                   const std::vector<int>& beatSlots, int onSlots) {
    return LightOnBeats(selection, beatSlots, onSlots, true);
}

bool BlockOperations::LightOnBeats(const TRangeSelection& selection,
                                   const std::vector<int>& beatSlots, int onSlots, bool chase) {
    const TRangeSelection range = ClampSelection(Doc, selection);
    if (range.Empty() || onSlots < 1)
        return false;
    const std::vector<int> beats = BeatsIn(range, beatSlots);
    if (beats.empty())
        return false;
    // A flash lights every track on every beat; a chase lights track k of the range on beats
    // k, k + tracks, k + 2 tracks and so on.
    const auto stride = chase ? static_cast<std::size_t>(range.TrackCount()) : std::size_t{1};
    TBlockWriter writer(Doc);
    for (int number = range.FirstTrack; number <= range.LastTrack; ++number) {
        const auto place = chase ? static_cast<std::size_t>(number - range.FirstTrack) : 0;
        writer.Write(number, range.FirstSlot, range.LastSlot,
                     [&beats, onSlots, place, stride](const TFullTrack&, int first,
                                                      std::uint8_t* out, int count) {
                         std::fill_n(out, count, OffValue);
                         for (std::size_t k = place; k < beats.size(); k += stride) {
                             const int at = beats[k] - first;
                             if (at >= count)
                                 break;
                             if (at + onSlots > 0)
                                 std::fill(out + std::max(at, 0),
                                           out + std::min(at + onSlots, count), OnValue);
                         }
                     });
    }
    return Conclude(writer.Changed);
}

} // namespace lumivox
