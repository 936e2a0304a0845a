// The show model: the project record, tracks with one value byte per slot, track copies and
// MIDI maps, with the limits every other subsystem relies on.
#pragma once

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
    std::uint8_t ControllerValue = 0;
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

// What a track's header shows. The header widget implements it; the model only tells it
// what changed, so the model builds and runs without widgets.
class ITrackHeader {
public:
    virtual ~ITrackHeader() = default;
    virtual void ShowCaption(const QString& caption) = 0;
    virtual void ShowSelected(bool selected) = 0;
    virtual void ShowLocked(bool locked) = 0;
    virtual void ShowMute(bool mute) = 0;
    virtual void ShowSolo(bool solo) = 0;
    virtual void ShowTypeImage(std::uint8_t trackType) = 0;
    virtual void ShowOutputText(const QString& text) = 0;
    virtual void ShowNumber(int number) = 0;
    virtual void ShowColors(TColor headerColor, TColor captionColor) = 0;
    virtual void SetHeight(int pixels) = 0;
    // The record-arm button is down. A header without one is never armed.
    virtual bool Armed() const { return false; }
};

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

class TFullTrack {
public:
    explicit TFullTrack(int slotCount, std::unique_ptr<ITrackHeader> header = nullptr);
    TFullTrack(const TFullTrack&) = delete;
    TFullTrack& operator=(const TFullTrack&) = delete;

    std::unique_ptr<ITrackHeader> Header;
    TSlotValues Values;
    std::uint8_t Output = 0;
    std::uint8_t TrackType = TrackTypeProportional;
    std::uint8_t InputValue = 0;
    bool Selected = false;
    bool Locked = false;
    bool Mute = false;
    bool Solo = false;
    bool InputActive = false;
    QString Caption;
    TColor HeaderColor = clSilver;
    TColor CaptionColor = clGray;
    TColor LaneColor = clRed;
    TColor LaneBackColor = clWhite;
    TMidiMap MidiMap;

    int SlotCount() const { return Values.SlotCount(); }
    bool SetValue(int index, std::uint8_t value) { return Values.SetValue(index, value); }
    bool GetValue(int index, std::uint8_t& value) const { return Values.GetValue(index, value); }
    void Resize(int newCount) { Values.Resize(newCount); }

    void SetCaption(const QString& text);
    void SetSeleted(bool flag);
    void SetLocked(bool flag);
    void ToggleLocked() { SetLocked(!Locked); }
    void SetMute(bool flag);
    void SetSolo(bool flag);
    void SetType(std::uint8_t type) { TrackType = type; }
    void SetTypeImage(std::uint8_t type);
    void SetOutputText(const QString& text);
    void SetNumber(int position);
    void SetColors(TColor headerColor, TColor captionColor);
    void SetHeight(int pixels);

    // True when the track is heard: soloed, or unmuted while no track is soloed.
    bool IsLive(bool soloActive) const { return Solo || (!Mute && !soloActive); }
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
