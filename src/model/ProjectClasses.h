// The show model: the project record, tracks with one value byte per slot, track copies and
// MIDI maps, with the limits every other subsystem relies on.
#pragma once

#include <QFlags>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace lumivox {

// Colours are 0x00BBGGRR: red in the low byte, as the project file stores them.
using TColor = std::uint32_t;

inline constexpr int MaxTracks = 255;
inline constexpr int MaxSlotCount = 131070; // 0x1FFFE: 13,107 s of song at 100 ms
inline constexpr std::uint8_t OnValue = 255;
inline constexpr std::uint8_t OffValue = 0;

inline constexpr std::uint8_t TrackTypeProportional = 0;
inline constexpr std::uint8_t TrackTypeOnOff = 1;

inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clWhite = 0xFFFFFF;

// Milliseconds per slot for ResolutionIndex 1, 2 and 3; 0 for anything else.
int ResolutionMs(int resolutionIndex);
bool IsValidResolutionIndex(int resolutionIndex);

class TMidiMap {
public:
    std::uint8_t Channel = 0;
    std::uint8_t Controller = 1;
    std::uint8_t Key = 0;
    // The controller's last level from the MIDI device: live input, neither stored nor shown,
    // so it changes on tracks the show only lets be read.
    mutable std::uint8_t ControllerValue = 0;
    bool UseVelocity = false;
    bool UseKey = true;

    friend bool operator==(const TMidiMap&, const TMidiMap&) = default;
};

// Two bytes queued for the serial link: output number and value.
class TMidiEventToRS232 {
public:
    std::uint8_t Contactor = 0;
    std::uint8_t Value = 0;
};

class TProjectType {
public:
    QString Name;
    QString Mp3FileName;
    std::int32_t Resolution = 1;
    QString Subject;
    QString Author;
    QString Copyright;
    QString Customer;
    QString CreationDate;
    QString Reserved;
    QStringList Comments{QStringLiteral("...")};
};

// The header fields of a track, as the show reports their changes.
enum class TTrackField : unsigned {
    Caption = 1u << 0,
    Type = 1u << 1,
    Output = 1u << 2,
    Locked = 1u << 3,
    Mute = 1u << 4,
    Solo = 1u << 5,
    Colors = 1u << 6, // header, caption, lane and lane background colours
    Selected = 1u << 7,
    Armed = 1u << 8,
    Number = 1u << 9,
    MidiMap = 1u << 10,
};
Q_DECLARE_FLAGS(TTrackFields, TTrackField)
Q_DECLARE_OPERATORS_FOR_FLAGS(TTrackFields)
inline constexpr TTrackFields AllTrackFields = TTrackFields::fromInt((1u << 11) - 1);

class TFullTrack;

// The number a header shows for 1-based position `number`: the number box holds a byte.
inline int HeaderNumber(int number) {
    return static_cast<std::uint8_t>(number);
}

// Slot values of one track. Slots are 1-based; index SlotCount is storage only and is
// never read or written through the accessors.
// The bytes lie in fixed-size chunks under a chunk table, and copies share both (copy on
// write): a copy costs a reference, and a write to shared values copies the table and the
// one chunk it lands in, so an undo snapshot after a one-cell edit holds one chunk of its
// own rather than the whole track. Version() changes on every write access.
class TSlotValues {
public:
    // Bytes per chunk; every chunk but the last holds exactly this many.
    static constexpr int ChunkShift = 10;
    static constexpr int ChunkSize = 1 << ChunkShift;

    explicit TSlotValues(int slotCount = 0);
    // `slotCount` values whose first stored bytes are the `count` bytes at `bytes` (as CopyIn
    // at offset 0 would leave them), the others 0: made in one pass, as a file is read.
    TSlotValues(int slotCount, const std::uint8_t* bytes, int count);

    int SlotCount() const { return Table ? Table->Count : 0; }
    bool SetValue(int index, std::uint8_t value);
    bool GetValue(int index, std::uint8_t& value) const {
        if (index < 1 || index >= SlotCount())
            return false;
        value = StoredByte(index - 1);
        return true;
    }
    // Keeps the first values up to the smaller count; new slots hold 0. Out-of-range
    // counts (negative or above MaxSlotCount) leave the values unchanged.
    void Resize(int newCount);

    // The stored byte at 0-based `offset` (slot offset + 1), the storage-only last byte
    // included; `offset` must lie within 0 .. SlotCount - 1.
    std::uint8_t StoredByte(int offset) const {
        const auto at = static_cast<std::size_t>(offset);
        return Table->Chunks[at >> ChunkShift][at & (ChunkSize - 1)];
    }
    // Bulk access by 0-based storage offsets, clipped to the storage: copies `count` bytes
    // from `offset` into `out`, or writes `count` bytes (from `in`, or all `value`). The
    // writes count as a change and copy only the shared chunks they touch.
    void CopyOut(int offset, int count, std::uint8_t* out) const;
    void CopyIn(int offset, int count, const std::uint8_t* in);
    void Fill(int offset, int count, std::uint8_t value);

    // A number that differs after every write access; copies keep it until they are written.
    std::uint64_t Version() const { return Stamp; }
    // True when both hold the very same chunk table, so they are equal without comparing.
    bool SharesBytesWith(const TSlotValues& other) const {
        return Table != nullptr && Table == other.Table;
    }
    // How many chunks at the same position both hold in common.
    int SharedChunkCount(const TSlotValues& other) const;
    // Value bytes held, counted once however many copies share them.
    std::size_t ByteCount() const { return static_cast<std::size_t>(SlotCount()); }
    int ChunkCount() const { return Table ? static_cast<int>(Table->Chunks.size()) : 0; }
    // Calls `visit(key, isChunk, bytes)` for the chunk table and for each chunk, `key` naming
    // the block so that blocks shared between copies can be counted once; a chunk's bytes
    // are its value bytes, the table's the memory of its chunk references.
    template <typename Visit> void VisitBlocks(Visit&& visit) const {
        if (!Table)
            return;
        visit(static_cast<const void*>(Table.get()), false,
              sizeof(TChunkTable) + Table->Chunks.capacity() * sizeof(TChunk));
        for (std::size_t k = 0; k < Table->Chunks.size(); ++k)
            visit(static_cast<const void*>(Table->Chunks[k].get()), true, ChunkBytes(k));
    }

    friend bool operator==(const TSlotValues& a, const TSlotValues& b);

private:
    using TChunk = std::shared_ptr<std::uint8_t[]>;
    struct TChunkTable {
        int Count = 0;
        std::vector<TChunk> Chunks;
    };

    std::size_t ChunkBytes(std::size_t k) const {
        return std::min<std::size_t>(ChunkSize,
                                     static_cast<std::size_t>(Table->Count) - (k << ChunkShift));
    }
    // Makes the chunk table this object's own before a write and takes a new version.
    TChunkTable& OwnTable();
    // Chunk `k` of an own table, copied first when another table shares it.
    std::uint8_t* OwnChunk(TChunkTable& table, std::size_t k);
    // Walks the chunks under offset..offset+count-1, clipped, with (chunk, first, length).
    template <typename Step> void ForRange(int offset, int count, Step&& step) const;

    std::shared_ptr<TChunkTable> Table;
    std::uint64_t Stamp = 0;
};

// One track of the show. The show hands its tracks out for reading only and makes every
// change itself, so that each one is reported; the setters here keep the track's own rules.
class TFullTrack {
public:
    explicit TFullTrack(int slotCount);
    TFullTrack(const TFullTrack&) = delete;
    TFullTrack& operator=(const TFullTrack&) = delete;

    TSlotValues Values;
    std::uint8_t Output = 0;
    std::uint8_t TrackType = TrackTypeProportional;
    bool Selected = false;
    bool Locked = false;
    bool Mute = false;
    bool Solo = false;
    // Record-arm: MIDI recording writes into armed tracks only. A state of the editing
    // session, not of the show: neither the project file nor the undo history keeps it.
    bool Armed = false;
    QString Caption;
    TColor HeaderColor = clSilver;
    TColor CaptionColor = clGray;
    TColor LaneColor = clRed;
    TColor LaneBackColor = clWhite;
    TMidiMap MidiMap;
    // The live level and gate of the MIDI device mapped to the track: input of the moment,
    // neither stored nor shown, so it changes on tracks the show only lets be read.
    mutable std::uint8_t InputValue = 0;
    mutable bool InputActive = false;

    int SlotCount() const { return Values.SlotCount(); }
    bool SetValue(int index, std::uint8_t value) { return Values.SetValue(index, value); }
    bool GetValue(int index, std::uint8_t& value) const { return Values.GetValue(index, value); }
    void Resize(int newCount) { Values.Resize(newCount); }

    // Mute and Solo exclude each other: setting one clears the other.
    void SetMute(bool flag);
    void SetSolo(bool flag);

    // The track is heard (played, recorded, sent to the unit, painted in its colours): not
    // muted and, while any track is soloed, soloed itself.
    bool Heard(bool soloActive) const { return !Mute && (!soloActive || Solo); }
};

// A track without a header, as held by the clipboard and the undo history.
class TFullDataTrack {
public:
    explicit TFullDataTrack(int slotCount);

    TSlotValues Values;
    std::uint8_t TrackType = TrackTypeProportional;
    std::uint8_t Output = 0;
    bool Locked = false;
    bool Mute = false;
    bool Solo = false;
    QString Caption;
    TColor HeaderColor = clSilver;
    TColor CaptionColor = clGray;
    TColor LaneColor = clRed;
    TColor LaneBackColor = clWhite;
    TMidiMap MidiMap;

    int SlotCount() const { return Values.SlotCount(); }
    bool SetValue(int index, std::uint8_t value) { return Values.SetValue(index, value); }
    bool GetValue(int index, std::uint8_t& value) const { return Values.GetValue(index, value); }
};

} // namespace lumivox
