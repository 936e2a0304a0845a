// The MIDI input device on real ports: a virtual JACK MIDI port sends real messages, which
// the input queues and hands to the user-interface thread one per signal.
#include "midi/MidiInput.h"
#include "support/midi/MidiTestSupport.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <RtMidi.h>

#include <array>
#include <functional>
#include <numeric>

using namespace lumivox;
using namespace lumivox::test;

namespace {

// The message with number `i` (0 .. 16383): a controller change carrying the number.
std::vector<std::uint8_t> Numbered(int i) {
    return {0xB0, static_cast<std::uint8_t>(i & 0x7F), static_cast<std::uint8_t>(i >> 7)};
}

int NumberOf(const TMyMidiEvent& event) {
    return event.DataByte1 | (event.DataByte2 << 7);
}

std::vector<std::uint8_t> SysexMessage(int length) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    for (int i = 1; i + 1 < length; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i % 128);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    return bytes;
}

// Takes one message per MidiInput signal, as the main window does.
class Taker {
public:
    explicit Taker(TMidiInput& input) : Input(input) {
        QObject::connect(&input, &TMidiInput::MidiInput, [this] {
            ++Signals;
            if (auto event = Input.GetMidiEvent())
                Taken.push_back(*event);
        });
    }
    bool WaitForCount(std::size_t count) {
        return QTest::qWaitFor([&] { return Taken.size() >= count; }, JackWaitMs);
    }

    TMidiInput& Input;
    std::vector<TMyMidiEvent> Taken;
    int Signals = 0;
};

class MidiInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString problem = JackServerProblem();
        ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
        Source = std::make_unique<VirtualMidiSource>();
    }

    // An input opened and started on the virtual port.
    std::unique_ptr<TMidiInput> OpenInput(int capacity = 4096, int sysexSize = 4096,
                                          int sysexCount = 16) {
        auto input = std::make_unique<TMidiInput>();
        input->SetProductName(Source->PortName());
        input->SetCapacity(capacity);
        input->SetSysexBufferSize(sysexSize);
        input->SetSysexBufferCount(sysexCount);
        input->Open();
        input->Start();
        if (!WaitUntilConnected(*input, *Source))
            ADD_FAILURE() << "no message from " << Source->PortName().toStdString() << " arrives";
        return input;
    }

    std::unique_ptr<VirtualMidiSource> Source;
};

} // namespace

TEST_F(MidiInputTest, ListsPortsAtCreationAndOnRescanButNeverOurOwn) {
    TMidiInput input;
    EXPECT_EQ(input.State(), TMidiInputState::Closed);
    const int index = static_cast<int>(input.DeviceNames().indexOf(Source->PortName()));
    ASSERT_GE(index, 0) << input.DeviceNames().join(QStringLiteral(", ")).toStdString();
    EXPECT_EQ(input.DeviceList()[static_cast<std::size_t>(index)].Api, TMidiApi::Jack);
    EXPECT_EQ(input.DeviceCount(), input.DeviceNames().size());
    EXPECT_EQ(input.DeviceID(), 0);
    EXPECT_EQ(input.ProductName(), input.DeviceNames().front());

    // The list is read at creation; a port that appears later shows after a rescan, and the
    // selected device keeps its name.
    input.SetProductName(Source->PortName());
    VirtualMidiSource later;
    VirtualMidiSource ours(QStringLiteral("%1 %2").arg(QLatin1String(MidiInputClientName),
                                                       VirtualMidiSource::UniqueClientName()));
    EXPECT_FALSE(input.DeviceNames().contains(later.PortName()));
    input.RescanDevices();
    EXPECT_TRUE(input.DeviceNames().contains(later.PortName()));
    EXPECT_FALSE(input.DeviceNames().contains(ours.PortName()));
    EXPECT_EQ(input.ProductName(), Source->PortName());
    EXPECT_EQ(input.DeviceNames().at(input.DeviceID()), Source->PortName());

    // An open input's own port is not offered by another input.
    auto open = OpenInput();
    TMidiInput other;
    for (const QString& name : other.DeviceNames())
        EXPECT_FALSE(name.startsWith(QLatin1String(MidiInputClientName))) << name.toStdString();
}

TEST_F(MidiInputTest, SelectsDevicesByNameOrIndexAndRefusesChangesWhileOpen) {
    TMidiInput input;
    input.SetProductName(Source->PortName());
    EXPECT_EQ(input.DeviceNames().at(input.DeviceID()), Source->PortName());
    input.SetDeviceID(0);
    EXPECT_EQ(input.ProductName(), input.DeviceNames().front());

    const auto messageOf = [](const std::function<void()>& call) {
        try {
            call();
        } catch (const EMidiInputError& error) {
            return error.Message();
        }
        return QStringLiteral("(no error)");
    };
    EXPECT_EQ(messageOf([&] { input.SetProductName(QStringLiteral("No Such Port")); }),
              QStringLiteral("MIDI Input Device No Such Port not installed "));
    EXPECT_EQ(messageOf([&] { input.SetDeviceID(input.DeviceCount()); }),
              QStringLiteral("Invalid device ID"));
    EXPECT_EQ(messageOf([&] { input.SetDeviceID(-1); }), QStringLiteral("Invalid device ID"));
    EXPECT_EQ(input.ProductName(), input.DeviceNames().front());

    input.SetProductName(Source->PortName());
    input.Open();
    input.Open(); // already open: nothing happens
    EXPECT_EQ(input.State(), TMidiInputState::Open);
    EXPECT_EQ(input.Error(), 0);
    EXPECT_EQ(messageOf([&] { input.SetDeviceID(0); }),
              QStringLiteral("Change to DeviceID while device was open"));
    EXPECT_EQ(messageOf([&] { input.SetProductName(Source->PortName()); }),
              QStringLiteral("Change to ProductName while device was open"));
    EXPECT_EQ(messageOf([&] { input.SetSysexBufferSize(64); }),
              QStringLiteral("Change to SysexBufferSize while device was open"));
    EXPECT_EQ(messageOf([&] { input.SetSysexBufferCount(2); }),
              QStringLiteral("Change to SysexBuffercount while device was open"));
    EXPECT_EQ(input.SysexBufferSize(), 4096);
    EXPECT_EQ(input.SysexBufferCount(), 16);
    input.SetSysexOnly(true); // allowed at any time
    EXPECT_TRUE(input.SysexOnly());

    input.Close();
    EXPECT_EQ(input.State(), TMidiInputState::Closed);
    input.SetSysexBufferSize(64);
    EXPECT_EQ(input.SysexBufferSize(), 64);
}

TEST_F(MidiInputTest, OpeningAPortThatWentAwayReportsItAsNotInstalled) {
    TMidiInput input;
    input.SetProductName(Source->PortName());
    const QString name = Source->PortName();
    Source.reset();
    try {
        input.Open();
        FAIL() << "opened a port that is gone";
    } catch (const EMidiInputError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("MIDI Input Device %1 not installed ").arg(name));
    }
    EXPECT_EQ(input.State(), TMidiInputState::Closed);
    EXPECT_EQ(input.MessageCount(), 0);
}

TEST_F(MidiInputTest, DeliversMessagesInOrderOnePerSignalWithoutClockOrActiveSensing) {
    auto input = OpenInput();
    Taker taker(*input);
    Source->Send({0xFE});
    Source->Send({0x90, 60, 100});
    Source->Send({0xF8});
    Source->Send({0xC3, 5});
    Source->Send({0xFE});
    Source->Send({0xF1, 0x23});
    Source->Send({0xF8});
    Source->Send({0x80, 60, 0});
    ASSERT_TRUE(taker.WaitForCount(4));
    // Anything sent before the last message has arrived with it; a little more time lets
    // any stray message show.
    QTest::qWait(100);

    ASSERT_EQ(taker.Taken.size(), 4u);
    EXPECT_EQ(taker.Signals, 4);
    const std::vector<std::array<int, 3>> expected = {
        {0x90, 60, 100}, {0xC3, 5, 0}, {0xF1, 0x23, 0}, {0x80, 60, 0}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const TMyMidiEvent& event = taker.Taken[i];
        EXPECT_EQ(event.StatusByte, expected[i][0]) << i;
        EXPECT_EQ(event.DataByte1, expected[i][1]) << i;
        EXPECT_EQ(event.DataByte2, expected[i][2]) << i;
        EXPECT_EQ(event.SysexSize, 0) << i;
        EXPECT_TRUE(event.SysexData.empty()) << i;
        if (i > 0) {
            EXPECT_GE(event.TimeStamp, taker.Taken[i - 1].TimeStamp) << i;
        }
    }
    EXPECT_EQ(input->MessageCount(), 0);
    EXPECT_FALSE(input->GetMidiEvent().has_value());
    EXPECT_EQ(input->DroppedCount(), 0u);
}

TEST_F(MidiInputTest, ABurstBeyondCapacityKeepsTheFirstMessagesInOrder) {
    constexpr int Capacity = 4096;
    constexpr int Burst = 5000;
    auto input = OpenInput(Capacity);
    Taker taker(*input);
    QSignalSpy overflows(input.get(), &TMidiInput::Overflow);
    const std::uint64_t droppedBefore = input->DroppedCount();
    const auto dropped = [&] { return input->DroppedCount() - droppedBefore; };

    // The user-interface thread does not run during the burst. A JACK cycle carries only
    // so many messages, so they go in portions, each sent once the last one has arrived.
    constexpr int Portion = 200;
    for (int sent = 0; sent < Burst;) {
        const int end = std::min(Burst, sent + Portion);
        for (; sent < end; ++sent)
            Source->Send(Numbered(sent));
        ASSERT_TRUE(WaitWithoutEvents([&] {
            return static_cast<std::uint64_t>(input->MessageCount()) + input->DroppedCount() ==
                   static_cast<std::uint64_t>(sent);
        })) << "arrived: "
            << input->MessageCount() << " + " << input->DroppedCount() << " dropped of " << sent;
    }
    EXPECT_EQ(input->MessageCount(), Capacity);
    EXPECT_EQ(dropped(), static_cast<std::uint64_t>(Burst - Capacity));
    EXPECT_TRUE(taker.Taken.empty());

    ASSERT_TRUE(taker.WaitForCount(Capacity));
    QTest::qWait(100);
    ASSERT_EQ(taker.Taken.size(), static_cast<std::size_t>(Capacity));
    EXPECT_EQ(taker.Signals, Capacity);
    std::vector<int> numbers;
    for (const TMyMidiEvent& event : taker.Taken)
        numbers.push_back(NumberOf(event));
    std::vector<int> first(Capacity);
    std::iota(first.begin(), first.end(), 0);
    EXPECT_EQ(numbers, first);
    EXPECT_EQ(overflows.count(), Burst - Capacity);
    EXPECT_EQ(input->MessageCount(), 0);

    // The ring has room again and keeps delivering.
    Source->Send(Numbered(7000));
    ASSERT_TRUE(taker.WaitForCount(Capacity + 1));
    EXPECT_EQ(NumberOf(taker.Taken.back()), 7000);
}

TEST_F(MidiInputTest, TheRingWrapsAroundInOrder) {
    auto input = OpenInput(5);
    const std::uint64_t droppedBefore = input->DroppedCount();
    int next = 0;
    std::vector<int> numbers;
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 3; ++i)
            Source->Send(Numbered(next++));
        ASSERT_TRUE(WaitWithoutEvents([&] { return input->MessageCount() == 3; }));
        while (auto event = input->GetMidiEvent())
            numbers.push_back(NumberOf(*event));
    }
    std::vector<int> expected(12);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(numbers, expected);
    EXPECT_EQ(input->DroppedCount(), droppedBefore);
}

TEST_F(MidiInputTest, SystemExclusiveArrivesWholeAndItsBufferIsReused) {
    auto input = OpenInput(4096, 4096, 2);
    Taker taker(*input);
    // More messages than buffers, each taken before the next is sent.
    for (int i = 0; i < 5; ++i) {
        const std::vector<std::uint8_t> sysex = SysexMessage(1000 + i);
        Source->Send(sysex);
        ASSERT_TRUE(taker.WaitForCount(static_cast<std::size_t>(i + 1))) << i;
        const TMyMidiEvent& event = taker.Taken.back();
        EXPECT_EQ(event.StatusByte, 0xF0);
        EXPECT_EQ(event.DataByte1, 0);
        EXPECT_EQ(event.DataByte2, 0);
        EXPECT_EQ(event.SysexSize, sysex.size());
        EXPECT_EQ(event.SysexData, sysex);
    }
    EXPECT_EQ(input->DroppedCount(), 0u);
}

TEST_F(MidiInputTest, SystemExclusiveLongerThanABufferFillsSeveralInOrder) {
    auto input = OpenInput(4096, 64, 4);
    const std::vector<std::uint8_t> sysex = SysexMessage(150);
    Source->Send(sysex);
    Source->Send({0x90, 1, 2});
    ASSERT_TRUE(WaitWithoutEvents([&] { return input->MessageCount() == 4; }));
    std::vector<std::uint8_t> joined;
    std::vector<int> sizes;
    for (int i = 0; i < 3; ++i) {
        const auto event = input->GetMidiEvent();
        ASSERT_TRUE(event.has_value());
        EXPECT_EQ(event->StatusByte, 0xF0);
        sizes.push_back(event->SysexSize);
        joined.insert(joined.end(), event->SysexData.begin(), event->SysexData.end());
    }
    EXPECT_EQ(sizes, (std::vector<int>{64, 64, 22}));
    EXPECT_EQ(joined, sysex);
    EXPECT_EQ(input->GetMidiEvent()->StatusByte, 0x90);

    // With every buffer waiting to be taken, a further message finds none and is lost.
    for (int i = 0; i < 5; ++i)
        Source->Send(SysexMessage(10));
    Source->Send({0x90, 3, 4});
    ASSERT_TRUE(WaitWithoutEvents([&] { return input->MessageCount() == 5; }));
    EXPECT_EQ(input->DroppedCount(), 1u);
}

TEST_F(MidiInputTest, SysexOnlyDropsShortMessagesFromTheMomentItIsSet) {
    auto input = OpenInput();
    input->SetSysexOnly(true);
    Source->Send({0x90, 60, 100});
    Source->Send(SysexMessage(20));
    Source->Send({0xB0, 7, 100});
    ASSERT_TRUE(WaitWithoutEvents([&] { return input->MessageCount() == 1; }));
    input->SetSysexOnly(false);
    Source->Send({0x80, 60, 0});
    ASSERT_TRUE(WaitWithoutEvents([&] { return input->MessageCount() == 2; }));

    const auto sysex = input->GetMidiEvent();
    ASSERT_TRUE(sysex.has_value());
    EXPECT_EQ(sysex->StatusByte, 0xF0);
    EXPECT_EQ(sysex->SysexData, SysexMessage(20));
    EXPECT_EQ(input->GetMidiEvent()->StatusByte, 0x80);
}

TEST_F(MidiInputTest, QueuesOnlyBetweenStartAndStop) {
    auto input = OpenInput();
    input->Stop();
    // Sends one message and waits until the input is done with it.
    const auto send = [&](int number) {
        const std::uint64_t received = input->ReceivedCount();
        Source->Send(Numbered(number));
        return WaitWithoutEvents([&] { return input->ReceivedCount() == received + 1; });
    };
    ASSERT_TRUE(send(1));
    EXPECT_EQ(input->MessageCount(), 0);
    input->Start();
    ASSERT_TRUE(send(2));
    input->Stop();
    ASSERT_TRUE(send(3));
    input->Start();
    ASSERT_TRUE(send(4));

    std::vector<int> numbers;
    while (auto event = input->GetMidiEvent())
        numbers.push_back(NumberOf(*event));
    EXPECT_EQ(numbers, (std::vector<int>{2, 4}));

    // Closing drops what waits, and a closed input delivers nothing.
    Source->Send(Numbered(5));
    ASSERT_TRUE(WaitWithoutEvents([&] { return input->MessageCount() > 0; }));
    QSignalSpy delivered(input.get(), &TMidiInput::MidiInput);
    input->Close();
    EXPECT_EQ(input->MessageCount(), 0);
    EXPECT_FALSE(input->GetMidiEvent().has_value());
    QTest::qWait(50);
    EXPECT_EQ(delivered.count(), 0);
    input->Start(); // nothing when closed
    input->Close();
    EXPECT_EQ(input->State(), TMidiInputState::Closed);
}

TEST_F(MidiInputTest, APortThatDisappearsWhileOpenClosesTheInputCleanly) {
    auto input = OpenInput();
    Taker taker(*input);
    QSignalSpy lost(input.get(), &TMidiInput::DeviceLost);
    Source->Send(Numbered(1));
    ASSERT_TRUE(taker.WaitForCount(1));

    const QString client = Source->PortName().section(QLatin1Char(':'), 0, 0);
    Source.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lost.count() > 0; }, JackWaitMs));
    EXPECT_EQ(lost.count(), 1);
    EXPECT_TRUE(lost.first().first().toString().contains(client));
    EXPECT_EQ(input->State(), TMidiInputState::Closed);
    EXPECT_EQ(input->MessageCount(), 0);
    EXPECT_FALSE(input->GetMidiEvent().has_value());

    // The port comes back: it opens again and delivers.
    Source = std::make_unique<VirtualMidiSource>(client);
    input->RescanDevices();
    input->SetProductName(Source->PortName());
    input->Open();
    input->Start();
    ASSERT_TRUE(WaitUntilConnected(*input, *Source));
    Source->Send(Numbered(2));
    ASSERT_TRUE(taker.WaitForCount(2));
    EXPECT_EQ(NumberOf(taker.Taken.back()), 2);
}

// Stops a JACK server under an open input, on a server of the test's own so that the
// other tests keep theirs.
TEST(MidiInputServerTest, AJackServerThatStopsWhileOpenClosesTheInputCleanly) {
    PrivateJackServer server;
    ASSERT_TRUE(server.Problem().isEmpty()) << server.Problem().toStdString();
    auto source = std::make_unique<VirtualMidiSource>();
    TMidiInput input;
    ASSERT_TRUE(input.DeviceNames().contains(source->PortName()));
    input.SetProductName(source->PortName());
    input.Open();
    input.Start();
    ASSERT_TRUE(WaitUntilConnected(input, *source));
    Taker taker(input);
    source->Send(Numbered(1));
    ASSERT_TRUE(taker.WaitForCount(1));

    QSignalSpy lost(&input, &TMidiInput::DeviceLost);
    server.Stop();
    const QString name = source->PortName();
    source.reset();
    // Before the input hears of it, another part of the program opens a JACK client, which
    // makes the JACK library free the memory of every client of the stopped server.
    { RtMidiIn other(RtMidi::UNIX_JACK, "lumivox-test-other"); }
    ASSERT_TRUE(QTest::qWaitFor([&] { return lost.count() > 0; }, JackWaitMs));
    EXPECT_TRUE(lost.first().first().toString().contains(QStringLiteral("JACK server")));
    EXPECT_EQ(input.State(), TMidiInputState::Closed);
    EXPECT_FALSE(input.GetMidiEvent().has_value());
    input.Close();

    // With no server there are no JACK devices, and the input stays usable.
    input.RescanDevices();
    EXPECT_FALSE(input.DeviceNames().contains(name));
    for (const TMidiInputDevice& device : input.DeviceList())
        EXPECT_EQ(device.Api, TMidiApi::Alsa) << device.Name.toStdString();
}
