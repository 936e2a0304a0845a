// The show model: the project record, tracks with one value byte per slot, track copies and
// MIDI maps, with the limits every other subsystem relies on.
#pragma once

#include <QFlags>
#include <QString>
#include <QStringList>

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

// What a track's header shows. The header widget implements it; the show tells it which of
// its track's fields changed, so the model builds and runs without widgets.
class ITrackHeader {
public:
    virtual ~ITrackHeader() = default;
    // Shows `fields` of `track`, which stands at 1-based position `number`.
    virtual void Show(const TFullTrack& track, int number, TTrackFields fields) = 0;
    virtual void SetHeight(int pixels) = 0;
};

// The number a header shows for 1-based position `number`: the number box holds a byte.
inline int HeaderNumber(int number) {
    return static_cast<std::uint8_t>(number);
}

// Slot values of one track. Slots are 1-based; index SlotCount is storage only and is
// never read or written through the accessors.
// Copies share their bytes (copy on write): a copy costs a reference, and the first write
// to shared bytes gives the writer its own copy, so undo snapshots of unchanged tracks hold
// no bytes of their own. Version() changes on every write access.
class TSlotValues {
public:
    explicit TSlotValues(int slotCount = 0);

    int SlotCount() const { return Bytes ? static_cast<int>(Bytes->size()) : 0; }
    bool SetValue(int index, std::uint8_t value);
    bool GetValue(int index, std::uint8_t& value) const;
    // Keeps the first values up to the smaller count; new slots hold 0. Out-of-range
    // counts (negative or above MaxSlotCount) leave the values unchanged.
    void Resize(int newCount);

    const std::uint8_t* Data() const { return Bytes ? Bytes->data() : nullptr; }
    // Write access: takes a private copy of shared bytes and counts as a change. The pointer
    // is valid until the next copy of these values is made or they are resized.
    std::uint8_t* Data();

    // A number that differs after every write access; copies keep it until they are written.
    std::uint64_t Version() const { return Stamp; }
    // True when both hold the very same bytes, which are then equal without comparing.
    bool SharesBytesWith(const TSlotValues& other) const {
        return Bytes != nullptr && Bytes == other.Bytes;
    }
    // Bytes held, counted once however many copies share them.
    std::size_t ByteCount() const { return Bytes ? Bytes->size() : 0; }

    friend bool operator==(const TSlotValues& a, const TSlotValues& b);

private:
    // Makes the bytes this object's own before a write and takes a new version.
    void Detach();

    std::shared_ptr<std::vector<std::uint8_t>> Bytes;
    std::uint64_t Stamp = 0;
};

// One track of the show. The show hands its tracks out for reading only and makes every
// change itself, so that each one is reported; the setters here keep the track's own rules.
class TFullTrack {
public:
    explicit TFullTrack(int slotCount, std::unique_ptr<ITrackHeader> header = nullptr);
    TFullTrack(const TFullTrack&) = delete;
    TFullTrack& operator=(const TFullTrack&) = delete;

    std::unique_ptr<ITrackHeader> Header;
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
