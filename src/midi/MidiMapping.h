// Matching incoming MIDI messages against every track's MIDI map, learning for the MIDI Map
// dialog, recording live input into armed tracks and the track menu's MIDI Map command.
// Widget-free: it talks to the window through IMidiMappingHost.
#pragma once

#include "core/LanguageTables.h"
#include "midi/MidiEvent.h"
#include "model/ShowDocument.h"

#include <QString>

#include <cstdint>

namespace lumivox {

// Message kinds in the high nibble of the status byte; the channel is the low nibble.
inline constexpr std::uint8_t MidiNoteOff = 0x80;
inline constexpr std::uint8_t MidiNoteOn = 0x90;
inline constexpr std::uint8_t MidiControlChange = 0xB0;

// The MIDI activity indicator: lit on every message, back to grey on the window's 200 ms
// timer. Both are 0x00BBGGRR like every colour of the editor.
inline constexpr TColor MidiActivityLitColor = 0xE6E6E6;
inline constexpr TColor MidiActivityIdleColor = 0x808080;

// Captions of the MIDI Map dialog's menu entries, also used for its labels. They accept any
// byte, so a map read from a file or the key 128 of a track on output 255 shows without an
// entry of its own: "Channel 17", "G#10", "200".
QString ChannelCaption(std::uint8_t channel);       // "Channel 01" for channel 0
QString KeyCaption(std::uint8_t key);               // note name and octave: "C 5" for key 60
QString ControllerCaption(std::uint8_t controller); // "001 Modulation Wheel"

// The byte a track records for a live input level: On/Off tracks 255 for any level above 0;
// Proportional tracks twice the level, 127 (or more) giving 255.
std::uint8_t RecordedValue(std::uint8_t trackType, std::uint8_t inputValue);

// Applies one message to one track's live input: the map's controller value, InputValue and
// InputActive, none of which the show keeps or shows.
void ApplyMidiMessage(const TFullTrack& track, const TMyMidiEvent& event);

// The MIDI Map dialog while it can learn: the state of its two learn toggles, and where a
// learnt key or controller (with its channel) goes.
class IMidiLearner {
public:
    virtual ~IMidiLearner() = default;
    virtual bool LearningKey() const = 0;
    virtual bool LearningController() const = 0;
    virtual void LearnKey(std::uint8_t key, std::uint8_t channel) = 0;
    virtual void LearnController(std::uint8_t controller, std::uint8_t channel) = 0;
};

// The MIDI Map dialog as the command sees it.
class IMidiMapEditor {
public:
    virtual ~IMidiMapEditor() = default;
    // Shows the dialog modally over `map` with its texts in `language`; true on OK, when
    // `map` holds the dialog's choices. On Cancel `map` is left as it was.
    virtual bool EditMidiMap(TMidiMap& map, Language language) = 0;
};

// What the MIDI mapping asks of the main window.
class IMidiMappingHost {
public:
    virtual ~IMidiMappingHost() = default;
    // A message arrived: fill the activity indicator with MidiActivityLitColor.
    virtual void LightMidiActivity() = 0;
    // As the Stop button.
    virtual void StopTransport() = 0;
    virtual void TakeSnapshot() = 0;
};

class TMidiMapping {
public:
    TMidiMapping(ShowDocument& document, IMidiMappingHost& host, const Language& language);

    // The dialog that learns from incoming messages while it is shown; null for none.
    void SetLearner(IMidiLearner* learner) { Learner = learner; }

    // The main window's handler of one delivered message: learning first, then every
    // track's map in list order whatever its mute, solo or arm state, then the activity
    // indicator. Never marks the project modified.
    void MidiInput1MidiInput(const TMyMidiEvent& event);

    // Records the live input of `track` (one of the show's tracks) into value index
    // currentSlot + 1, where currentSlot is the show clock's 0-based slot. Only while
    // `recordMode` is on, the track's gate is open and it is armed for recording. True when a
    // value was stored; the project is then modified. Skipping muted and unsoloed tracks is
    // the caller's.
    bool RecordLiveInput(const TFullTrack& track, int currentSlot, bool recordMode);

    // Clears every track's live input, as opening a MIDI input does.
    void ClearLiveInput();

    // The track menu's MIDI Map entry for `track` (the popup track; null does nothing):
    // stops the transport, shows the dialog over a copy of the track's map and, on OK,
    // stores the copy, marks the project modified and takes an undo step. True on OK.
    bool MIDIMap1Click(const TFullTrack* track, IMidiMapEditor& editor);

private:
    bool OwnsTrack(const TFullTrack* track) const { return Doc.NumberOf(track) > 0; }

    ShowDocument& Doc;
    IMidiMappingHost& Host;
    const Language& Lang;
    IMidiLearner* Learner = nullptr;
};

} // namespace lumivox
