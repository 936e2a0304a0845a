// One session of the song import, without widgets: decode mode (decode the MP3 to a
// temporary WAV file, build the date and peak files from it, then find the song's beats in
// it and write the beat file) and load mode (read the peak file into WavePeaks). The import dialog
// or a headless runner drives it and shows its label and gauge.
#pragma once

#include "audio/analysis/BeatCache.h"
#include "audio/decode/Mp3Decoder.h"
#include "audio/decode/WaveformCache.h"
#include "core/LanguageTables.h"
#include "core/UserInterface.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

namespace lumivox {

// What a session does when its dialog is shown; 10 once decode mode has been abandoned.
enum class TImportMode : std::uint8_t { Decode = 1, LoadPeaks = 2, Abandoned = 10 };

enum class TImportOutcome {
    Pending,
    Done,      // the work is done (the dialog's OK)
    Failed,    // the decoder or a file failed; the general error report said why
    Cancelled, // the user cancelled
};

class TSongImport : public QObject {
    Q_OBJECT
public:
    // `language` is read whenever a text is shown.
    TSongImport(IUserInterface& ui, const Language& language, TCachePlaces places,
                QObject* parent = nullptr);
    ~TSongImport() override;

    // Decode mode: decode `songPath` and write its cache as `peakPath` with the date file
    // and the beat file beside it.
    void PrepareDecode(const QString& songPath, const QString& peakPath);
    // Load mode: read `peakPath` into `peaks`.
    void PrepareLoad(const QString& peakPath, TWavePeaks& peaks);

    TImportMode Mode() const { return ImportMode; }
    TImportOutcome Outcome() const { return Result; }
    bool IsFinished() const { return Result != TImportOutcome::Pending; }
    // The temporary WAV file of decode mode while it exists.
    QString TempWavePath() const { return TempWave; }
    TMPEGPlayer& Decoder() { return MPEGPlayer1; }
    // The beats decode mode found, once it has finished with OK; empty otherwise. They are
    // kept even when the beat file could not be written, which does not fail the import.
    const std::optional<TSongBeats>& FoundBeats() const { return Beats; }
    QString BeatFile() const { return BeatFileBesidePeaks(PeakPath, SongPath); }

    // The dialog's activation. Decode mode shows Cancel and opens the decoder, which writes
    // the song at the waveform's rate (PeakSampleRate) whatever the song's own; a decoder
    // that cannot open the song turns the mode to Abandoned. Load mode hides Cancel.
    void Activate();
    // The dialog's 100 ms timer after activation: starts decoding, loads the peak file, or
    // ends an abandoned session.
    void TimerFired();
    // Stops the decoder, removes the temporary WAV file and ends with Cancelled. Nothing of
    // the cache has been written before decoding has finished, so none is left behind.
    void Cancel();

Q_SIGNALS:
    void LabelChanged(const QString& text);
    void GaugeChanged(qint64 position, qint64 maximum);
    void CancelVisibleChanged(bool visible);
    // Once per session; true for OK.
    void Finished(bool ok);

private:
    struct Failure {
        QString Text;
    };

    QString Tr(int entry) const { return Text(TextTable::Mp3Import, entry, Lang); }
    void SetLabel(int entry);
    void SetLabelText(const QString& text);
    void SetGauge(std::int64_t position, std::int64_t maximum);
    void Abandon(TImportOutcome outcome);
    void PlayEnded();
    void BuildCache();
    void FindBeats();
    void CreateTempWave();
    void RemoveTempWave();
    void Fail(const QString& text);
    void Finish(TImportOutcome outcome);

    IUserInterface& Ui;
    const Language& Lang;
    TCachePlaces Places;
    TMPEGPlayer MPEGPlayer1;

    TImportMode ImportMode = TImportMode::LoadPeaks;
    TImportOutcome Result = TImportOutcome::Pending;
    TImportOutcome AbandonedAs = TImportOutcome::Failed; // how an abandoned session ends
    QString SongPath;
    QString PeakPath;
    TWavePeaks* Peaks = nullptr;
    std::optional<double> SongDate;
    std::optional<TBeatSource> SongSource; // the song as it was before decoding
    std::optional<TSongBeats> Beats;
    QString TempWave;
    std::int64_t GaugeMaximum = 0;
    std::int64_t GaugeStep = -1; // last reported thousandth of the gauge
};

// Runs an import session to its end: the editor through the import dialog, the command-line
// tool and the tests headless.
class IImportRunner {
public:
    virtual ~IImportRunner() = default;
    // Runs `session`, prepared in its mode, until it finishes; true when it ended with OK.
    virtual bool Run(TSongImport& session) = 0;
};

// Runs a session without a window: its label and gauge go to the user interface's progress
// window, and the decoder's polling runs in a local event loop (a QCoreApplication must
// exist). The dialog's 100 ms pause before the work starts is left out.
class HeadlessImportRunner : public IImportRunner {
public:
    explicit HeadlessImportRunner(IUserInterface& ui) : Ui(ui) {}
    bool Run(TSongImport& session) override;

private:
    IUserInterface& Ui;
};

} // namespace lumivox
