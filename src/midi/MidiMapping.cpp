// Matching MIDI messages to the tracks' maps, learning, live recording and the MIDI Map command.
#include "midi/MidiMapping.h"

#include <algorithm>

namespace lumivox {
namespace {

constexpr int kMidiDataMax = 127;
constexpr int kNotesPerOctave = 12;

std::uint8_t Kind(const TMyMidiEvent& event) {
    return static_cast<std::uint8_t>(event.StatusByte & 0xF0);
}

std::uint8_t ChannelOf(const TMyMidiEvent& event) {
    return static_cast<std::uint8_t>(event.StatusByte & 0x0F);
}

// A message of `kind` on the map's channel. Comparing kind and channel apart equals comparing
// the status byte with kind + Channel for channels 0..15, and keeps a channel above 15 (read
// from a damaged file) from spilling into the next kind: with channel 16, kind + channel
// would turn a Note Off map into one that matches Note On on channel 1.
bool OnMapChannel(const TMyMidiEvent& event, std::uint8_t kind, const TMidiMap& map) {
    return Kind(event) == kind && ChannelOf(event) == map.Channel;
}

} // namespace

QString ChannelCaption(std::uint8_t channel) {
    return QStringLiteral("Channel %1").arg(channel + 1, 2, 10, QLatin1Char('0'));
}

QString KeyCaption(std::uint8_t key) {
    return Text(TextTable::KeyNames, key % kNotesPerOctave + 1, Language::English) +
           QString::number(key / kNotesPerOctave);
}

QString ControllerCaption(std::uint8_t controller) {
    if (controller <= kMidiDataMax) {
        return Text(TextTable::ControllerNames, controller + 1, Language::English);
    }
    return QStringLiteral("%1").arg(controller, 3, 10, QLatin1Char('0'));
}

std::uint8_t RecordedValue(std::uint8_t trackType, std::uint8_t inputValue) {
    if (trackType == TrackTypeOnOff) {
        return inputValue > 0 ? OnValue : OffValue;
    }
    // Data bytes never exceed 127; should one do, it records the top value rather than
    // wrapping round to a low one.
    if (inputValue >= kMidiDataMax) {
        return 255;
    }
    return static_cast<std::uint8_t>(inputValue * 2);
}

void ApplyMidiMessage(const TFullTrack& track, const TMyMidiEvent& event) {
    const TMidiMap& map = track.MidiMap;
    const bool mappedController =
        OnMapChannel(event, MidiControlChange, map) && event.DataByte1 == map.Controller;
    if (mappedController) {
        map.ControllerValue = event.DataByte2;
    }

    if (!map.UseKey) {
        // Controller mode: the controller opens the gate for good and carries the value.
        if (mappedController) {
            track.InputValue = map.ControllerValue;
            track.InputActive = true;
        }
        return;
    }

    const bool noteOn = OnMapChannel(event, MidiNoteOn, map) && event.DataByte1 == map.Key;
    const bool noteOff = OnMapChannel(event, MidiNoteOff, map) && event.DataByte1 == map.Key;
    if (map.UseVelocity) {
        // Key + velocity mode: the key gates, its velocity is the value; a Note On with
        // velocity 0 is a release that also sets the value to 0.
        if (noteOn) {
            track.InputValue = event.DataByte2;
            track.InputActive = event.DataByte2 > 0;
        } else if (noteOff) {
            track.InputActive = false;
        }
        return;
    }

    // Key + controller mode: the key gates, the controller's last value is the value, and a
    // controller move changes the value whether the key is held or not.
    if (noteOn) {
        track.InputValue = map.ControllerValue;
        track.InputActive = event.DataByte2 > 0;
    } else if (noteOff) {
        track.InputActive = false;
    } else if (mappedController) {
        track.InputValue = map.ControllerValue;
    }
}

TMidiMapping::TMidiMapping(ShowDocument& document, IMidiMappingHost& host, const Language& language)
    : Doc(document), Host(host), Lang(language) {}

void TMidiMapping::MidiInput1MidiInput(const TMyMidiEvent& event) {
    if (Learner != nullptr) {
        if (Learner->LearningKey() && Kind(event) == MidiNoteOn) {
            Learner->LearnKey(event.DataByte1, ChannelOf(event));
        }
        if (Learner->LearningController() && Kind(event) == MidiControlChange) {
            Learner->LearnController(event.DataByte1, ChannelOf(event));
        }
    }
    for (const auto& track : Doc.Tracks()) {
        ApplyMidiMessage(*track, event);
    }
    Host.LightMidiActivity();
}

bool TMidiMapping::RecordLiveInput(const TFullTrack& track, int currentSlot, bool recordMode) {
    if (!recordMode || !track.InputActive || !track.Armed) {
        return false;
    }
    const int number = Doc.NumberOf(&track);
    const int index = currentSlot + 1;
    // Past the song's last slot nothing is stored, so nothing is modified either.
    if (number < 1 ||
        !Doc.SetSlot(number, index, RecordedValue(track.TrackType, track.InputValue))) {
        return false;
    }
    Doc.SetModified(true);
    return true;
}

void TMidiMapping::ClearLiveInput() {
    for (const auto& track : Doc.Tracks()) {
        track->InputValue = 0;
        track->InputActive = false;
    }
}

bool TMidiMapping::MIDIMap1Click(const TFullTrack* track, IMidiMapEditor& editor) {
    if (track == nullptr || !OwnsTrack(track)) {
        return false;
    }
    Host.StopTransport();
    TMidiMap map = track->MidiMap;
    if (!editor.EditMidiMap(map, Lang)) {
        return false;
    }
    // The dialog runs an event loop; store only into a track that still exists.
    if (!OwnsTrack(track)) {
        return false;
    }
    Doc.SetMidiMap(Doc.NumberOf(track), map);
    Doc.SetModified(true);
    Host.TakeSnapshot();
    return true;
}

} // namespace lumivox
