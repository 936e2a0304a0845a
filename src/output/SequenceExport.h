// Export of the show as the binary sequence file the playback unit loads: the change events
// of every track, their frames per time slot, and the fixed 65,536-byte file image.
#pragma once

#include "core/LanguageTables.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace lumivox {

class ShowDocument;
class IUserInterface;

inline constexpr int SequenceFileSize = 65536;
inline constexpr int SequenceHeaderSize = 32768;
inline constexpr int SequencePrefixSize = 32;
// Frame data may fill the event area except its last byte, so a 0x00 always follows it.
inline constexpr int SequenceMaxFrameData = 32767;
// The last slot (0-based) a frame can name in its 16-bit field.
inline constexpr std::uint32_t MaxSequenceSlot = 0xFFFF;

// One change of one output: the moment in ms from the start of the song, the output number
// (0 stands for "All") and the new value.
struct TContactorEvent {
    std::uint32_t time = 0;
    std::uint8_t contactor = 0;
    std::uint8_t value = 0;
};

// One entry of a frame.
struct TCntTrameData {
    std::uint8_t contactor = 0;
    std::uint8_t value = 0;
};

// The outputs that change at one slot. `slot` names the 0-based slot of the next frame's
// changes; the last frame keeps 0.
class TTrameOfContactorEvent {
public:
    static constexpr std::size_t MaxEntries = 256;

    std::uint16_t slot = 0;
    std::vector<TCntTrameData> entries;

    // Appends an entry; false, appending nothing, when the frame holds MaxEntries already.
    bool add(std::uint8_t contactor, std::uint8_t value);
    // The entry count as a byte (modulo 256).
    std::uint8_t Size() const { return static_cast<std::uint8_t>(entries.size()); }
    // Entry number x (1-based), or null when x is 0 or beyond the count.
    const TCntTrameData* GetDataEventX(std::uint8_t x) const;
    TCntTrameData* GetDataEventX(std::uint8_t x);
};

// The file beside the song: same folder and base name, extension ".seq" (appended when the
// song path has no extension). Empty for an empty path.
QString SequenceFileNameFor(const QString& mp3Path);

// Where the export writes: beside the song when `requested` is empty, inside `requested` (named
// after the song) when it is a folder, else `requested` itself.
QString SequenceTargetFor(const QString& mp3Path, const QString& requested);

// Resolution byte of the header: 1, 2, 3, 4 for 100, 250, 500, 1000 ms; anything else is 4.
std::uint8_t SequenceResolutionCode(int resolutionMs);

// The file image built from a frame list.
struct TEncodedSequence {
    QByteArray Bytes;
    // Sum of (3 + 2 × count) over the frames written, as the header gives it.
    std::uint32_t FrameDataLength = 0;
    // The frames did not all fit in SequenceMaxFrameData: the file holds those before the
    // first that did not fit, the last of them naming no next slot, and is still
    // SequenceFileSize bytes long.
    bool Overflow = false;
};

// Header (spaces, big-endian length of the frames written, resolution code), frames in list order,
// then zero bytes up to SequenceFileSize. A frame record carries at most 255 entries, as its
// count is one byte; the export never builds more.
TEncodedSequence EncodeSequenceFile(const std::vector<TTrameOfContactorEvent>& frames,
                                    int resolutionMs);

class TSequenceExport {
public:
    enum class Result {
        Done,          // written whole
        TooManyEvents, // written, but the frames did not all fit the unit's memory
        SlotsCut,      // written up to the last slot the file can name; later changes lost
        Declined,      // the user did not replace the existing file; nothing written
        Failed,        // input/output error, reported; the previous file is unchanged
    };

    // Working lists, kept between exports and emptied at the start of each one.
    const std::vector<TContactorEvent>& Events() const { return EventList; }
    const std::vector<TTrameOfContactorEvent>& Frames() const { return FrameList; }

    // Empties the event list and appends, track by track in list order, one event for each
    // slot 1..SlotCount whose value differs from the track's previous one (starting at 0).
    // Every track counts, whatever its type, mute, solo or lock state. `gauge` receives
    // track index × 100 ÷ track count after each track.
    void BuildEvents(const ShowDocument& show, const std::function<void(int)>& gauge = {});
    // Sets the event list directly (tests and tools).
    void SetEvents(std::vector<TContactorEvent> events) { EventList = std::move(events); }

    // Orders the events by time, ascending; events of equal time keep their order, so the
    // entries of a frame follow the track order. Linear in the event count.
    void SortEvents();

    // Empties the frame list and groups the sorted events into frames: a first frame for the
    // changes at time 0 (possibly empty), then one frame per distinct time; each frame's slot
    // names the next frame's slot (time ÷ resolution), the last keeps 0. The frames end before
    // the first event whose slot is past MaxSequenceSlot: false when events were left out so.
    bool BuildFrames(int resolutionMs);

    TEncodedSequence Encode(int resolutionMs) const {
        return EncodeSequenceFile(FrameList, resolutionMs);
    }

    // The Create Seq File command after the transport has been stopped: progress window,
    // events, sort, the replace question, frames, the file (written to a temporary file,
    // checked, then renamed over the old one) and the closing message. The file goes where
    // SequenceTargetFor says; without a song and a target, a warning and Failed. A place that
    // cannot be written is said and the sequence chooser offered. The progress window is
    // closed on every outcome.
    Result Export(const ShowDocument& show, IUserInterface& ui, Language language,
                  const QString& targetPath = {});
    // The file the last export wrote; empty when it wrote none.
    const QString& WrittenPath() const { return Written; }

private:
    std::vector<TContactorEvent> EventList;
    std::vector<TContactorEvent> SortScratch;
    std::vector<TTrameOfContactorEvent> FrameList;
    QString Written;
};

} // namespace lumivox
