// The import dialog on the offscreen platform: its named children, load mode, Cancel and
// Escape while decoding, the refused rate, and LoadSong through it.
#include "dialogs/ImportDialog.h"
#include "audio/analysis/BeatCache.h"
#include "audio/decode/SongLoader.h"

#include "audio/ImportTestSupport.h"
#include "support/ScriptedUserInterface.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

using namespace lumivox;
using namespace lumivox::test;

namespace {

class ImportDialogTest : public ::testing::Test {
protected:
    SongFolder Folder;
    ScriptedUserInterface Ui;
    Language Lang = Language::English;
    TOKBottomDlg Dialog;

    // Runs a decode of `song` through the dialog; `whileDecoding` runs at the first
    // position report.
    bool RunDecode(TSongImport& session, const QString& song,
                   const std::function<void()>& whileDecoding = {}) {
        session.PrepareDecode(song, PeakFileFor(song));
        QObject context;
        bool decoding = false;
        QObject::connect(&session, &TSongImport::LabelChanged, &context,
                         [&](const QString& text) { decoding = text == "Extracting MP3 Data..."; });
        QObject::connect(&session, &TSongImport::GaugeChanged, &context, [&] {
            if (decoding && whileDecoding) {
                decoding = false;
                EXPECT_TRUE(Dialog.isVisible());
                EXPECT_FALSE(Dialog.CancelBtn->isHidden());
                whileDecoding();
            }
        });
        return Dialog.Run(session);
    }
};

TEST_F(ImportDialogTest, HasTheNamedChildren) {
    EXPECT_EQ(Dialog.findChild<QLabel*>("Label1"), Dialog.Label1);
    EXPECT_EQ(Dialog.findChild<QProgressBar*>("Gauge1"), Dialog.Gauge1);
    auto* cancel = Dialog.findChild<QPushButton*>("CancelBtn");
    ASSERT_EQ(cancel, Dialog.CancelBtn);
    EXPECT_EQ(cancel->text(), "Cancel");
    Dialog.ApplyLanguage(Language::German);
    EXPECT_EQ(cancel->text(), "Abbruch");
    auto* timer = Dialog.findChild<QTimer*>("Timer1");
    ASSERT_EQ(timer, Dialog.Timer1);
    EXPECT_EQ(timer->interval(), 100);
    EXPECT_TRUE(timer->isSingleShot());
    EXPECT_TRUE(Dialog.isModal());
}

TEST_F(ImportDialogTest, LoadModeHidesCancelAndEndsWithOK) {
    const QString pks = Folder.Song("song.pks");
    ASSERT_TRUE(WriteFile(pks, QByteArray::fromHex("fd05f90900000102030400000000000000")));
    TWavePeaks peaks;
    TSongImport session(Ui, Lang, Folder.Places);
    session.PrepareLoad(pks, peaks);
    EXPECT_TRUE(Dialog.Run(session));
    EXPECT_EQ(Dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(Dialog.CancelBtn->isHidden());
    EXPECT_EQ(Dialog.Label1->text(), "Loading Peak File...");
    EXPECT_EQ(Dialog.Gauge1->value(), Dialog.Gauge1->maximum());
    EXPECT_EQ(PeakRecordCount(peaks), 2);
    EXPECT_FALSE(Dialog.isVisible());
}

TEST_F(ImportDialogTest, CancelOrEscapeWhileDecodingStopsAndLeavesNothing) {
    const QString song = Folder.AddSong("song_60_05s.mp3", "song.mp3");
    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"CancelBtn", [this] { QTest::mouseClick(Dialog.CancelBtn, Qt::LeftButton); }},
        {"Escape", [this] { QTest::keyClick(&Dialog, Qt::Key_Escape); }},
    };
    for (const auto& way : ways) {
        const char* name = way.first;
        TSongImport session(Ui, Lang, Folder.Places);
        bool acted = false;
        EXPECT_FALSE(RunDecode(session, song, [&] {
            acted = true;
            way.second();
        })) << name;
        EXPECT_TRUE(acted) << name;
        EXPECT_EQ(Dialog.result(), QDialog::Rejected);
        EXPECT_EQ(session.Outcome(), TImportOutcome::Cancelled) << name;
        EXPECT_FALSE(session.Decoder().IsPlaying());
        EXPECT_EQ(Folder.SongFiles(), QStringList{"song.mp3"}) << name;
        EXPECT_TRUE(Folder.ProgramFiles().isEmpty()) << name;
    }
}

TEST_F(ImportDialogTest, ASongAtAnotherRateIsDecodedLikeAnyOther) {
    const QString song = Folder.AddSong("song_48k.mp3", "wide.mp3");
    TSongImport session(Ui, Lang, Folder.Places);
    // The label the gauge moves under: the beats are found in a phase of their own.
    QStringList labels;
    QObject::connect(&session, &TSongImport::GaugeChanged, &Dialog, [&] {
        if (labels.isEmpty() || labels.back() != Dialog.Label1->text())
            labels << Dialog.Label1->text();
    });
    EXPECT_TRUE(RunDecode(session, song));
    EXPECT_TRUE(labels.contains("Finding beats...")) << labels.join('|').toStdString();
    EXPECT_GT(labels.indexOf("Finding beats..."), labels.indexOf("Extracting Peak Data..."));
    ASSERT_TRUE(session.FoundBeats());
    EXPECT_EQ(ReadCurrentBeatFile(session.BeatFile(), song), session.FoundBeats());
    EXPECT_EQ(session.Outcome(), TImportOutcome::Done);
    EXPECT_TRUE(Ui.Texts(ScriptedUserInterface::Event::ErrorAbort).isEmpty());
    EXPECT_EQ(Folder.SongFiles(), (QStringList{"wide.beats", "wide.mp3", "wide.nfo", "wide.pks"}));
    EXPECT_TRUE(Folder.ProgramFiles().isEmpty());
}

TEST_F(ImportDialogTest, LoadSongShowsTheDialogForEachMode) {
    ShowDocument doc;
    MeasuringMediaPlayer player;
    DialogImportRunner runner(Dialog);
    SongLoader loader(doc, Ui, Lang, player, runner, nullptr, Folder.Places);
    const QString song = Folder.AddSong("song_10s.mp3", "song.mp3");
    int shown = 0;
    QObject::connect(Dialog.Timer1, &QTimer::timeout, [&shown] { ++shown; });
    ASSERT_TRUE(loader.LoadSong(song));
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(loader.LastCache(), TCacheResult::Built);
    EXPECT_TRUE(Folder.ProgramFiles().isEmpty());
    EXPECT_EQ(doc.SlotCount, 101);
    EXPECT_EQ(PeakRecordCount(loader.WavePeaks), MeasureSong(song)->Samples / PeakBlockFrames + 1);
    ASSERT_TRUE(loader.LoadSong(song));
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(loader.LastCache(), TCacheResult::Reused);
}

} // namespace
