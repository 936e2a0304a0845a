// Tests of matching MIDI messages to the tracks' maps in the three modes, channels, the
// activity indicator, and recording live input into armed tracks with its scaling and gates.
#include "midi/MidiMapping.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace lumivox {
namespace {

class RecordingHost : public IMidiMappingHost {
public:
    void LightMidiActivity() override { ++Lights; }
    void StopTransport() override {}
    void TakeSnapshot() override {}
    int Lights = 0;
};

TMyMidiEvent Message(int status, int data1, int data2) {
    TMyMidiEvent event;
    event.StatusByte = static_cast<std::uint8_t>(status);
    event.DataByte1 = static_cast<std::uint8_t>(data1);
    event.DataByte2 = static_cast<std::uint8_t>(data2);
    return event;
}

enum class Mode { Controller, KeyController, KeyVelocity };

class MidiMappingTest : public ::testing::Test {
protected:
    MidiMappingTest() {
        doc.SlotCount = 101;
        // The slots the lanes are told to repaint.
        QObject::connect(&doc, &ShowDocument::SlotsChanged, &doc,
                         [this](int track, int first, int last) {
                             EXPECT_EQ(first, last);
                             Repaints.emplace_back(track, first);
                         });
    }

    const TFullTrack& Add(Mode mode, int channel = 0, int key = 60, int controller = 7) {
        const TFullTrack& track = *doc.AddTrack(language);
        TMidiMap map = track.MidiMap;
        map.Channel = static_cast<std::uint8_t>(channel);
        map.Key = static_cast<std::uint8_t>(key);
        map.Controller = static_cast<std::uint8_t>(controller);
        map.UseKey = mode != Mode::Controller;
        map.UseVelocity = mode == Mode::KeyVelocity;
        doc.SetMidiMap(doc.TrackCount(), map);
        return track;
    }

    void Arm(const TFullTrack& track, bool armed = true) {
        doc.SetArmed(doc.NumberOf(&track), armed);
    }
    void Write(const TFullTrack& track, int index, std::uint8_t value) {
        ASSERT_TRUE(doc.SetSlot(doc.NumberOf(&track), index, value));
    }

    void Send(int status, int data1, int data2) {
        mapping.MidiInput1MidiInput(Message(status, data1, data2));
    }

    std::uint8_t ValueAt(int track, int index) const {
        std::uint8_t value = 0;
        EXPECT_TRUE(doc.Track(track).GetValue(index, value));
        return value;
    }

    ShowDocument doc;
    RecordingHost host;
    Language language = Language::English;
    TMidiMapping mapping{doc, host, language};
    std::vector<std::pair<int, int>> Repaints;
};

TEST_F(MidiMappingTest, ControllerModeOpensTheGateForGoodFromTheMappedController) {
    const TFullTrack& track = Add(Mode::Controller, 2, 60, 7);
    Send(0x92, 60, 100); // the key means nothing in this mode
    Send(0xB2, 8, 90);   // another controller
    EXPECT_FALSE(track.InputActive);
    EXPECT_EQ(track.InputValue, 0);

    Send(0xB2, 7, 100);
    EXPECT_TRUE(track.InputActive);
    EXPECT_EQ(track.InputValue, 100);
    EXPECT_EQ(track.MidiMap.ControllerValue, 100);

    Send(0xB2, 7, 0); // a value of 0 keeps the gate open
    Send(0x82, 60, 0);
    EXPECT_TRUE(track.InputActive);
    EXPECT_EQ(track.InputValue, 0);

    // Opening a MIDI input shuts every gate.
    Send(0xB2, 7, 20);
    mapping.ClearLiveInput();
    EXPECT_FALSE(track.InputActive);
    EXPECT_EQ(track.InputValue, 0);
}

TEST_F(MidiMappingTest, KeyAndControllerModeGatesByKeyAndTakesTheControllersLastValue) {
    const TFullTrack& track = Add(Mode::KeyController, 0, 60, 1);
    Send(0x90, 60, 100); // the controller has not moved yet
    EXPECT_TRUE(track.InputActive);
    EXPECT_EQ(track.InputValue, 0);

    Send(0xB0, 1, 90); // moving it while the key is held changes the value
    EXPECT_TRUE(track.InputActive);
    EXPECT_EQ(track.InputValue, 90);

    Send(0x80, 60, 64);
    EXPECT_FALSE(track.InputActive);
    EXPECT_EQ(track.InputValue, 90);

    Send(0xB0, 1, 40); // released: the value follows, the gate stays shut
    EXPECT_FALSE(track.InputActive);
    EXPECT_EQ(track.InputValue, 40);

    Send(0x90, 60, 80);
    EXPECT_TRUE(track.InputActive);
    Send(0x90, 60, 0); // velocity 0 is a release
    EXPECT_FALSE(track.InputActive);
    EXPECT_EQ(track.InputValue, 40);

    Send(0x90, 61, 100); // another key
    EXPECT_FALSE(track.InputActive);
}

TEST_F(MidiMappingTest, KeyAndVelocityModeTakesTheVelocity) {
    const TFullTrack& track = Add(Mode::KeyVelocity, 0, 60, 1);
    Send(0x90, 60, 100);
    EXPECT_TRUE(track.InputActive);
    EXPECT_EQ(track.InputValue, 100);

    Send(0xB0, 1, 20); // the controller is remembered but is not the value
    EXPECT_EQ(track.MidiMap.ControllerValue, 20);
    EXPECT_EQ(track.InputValue, 100);

    Send(0x80, 60, 0); // Note Off keeps the value
    EXPECT_FALSE(track.InputActive);
    EXPECT_EQ(track.InputValue, 100);

    Send(0x90, 60, 90);
    Send(0x90, 60, 0); // velocity 0: value 0 and the gate shut
    EXPECT_FALSE(track.InputActive);
    EXPECT_EQ(track.InputValue, 0);
}

TEST_F(MidiMappingTest, ControllerValueFollowsEveryTrackMappedToThatChannelAndController) {
    const TFullTrack& controller = Add(Mode::Controller, 0, 60, 7);
    const TFullTrack& keyController = Add(Mode::KeyController, 0, 61, 7);
    const TFullTrack& keyVelocity = Add(Mode::KeyVelocity, 0, 62, 7);
    const TFullTrack& otherChannel = Add(Mode::Controller, 1, 60, 7);
    const TFullTrack& otherController = Add(Mode::Controller, 0, 60, 8);
    // Muted, soloed or unarmed tracks are matched all the same.
    doc.SetMute(2, true);
    doc.SetSolo(3, true);

    Send(0xB0, 7, 55);
    EXPECT_EQ(controller.MidiMap.ControllerValue, 55);
    EXPECT_EQ(keyController.MidiMap.ControllerValue, 55);
    EXPECT_EQ(keyVelocity.MidiMap.ControllerValue, 55);
    EXPECT_EQ(otherChannel.MidiMap.ControllerValue, 0);
    EXPECT_EQ(otherController.MidiMap.ControllerValue, 0);
    EXPECT_FALSE(otherChannel.InputActive);
    EXPECT_FALSE(otherController.InputActive);
}

TEST_F(MidiMappingTest, AMessageOnAnotherChannelNeverMatches) {
    for (const Mode mode : {Mode::Controller, Mode::KeyController, Mode::KeyVelocity}) {
        doc.RemoveAllTracks();
        const TFullTrack& track = Add(mode, 3, 60, 7);
        for (int channel = 0; channel < 16; ++channel) {
            if (channel == 3) {
                continue;
            }
            Send(0xB0 + channel, 7, 100);
            Send(0x90 + channel, 60, 100);
        }
        EXPECT_FALSE(track.InputActive) << static_cast<int>(mode);
        EXPECT_EQ(track.InputValue, 0) << static_cast<int>(mode);
        EXPECT_EQ(track.MidiMap.ControllerValue, 0) << static_cast<int>(mode);

        // The same messages on the map's channel do match.
        Send(0xB3, 7, 100);
        Send(0x93, 60, 100);
        EXPECT_TRUE(track.InputActive) << static_cast<int>(mode);
        EXPECT_EQ(track.InputValue, 100) << static_cast<int>(mode);
    }
}

TEST_F(MidiMappingTest, AChannelAboveFifteenFromADamagedFileMatchesNothing) {
    // Status 0x80 + 16 is a Note On on channel 1: it must not release this key.
    const TFullTrack& track = Add(Mode::KeyVelocity, 16, 60, 7);
    track.InputActive = true;
    track.InputValue = 50;
    Send(0x90, 60, 0);
    Send(0x90, 60, 100);
    Send(0xA0, 60, 100); // 0x90 + 16
    Send(0xC0, 7, 100);  // 0xB0 + 16
    EXPECT_TRUE(track.InputActive);
    EXPECT_EQ(track.InputValue, 50);
    EXPECT_EQ(track.MidiMap.ControllerValue, 0);
}

TEST_F(MidiMappingTest, EveryMessageLightsTheIndicatorAndNoneModifiesTheProject) {
    Send(0xF8, 0, 0); // without tracks too
    Add(Mode::KeyVelocity, 0, 60, 7);
    TMyMidiEvent sysex = Message(0xF0, 0, 0);
    sysex.SysexData = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    sysex.SysexSize = static_cast<std::uint16_t>(sysex.SysexData.size());
    mapping.MidiInput1MidiInput(sysex);
    Send(0x90, 60, 100);
    Send(0xB0, 7, 10);
    Send(0xC0, 5, 0);
    EXPECT_EQ(host.Lights, 5);
    EXPECT_FALSE(doc.Modified());
}

TEST_F(MidiMappingTest, RecordingScalesTheLevelToTheTrackType) {
    const TFullTrack& proportional = Add(Mode::KeyVelocity, 0, 60, 7);
    const TFullTrack& onOff = Add(Mode::KeyVelocity, 0, 60, 7);
    doc.SetType(2, TrackTypeOnOff);
    Arm(proportional);
    Arm(onOff);
    const std::vector<std::pair<int, int>> proportionalLevels{
        {1, 2}, {64, 128}, {126, 252}, {127, 255}};
    int slot = 0;
    for (const auto& [level, recorded] : proportionalLevels) {
        Send(0x90, 60, level);
        ASSERT_TRUE(mapping.RecordLiveInput(proportional, slot, true));
        ASSERT_TRUE(mapping.RecordLiveInput(onOff, slot, true));
        EXPECT_EQ(ValueAt(1, slot + 1), recorded) << level;
        EXPECT_EQ(ValueAt(2, slot + 1), OnValue) << level;
        ++slot;
    }
    // A level above 127 cannot come from a device; it records the top value, not 2 x 200.
    EXPECT_EQ(RecordedValue(TrackTypeProportional, 200), 255);

    EXPECT_TRUE(doc.Modified());
    ASSERT_FALSE(Repaints.empty());
    EXPECT_EQ(Repaints.front(), std::make_pair(1, 1));
    EXPECT_EQ(Repaints.back(), std::make_pair(2, slot));
}

TEST_F(MidiMappingTest, AControllerAtZeroRecordsZeroIntoEverySlot) {
    const TFullTrack& proportional = Add(Mode::Controller, 0, 60, 7);
    const TFullTrack& onOff = Add(Mode::Controller, 0, 60, 7);
    doc.SetType(2, TrackTypeOnOff);
    Arm(proportional);
    Arm(onOff);
    for (int index = 1; index <= 100; ++index) {
        Write(proportional, index, 99);
        Write(onOff, index, OnValue);
    }
    Send(0xB0, 7, 0);
    for (int slot = 10; slot < 13; ++slot) {
        EXPECT_TRUE(mapping.RecordLiveInput(proportional, slot, true));
        EXPECT_TRUE(mapping.RecordLiveInput(onOff, slot, true));
    }
    EXPECT_EQ(ValueAt(1, 10), 99); // slot 10 (0-based 9) was not recorded
    for (int index = 11; index <= 13; ++index) {
        EXPECT_EQ(ValueAt(1, index), 0) << index;
        EXPECT_EQ(ValueAt(2, index), OffValue) << index;
    }
    EXPECT_EQ(ValueAt(1, 14), 99);
}

TEST_F(MidiMappingTest, RecordingStoresNothingWhenAConditionFails) {
    const TFullTrack& track = Add(Mode::KeyVelocity, 0, 60, 7);
    Write(track, 6, 77);
    Repaints.clear();
    Send(0x90, 60, 100);
    Arm(track);
    EXPECT_FALSE(mapping.RecordLiveInput(track, 5, false)); // record mode off

    Arm(track, false);
    EXPECT_FALSE(mapping.RecordLiveInput(track, 5, true)); // not armed

    Arm(track);
    Send(0x80, 60, 0);
    EXPECT_FALSE(mapping.RecordLiveInput(track, 5, true)); // gate shut: earlier values stay

    Send(0x90, 60, 100);
    EXPECT_FALSE(mapping.RecordLiveInput(track, 100, true)); // index 101 is past the song
    TFullTrack stranger(101);                                // not one of the show's tracks
    stranger.InputActive = true;
    stranger.Armed = true;
    EXPECT_FALSE(mapping.RecordLiveInput(stranger, 5, true));

    const TFullTrack& headless = Add(Mode::KeyVelocity, 0, 60, 7); // new tracks are not armed
    Send(0x90, 60, 100);
    ASSERT_TRUE(headless.InputActive);
    EXPECT_FALSE(mapping.RecordLiveInput(headless, 5, true));

    EXPECT_EQ(ValueAt(1, 6), 77);
    EXPECT_EQ(ValueAt(2, 6), 0);
    EXPECT_FALSE(doc.Modified());
    EXPECT_TRUE(Repaints.empty());

    // With every condition met the same call records.
    EXPECT_TRUE(mapping.RecordLiveInput(track, 5, true));
    EXPECT_EQ(ValueAt(1, 6), 200);
}

} // namespace
} // namespace lumivox
