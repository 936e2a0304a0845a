// The main window's MIDI input logic on a real virtual JACK port: the device entries, the
// saved name, opening, reopening, closing, failures and a device that goes away.
#include "midi/MidiInputControl.h"
#include "model/ShowDocument.h"
#include "support/ScriptedUserInterface.h"
#include "support/midi/MidiTestSupport.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace lumivox;
using namespace lumivox::test;

namespace {

// The window as the control sees it: the MIDI Map entry and the checked menu entry.
class RecordingHost : public IMidiInputHost {
public:
    void SetMidiMapEnabled(bool enabled) override { MidiMapEnabled = enabled; }
    void CheckMidiInputEntry(int tag) override { CheckedTag = tag; }
    void MidiInputEntriesChanged() override { ++Rebuilds; }

    bool MidiMapEnabled = false;
    int CheckedTag = 0;
    int Rebuilds = 0;
};

class MidiInputControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString problem = JackServerProblem();
        ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
        Source = std::make_unique<VirtualMidiSource>();
        Input = std::make_unique<TMidiInput>();
        for (int i = 0; i < 3; ++i)
            Document.AddTrack(Language::English);
        Control = std::make_unique<MidiInputControl>(*Input, Document, Ui, Host, Lang);
    }

    int TagOf(const QString& caption) const {
        for (const TMidiInputEntry& entry : Control->DeviceEntries())
            if (entry.Caption == caption)
                return entry.Tag;
        return -1;
    }

    // Live input on every track, as incoming messages leave it.
    void SetLiveInput() {
        for (const auto& track : Document.Tracks()) {
            track->InputValue = 99;
            track->InputActive = true;
        }
    }
    bool LiveInputCleared() const {
        for (const auto& track : Document.Tracks())
            if (track->InputValue != 0 || track->InputActive)
                return false;
        return true;
    }

    std::unique_ptr<VirtualMidiSource> Source;
    std::unique_ptr<TMidiInput> Input;
    ShowDocument Document;
    ScriptedUserInterface Ui;
    RecordingHost Host;
    Language Lang = Language::English;
    std::unique_ptr<MidiInputControl> Control;
};

} // namespace

TEST_F(MidiInputControlTest, EntriesFollowTheDeviceListWithTagsFromOne) {
    const QStringList names = Input->DeviceNames();
    ASSERT_EQ(Control->DeviceEntries().size(), static_cast<std::size_t>(names.size()));
    for (int i = 0; i < names.size(); ++i) {
        EXPECT_EQ(Control->DeviceEntries()[static_cast<std::size_t>(i)].Caption, names[i]);
        EXPECT_EQ(Control->DeviceEntries()[static_cast<std::size_t>(i)].Tag, i + 1);
    }
    EXPECT_EQ(Control->DeviceCaptions(), names);
    EXPECT_GE(TagOf(Source->PortName()), 1);
    EXPECT_EQ(Control->CheckedTag(), 0);
    EXPECT_FALSE(Control->MidiInputOpen());
}

TEST_F(MidiInputControlTest, ASavedNameThatMatchesNoPortOpensNothing) {
    Control->ApplySavedName(QStringLiteral("Keyboard unplugged since last time"));
    EXPECT_TRUE(Control->MidiInputName().isEmpty());
    EXPECT_EQ(Control->CheckedTag(), 0);
    EXPECT_EQ(Host.CheckedTag, 0);
    SetLiveInput();
    Control->OpenMidiInput();
    EXPECT_FALSE(Control->MidiInputOpen());
    EXPECT_EQ(Input->State(), TMidiInputState::Closed);
    EXPECT_FALSE(Host.MidiMapEnabled);
    EXPECT_FALSE(LiveInputCleared());
    EXPECT_TRUE(Ui.Events.empty());
}

TEST_F(MidiInputControlTest, ASavedNameOpensItsPortAndSelectingItAgainReopens) {
    Control->ApplySavedName(Source->PortName());
    EXPECT_EQ(Control->MidiInputName(), Source->PortName());
    EXPECT_EQ(Host.CheckedTag, TagOf(Source->PortName()));

    SetLiveInput();
    Control->OpenMidiInput();
    ASSERT_TRUE(Control->MidiInputOpen());
    EXPECT_EQ(Input->State(), TMidiInputState::Open);
    EXPECT_EQ(Input->ProductName(), Source->PortName());
    EXPECT_TRUE(Host.MidiMapEnabled);
    EXPECT_TRUE(LiveInputCleared());

    // Started: messages arrive.
    ASSERT_TRUE(WaitUntilConnected(*Input, *Source));
    Source->Send({0x90, 60, 100});
    ASSERT_TRUE(QTest::qWaitFor([&] { return Input->MessageCount() == 1; }, JackWaitMs));

    // Choosing the open device again closes it (dropping what waits), reopens it and clears
    // every track's live input.
    SetLiveInput();
    Control->MenuMidiInputSelectClick(TagOf(Source->PortName()));
    EXPECT_TRUE(Control->MidiInputOpen());
    EXPECT_EQ(Input->State(), TMidiInputState::Open);
    EXPECT_EQ(Input->MessageCount(), 0);
    EXPECT_TRUE(LiveInputCleared());
    EXPECT_TRUE(Host.MidiMapEnabled);
    ASSERT_TRUE(WaitUntilConnected(*Input, *Source));
    Source->Send({0x80, 60, 0});
    ASSERT_TRUE(QTest::qWaitFor([&] { return Input->MessageCount() == 1; }, JackWaitMs));
    EXPECT_EQ(Input->GetMidiEvent()->StatusByte, 0x80);

    // "(None)" closes it and forgets the name.
    Control->MenuMidiInputSelectClick(0);
    EXPECT_FALSE(Control->MidiInputOpen());
    EXPECT_EQ(Input->State(), TMidiInputState::Closed);
    EXPECT_FALSE(Host.MidiMapEnabled);
    EXPECT_TRUE(Control->MidiInputName().isEmpty());
    EXPECT_EQ(Host.CheckedTag, 0);
    EXPECT_TRUE(Ui.Events.empty());
}

TEST_F(MidiInputControlTest, SwitchingDevicesClosesTheOldOne) {
    VirtualMidiSource second;
    Control->RefreshDeviceEntries();
    EXPECT_EQ(Host.Rebuilds, 1);
    ASSERT_GE(TagOf(second.PortName()), 1);

    Control->MenuMidiInputSelectClick(TagOf(Source->PortName()));
    ASSERT_TRUE(Control->MidiInputOpen());
    Control->MenuMidiInputSelectClick(TagOf(second.PortName()));
    ASSERT_TRUE(Control->MidiInputOpen());
    EXPECT_EQ(Input->ProductName(), second.PortName());
    EXPECT_EQ(Control->MidiInputName(), second.PortName());
    EXPECT_EQ(Host.CheckedTag, TagOf(second.PortName()));

    // Only the chosen port is connected.
    ASSERT_TRUE(WaitUntilConnected(*Input, second));
    Source->Send({0x90, 1, 1});
    second.Send({0x90, 2, 2});
    ASSERT_TRUE(QTest::qWaitFor([&] { return Input->MessageCount() == 1; }, JackWaitMs));
    EXPECT_EQ(Input->GetMidiEvent()->DataByte1, 2);

    Control->CloseMidiInput();
    EXPECT_FALSE(Control->MidiInputOpen());
    EXPECT_EQ(Input->State(), TMidiInputState::Closed);
    EXPECT_FALSE(Host.MidiMapEnabled);
    EXPECT_EQ(Control->MidiInputName(), second.PortName()); // kept for the settings file
}

TEST_F(MidiInputControlTest, AFailedOpenIsReportedAndLeavesTheInputClosed) {
    Control->MenuMidiInputSelectClick(TagOf(Source->PortName()));
    ASSERT_TRUE(Control->MidiInputOpen());
    Control->CloseMidiInput();
    const QString name = Source->PortName();
    Source.reset();

    SetLiveInput();
    Control->OpenMidiInput();
    EXPECT_FALSE(Control->MidiInputOpen());
    EXPECT_EQ(Input->State(), TMidiInputState::Closed);
    EXPECT_FALSE(Host.MidiMapEnabled);
    EXPECT_FALSE(LiveInputCleared());
    EXPECT_EQ(Ui.Texts(ScriptedUserInterface::Event::ReportError),
              QStringList{QStringLiteral("MIDI Input Device %1 not installed ").arg(name)});
}

TEST_F(MidiInputControlTest, ADeviceThatGoesAwayIsShownAndTheWindowFollows) {
    Control->MenuMidiInputSelectClick(TagOf(Source->PortName()));
    ASSERT_TRUE(Control->MidiInputOpen());
    const int tag = TagOf(Source->PortName());
    Source.reset();

    ASSERT_TRUE(QTest::qWaitFor([&] { return !Control->MidiInputOpen(); }, JackWaitMs));
    EXPECT_EQ(Input->State(), TMidiInputState::Closed);
    EXPECT_FALSE(Host.MidiMapEnabled);
    const QStringList warnings = Ui.Texts(ScriptedUserInterface::Event::Warning);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings.first(),
              QStringLiteral("The MIDI input device %1 is no longer available and has been closed.")
                  .arg(Control->MidiInputName()));
    // The choice stays, for the settings file and for trying again.
    EXPECT_EQ(Host.CheckedTag, tag);

    // Once the list is read again without it, the choice is forgotten.
    Control->RefreshDeviceEntries();
    EXPECT_EQ(TagOf(Control->MidiInputName()), -1);
    EXPECT_TRUE(Control->MidiInputName().isEmpty());
    EXPECT_EQ(Host.CheckedTag, 0);
    Control->OpenMidiInput();
    EXPECT_FALSE(Control->MidiInputOpen());
    EXPECT_EQ(Ui.Texts(ScriptedUserInterface::Event::ReportError).size(), 0);
}
