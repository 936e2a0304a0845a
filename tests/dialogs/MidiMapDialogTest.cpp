// Tests of the MIDI Map dialog on real widgets: its menus and labels, learning from incoming
// messages, the track menu command with OK and Cancel, unplayable stored values, and its
// texts in the four languages.
#include "dialogs/MidiMapDialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <array>
#include <functional>

namespace lumivox {
namespace {

constexpr std::array kLanguages{Language::French, Language::English, Language::Spanish,
                                Language::German};

class RecordingHost : public IMidiMappingHost {
public:
    void LightMidiActivity() override {}
    void StopTransport() override { ++Stops; }
    void TakeSnapshot() override { ++Snapshots; }
    int Stops = 0;
    int Snapshots = 0;
};

TMyMidiEvent Message(int status, int data1, int data2) {
    TMyMidiEvent event;
    event.StatusByte = static_cast<std::uint8_t>(status);
    event.DataByte1 = static_cast<std::uint8_t>(data1);
    event.DataByte2 = static_cast<std::uint8_t>(data2);
    return event;
}

class MidiMapDialogTest : public ::testing::Test {
protected:
    MidiMapDialogTest() {
        doc.SlotCount = 101;
        mapping.SetLearner(&dialog);
    }

    template <typename T> T* Child(const char* name) {
        auto* child = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    QString LabelText(const char* name) { return Child<QLabel>(name)->text(); }

    void Click(const char* name) {
        QTest::mouseClick(Child<QAbstractButton>(name), Qt::LeftButton);
    }

    void Send(int status, int data1, int data2) {
        mapping.MidiInput1MidiInput(Message(status, data1, data2));
    }

    // The entry of menu `menu` whose tag is `tag`.
    QAction* Entry(const char* menu, int tag) {
        const auto entries = Child<QMenu>(menu)->actions();
        for (QAction* entry : entries) {
            if (entry->data().toInt() == tag) {
                return entry;
            }
        }
        ADD_FAILURE() << menu << " has no tag " << tag;
        return nullptr;
    }

    // The track menu's MIDI Map command on `track`; `script` runs inside the dialog's modal
    // loop and should press OK or Cancel. A guard ends the loop should it not.
    bool MidiMapCommand(const TFullTrack* track, std::function<void()> script) {
        QTimer::singleShot(0, &dialog, std::move(script));
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &dialog, [this] {
            ADD_FAILURE() << "the dialog was left open";
            dialog.done(-1);
        });
        guard.start(5000);
        return mapping.MIDIMap1Click(track, dialog);
    }

    ShowDocument doc;
    RecordingHost host;
    Language language = Language::English;
    TMidiMapping mapping{doc, host, language};
    TForm6 dialog;
};

TEST_F(MidiMapDialogTest, MenusHoldEveryChoiceTaggedWithItsValuePlusOne) {
    struct Expected {
        const char* menu;
        int count;
        int value;
        const char* caption;
    };
    for (const Expected& e :
         {Expected{"ChannelMenu", 16, 0, "Channel 01"},
          Expected{"ChannelMenu", 16, 15, "Channel 16"}, Expected{"NoteMenu", 128, 0, "C 0"},
          Expected{"NoteMenu", 128, 1, "C#0"}, Expected{"NoteMenu", 128, 12, "C 1"},
          Expected{"NoteMenu", 128, 60, "C 5"}, Expected{"NoteMenu", 128, 127, "G 10"},
          Expected{"CtrlMenu", 128, 0, "000 Bank Select"},
          Expected{"CtrlMenu", 128, 127, "127 Ploy Mode On"}}) {
        const auto entries = Child<QMenu>(e.menu)->actions();
        ASSERT_EQ(entries.size(), e.count) << e.menu;
        EXPECT_EQ(entries.at(e.value)->text(), QString::fromLatin1(e.caption)) << e.menu;
        EXPECT_EQ(entries.at(e.value)->data().toInt(), e.value + 1) << e.menu;
        for (const QAction* entry : entries) {
            EXPECT_FALSE(entry->text().contains(QLatin1Char('&'))) << e.menu;
        }
    }
}

TEST_F(MidiMapDialogTest, ShowingPresentsTheMapAndTheMenusAndOptionsEditIt) {
    TMidiMap map;
    map.Channel = 4;
    map.Key = 61;
    map.Controller = 7;
    map.ControllerValue = 33;
    map.UseKey = false;
    map.UseVelocity = true;
    Child<QToolButton>("SpeedButton4")->setChecked(true); // left down by an earlier showing
    dialog.Load(map, Language::English);
    dialog.show();

    EXPECT_EQ(LabelText("Label1"), QStringLiteral(" Channel 05"));
    EXPECT_EQ(LabelText("Label2"), QStringLiteral(" C#5"));
    EXPECT_EQ(LabelText("Label3"), QStringLiteral(" 007 Channel Volume (formerly Main Volume)"));
    EXPECT_FALSE(Child<QCheckBox>("CheckBox2")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>("CheckBox3")->isChecked());
    EXPECT_FALSE(Child<QToolButton>("SpeedButton4")->isChecked());
    EXPECT_FALSE(Child<QToolButton>("SpeedButton5")->isChecked());

    Click("SpeedButton1");
    auto* channelMenu = Child<QMenu>("ChannelMenu");
    EXPECT_TRUE(channelMenu->isVisible());
    Entry("ChannelMenu", 16)->trigger();
    channelMenu->hide();
    Entry("NoteMenu", 128)->trigger();
    Entry("CtrlMenu", 75)->trigger();
    Click("CheckBox2");
    Click("CheckBox3");

    EXPECT_EQ(LabelText("Label1"), QStringLiteral(" Channel 16"));
    EXPECT_EQ(LabelText("Label2"), QStringLiteral(" G 10"));
    EXPECT_EQ(LabelText("Label3"), QStringLiteral(" 074 Sound Controller 5 (Brightness)"));
    const TMidiMap& working = dialog.WorkingMap();
    EXPECT_EQ(working.Channel, 15);
    EXPECT_EQ(working.Key, 127);
    EXPECT_EQ(working.Controller, 74);
    EXPECT_TRUE(working.UseKey);
    EXPECT_FALSE(working.UseVelocity);
    EXPECT_EQ(working.ControllerValue, 33);
    dialog.reject();
}

TEST_F(MidiMapDialogTest, LearnsKeyAndControllerWithTheirChannelOnlyWhileShownAndArmed) {
    dialog.Load(TMidiMap{}, Language::English);
    dialog.show();
    Send(0x99, 40, 100); // learn toggles up
    EXPECT_EQ(dialog.WorkingMap(), TMidiMap{});

    Click("SpeedButton4");
    Send(0xB3, 74, 10); // a controller is not a key
    Send(0x99, 40, 0);  // any velocity teaches the key
    EXPECT_EQ(dialog.WorkingMap().Key, 40);
    EXPECT_EQ(dialog.WorkingMap().Channel, 9);
    EXPECT_EQ(dialog.WorkingMap().Controller, 1);
    EXPECT_EQ(LabelText("Label1"), QStringLiteral(" Channel 10"));
    EXPECT_EQ(LabelText("Label2"), QStringLiteral(" E 3"));

    Click("SpeedButton5"); // both toggles down at once
    Send(0xB3, 74, 10);
    EXPECT_EQ(dialog.WorkingMap().Controller, 74);
    EXPECT_EQ(dialog.WorkingMap().Channel, 3);
    EXPECT_EQ(dialog.WorkingMap().Key, 40);
    EXPECT_EQ(LabelText("Label1"), QStringLiteral(" Channel 04"));
    EXPECT_EQ(LabelText("Label3"), QStringLiteral(" 074 Sound Controller 5 (Brightness)"));

    // Hidden with both toggles still down: nothing is learnt until the next showing.
    dialog.hide();
    const TMidiMap learnt = dialog.WorkingMap();
    Send(0x90, 10, 100);
    Send(0xB0, 11, 100);
    EXPECT_EQ(dialog.WorkingMap(), learnt);
}

TEST_F(MidiMapDialogTest, OkStoresWhatWasLearntMarksModifiedAndTakesAnUndoStep) {
    const TFullTrack* track = doc.AddTrack(language);
    ASSERT_NE(track, nullptr);
    const bool accepted = MidiMapCommand(track, [this] {
        EXPECT_EQ(host.Stops, 1); // the transport stops before the dialog shows
        Click("SpeedButton4");
        Send(0x99, 40, 100);
        Click("CheckBox3");
        Click("Button1");
    });
    ASSERT_TRUE(accepted);
    EXPECT_EQ(track->MidiMap.Key, 40);
    EXPECT_EQ(track->MidiMap.Channel, 9);
    EXPECT_TRUE(track->MidiMap.UseVelocity);
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(host.Snapshots, 1);

    // The new map drives the track at once.
    Send(0x99, 40, 90);
    EXPECT_TRUE(track->InputActive);
    EXPECT_EQ(track->InputValue, 90);
}

TEST_F(MidiMapDialogTest, CancelAfterLearningLeavesTheMapAsItWas) {
    const TFullTrack* track = doc.AddTrack(language);
    ASSERT_NE(track, nullptr);
    track->MidiMap.ControllerValue = 12; // live input, as the device left it
    const TMidiMap before = track->MidiMap;
    const bool accepted = MidiMapCommand(track, [this] {
        Click("SpeedButton4");
        Click("SpeedButton5");
        Send(0x95, 70, 100);
        Send(0xB6, 20, 100);
        Entry("CtrlMenu", 3)->trigger();
        Click("CheckBox2");
        Click("Button2");
    });
    EXPECT_FALSE(accepted);
    EXPECT_EQ(track->MidiMap, before);
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(host.Snapshots, 0);
    EXPECT_EQ(host.Stops, 1);
}

TEST_F(MidiMapDialogTest, OkWithoutChangesStillMarksTheProjectModified) {
    const TFullTrack* track = doc.AddTrack(language);
    ASSERT_NE(track, nullptr);
    const TMidiMap before = track->MidiMap;
    ASSERT_TRUE(MidiMapCommand(track, [this] { Click("Button1"); }));
    EXPECT_EQ(track->MidiMap, before);
    EXPECT_TRUE(doc.Modified());

    // Without a popup track, or with one that is not in the show, nothing opens.
    TFullTrack stranger(101);
    EXPECT_FALSE(mapping.MIDIMap1Click(nullptr, dialog));
    EXPECT_FALSE(mapping.MIDIMap1Click(&stranger, dialog));
    EXPECT_EQ(host.Stops, 1);
}

TEST_F(MidiMapDialogTest, ValuesNoMessageCanCarryAreShownAndKeptOnOk) {
    // The 255th track takes output 255, whose key is 128.
    const TFullTrack* last = nullptr;
    for (int count = 0; count < MaxTracks; ++count) {
        last = doc.AddTrack(language);
    }
    ASSERT_NE(last, nullptr);
    ASSERT_EQ(last->Output, 255);
    ASSERT_EQ(last->MidiMap.Key, 128);
    ASSERT_TRUE(MidiMapCommand(last, [this] {
        EXPECT_EQ(LabelText("Label2"), QStringLiteral(" G#10"));
        Click("Button1");
    }));
    EXPECT_EQ(last->MidiMap.Key, 128);

    // A damaged file can hold any byte for the channel and the controller.
    const TFullTrack* first = &doc.Track(1);
    TMidiMap damaged = first->MidiMap;
    damaged.Channel = 16;
    damaged.Controller = 200;
    doc.SetMidiMap(1, damaged);
    const TMidiMap before = first->MidiMap;
    ASSERT_TRUE(MidiMapCommand(first, [this] {
        EXPECT_EQ(LabelText("Label1"), QStringLiteral(" Channel 17"));
        EXPECT_EQ(LabelText("Label3"), QStringLiteral(" 200"));
        Click("Button1");
    }));
    EXPECT_EQ(first->MidiMap, before);
}

TEST_F(MidiMapDialogTest, TextsFollowTheLanguageOfEachShowing) {
    const TFullTrack* track = doc.AddTrack(language);
    ASSERT_NE(track, nullptr);
    language = Language::French;
    MidiMapCommand(track, [this] {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Descripteur MIDI"));
        EXPECT_EQ(Child<QGroupBox>("GroupBox1")->title(), QStringLiteral(" Canal MIDI : "));
        EXPECT_EQ(Child<QCheckBox>("CheckBox3")->text(),
                  QString::fromUtf8(" Utiliser la Vélocité comme valeur enregistrée."));
        EXPECT_EQ(Child<QToolButton>("SpeedButton5")->toolTip(),
                  QString::fromUtf8("Apprendre un Contôleur MIDI"));
        EXPECT_EQ(Child<QPushButton>("Button2")->text(), QStringLiteral("Annuler"));
        Click("Button2");
    });
    language = Language::German;
    MidiMapCommand(track, [this] {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("MIDI-Mapping"));
        EXPECT_EQ(Child<QGroupBox>("GroupBox2")->title(),
                  QString::fromUtf8(" MIDI-Möglichkeiten: "));
        EXPECT_EQ(Child<QToolButton>("SpeedButton1")->toolTip(),
                  QString::fromUtf8("MIDI-Kanal auswählen"));
        EXPECT_EQ(Child<QPushButton>("Button2")->text(), QStringLiteral("Abbruch"));
        Click("Button2");
    });
    language = Language::English;
    MidiMapCommand(track, [this] {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("MIDI Mapping"));
        EXPECT_EQ(Child<QGroupBox>("GroupBox4")->title(), QStringLiteral(" MIDI Controller : "));
        EXPECT_EQ(Child<QCheckBox>("CheckBox2")->text(),
                  QStringLiteral(" Use MIDI Key as trigger"));
        EXPECT_EQ(Child<QToolButton>("SpeedButton4")->toolTip(),
                  QStringLiteral("Learn a MIDI Key"));
        EXPECT_EQ(Child<QPushButton>("Button2")->text(), QStringLiteral("Cancel"));
        Click("Button2");
    });
}

TEST_F(MidiMapDialogTest, NothingIsCutOffInAnyLanguage) {
    TMidiMap map;
    map.Controller = 39; // the longest controller name
    for (const Language each : kLanguages) {
        dialog.Load(map, each);
        dialog.show();
        const int lang = static_cast<int>(each);
        EXPECT_GE(dialog.width(), 281) << lang;
        EXPECT_GE(dialog.height(), 249) << lang;
        for (const QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
            EXPECT_LE(box->sizeHint().width(), box->width()) << lang;
        }
        for (const QGroupBox* band : dialog.findChildren<QGroupBox*>()) {
            EXPECT_LE(band->minimumSizeHint().width(), band->width()) << lang;
            EXPECT_LE(band->minimumSizeHint().height(), band->height()) << lang;
        }
        // A long choice is shortened on screen and shown whole in its tool tip.
        EXPECT_EQ(Child<QLabel>("Label3")->toolTip(),
                  QStringLiteral("039 Channel Volume (fromerly Main Volume) LSB"));
        dialog.hide();
    }
}

} // namespace
} // namespace lumivox
