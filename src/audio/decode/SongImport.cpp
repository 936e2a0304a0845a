// The import session: decode mode, load mode and the building of the cache files, with the
// temporary WAV file removed on every way out.
#include "audio/decode/SongImport.h"

#include "audio/analysis/SongBeatAnalysis.h"
#include "audio/decode/WaveFile.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

namespace lumivox {

TSongImport::TSongImport(IUserInterface& ui, const Language& language, TCachePlaces places,
                         QObject* parent)
    : QObject(parent), Ui(ui), Lang(language), Places(std::move(places)) {
    connect(&MPEGPlayer1, &TMPEGPlayer::OnPosUpdate, this,
            [this](qint64 position) { SetGauge(position, MPEGPlayer1.GetLength()); });
    connect(&MPEGPlayer1, &TMPEGPlayer::OnPlayEnd, this, &TSongImport::PlayEnded);
}

TSongImport::~TSongImport() {
    MPEGPlayer1.Close();
    RemoveTempWave();
}

void TSongImport::PrepareDecode(const QString& songPath, const QString& peakPath) {
    ImportMode = TImportMode::Decode;
    Result = TImportOutcome::Pending;
    SongPath = songPath;
    PeakPath = peakPath;
    Peaks = nullptr;
}

void TSongImport::PrepareLoad(const QString& peakPath, TWavePeaks& peaks) {
    ImportMode = TImportMode::LoadPeaks;
    Result = TImportOutcome::Pending;
    PeakPath = peakPath;
    Peaks = &peaks;
}

void TSongImport::SetLabel(int entry) {
    SetLabelText(Tr(entry));
}

void TSongImport::SetLabelText(const QString& text) {
    Q_EMIT LabelChanged(text);
}

void TSongImport::SetGauge(std::int64_t position, std::int64_t maximum) {
    // Every step for short work, otherwise about a thousand steps over the whole run.
    const std::int64_t step = maximum > 0 ? position * 1000 / maximum : 0;
    if (maximum == GaugeMaximum && step == GaugeStep && position != maximum && position != 0)
        return;
    GaugeMaximum = maximum;
    GaugeStep = step;
    Q_EMIT GaugeChanged(position, maximum);
}

void TSongImport::Activate() {
    if (ImportMode == TImportMode::LoadPeaks) {
        Q_EMIT CancelVisibleChanged(false);
        return;
    }
    if (ImportMode != TImportMode::Decode)
        return;
    Q_EMIT CancelVisibleChanged(true);
    // The date is the song's as it was before decoding, so a change made meanwhile makes
    // the next load decode again.
    SongDate = FileDateValue(SongPath);
    SongSource = BeatSourceOf(SongPath);
    Beats.reset();
    try {
        MPEGPlayer1.Open(SongPath);
        MPEGPlayer1.GetLength();
        // Songs at any rate give peak records of 128 frames at 44.1 kHz, so the timeline's
        // scale is the same for all of them.
        MPEGPlayer1.SetOutputRate(PeakSampleRate);
        CreateTempWave();
        MPEGPlayer1.SetOutputDevice(TMPEGOutputDevice::pcmfile, TempWave);
        SetGauge(0, MPEGPlayer1.GetLength());
    } catch (const TMPEGError& error) {
        MPEGPlayer1.Close();
        Ui.ReportError(error.Text());
        Abandon(TImportOutcome::Failed);
    } catch (const Failure& failure) {
        MPEGPlayer1.Close();
        Ui.ReportError(failure.Text);
        Abandon(TImportOutcome::Failed);
    }
}

void TSongImport::Abandon(TImportOutcome outcome) {
    ImportMode = TImportMode::Abandoned;
    AbandonedAs = outcome;
}

void TSongImport::TimerFired() {
    if (IsFinished())
        return;
    switch (ImportMode) {
    case TImportMode::Decode:
        SetLabel(Mp3ImportText::ExtractingMp3);
        try {
            MPEGPlayer1.SetPriority(TMPEGThreadPriority::Normal);
            MPEGPlayer1.Play();
        } catch (const TMPEGError& error) {
            Fail(error.Text());
        }
        return;
    case TImportMode::Abandoned:
        Finish(AbandonedAs);
        return;
    case TImportMode::LoadPeaks:
        SetLabel(Mp3ImportText::LoadingPeakFile);
        if (Peaks) {
            LoadPeakFile(PeakPath, *Peaks, [this](std::int64_t done, std::int64_t total) {
                SetGauge(done, total);
                return true;
            });
        }
        Finish(TImportOutcome::Done);
        return;
    }
}

void TSongImport::Cancel() {
    if (IsFinished())
        return;
    MPEGPlayer1.Close();
    Finish(TImportOutcome::Cancelled);
}

void TSongImport::PlayEnded() {
    if (IsFinished())
        return;
    SetLabel(Mp3ImportText::ExtractingAndSaving);
    const int code = MPEGPlayer1.LastError();
    MPEGPlayer1.Close();
    if (code != 0) {
        Fail(TMPEGPlayer::ErrorText(code));
        return;
    }
    try {
        BuildCache();
    } catch (const EWaveStreamError& error) {
        Fail(error.Text());
        return;
    } catch (const Failure& failure) {
        Fail(failure.Text);
        return;
    }
    FindBeats();
    SetLabel(Mp3ImportText::Finalizing);
    RemoveTempWave();
    Finish(TImportOutcome::Done);
}

void TSongImport::BuildCache() {
    auto cannotWrite = [this](const QString& path, const QString& reason) {
        return Failure{Text(TextTable::Extra, ExtraText::CannotWriteFile, Lang).arg(path, reason)};
    };
    const QString folder = QFileInfo(PeakPath).absolutePath();
    if (!QDir().mkpath(folder))
        throw cannotWrite(PeakPath, QStringLiteral("no folder"));
    if (!SongDate)
        throw Failure{Text(TextTable::Extra, ExtraText::CannotReadFile, Lang)
                          .arg(SongPath, TMPEGPlayer::ErrorText(TMPEGPlayer::InputStreamError))};

    TWaveFileStream wave;
    wave.Open(TempWave);
    // The peak file is written under a temporary name and renamed when complete; the date
    // file goes last, so a pair with a matching date always holds a whole peak file.
    QSaveFile peaks(PeakPath);
    if (!peaks.open(QIODevice::WriteOnly))
        throw cannotWrite(PeakPath, peaks.errorString());
    SetLabel(Mp3ImportText::ExtractingPeak);
    const std::int64_t records =
        BuildPeakFile(wave, peaks, [this](std::int64_t block, std::int64_t last) {
            SetGauge(block, last);
            return true;
        });
    wave.Close();
    if (records < 0) {
        const QString reason = peaks.errorString();
        peaks.cancelWriting();
        throw cannotWrite(PeakPath, reason);
    }
    const QString dateFile = DateFileFor(PeakPath);
    if (QFile::exists(dateFile) && !QFile::remove(dateFile))
        throw cannotWrite(dateFile, QStringLiteral("cannot be replaced"));
    // What is still buffered reaches the disk here; a full disk says so now, and the commit
    // would not.
    if (!peaks.flush()) {
        const QString reason = peaks.errorString();
        peaks.cancelWriting();
        throw cannotWrite(PeakPath, reason);
    }
    if (!peaks.commit())
        throw cannotWrite(PeakPath, peaks.errorString());
    QString reason;
    if (!WriteDateFile(dateFile, *SongDate, &reason))
        throw cannotWrite(dateFile, reason);
}

void TSongImport::FindBeats() {
    // A second phase on the gauge over the same decoded sound. The waveform is what the import
    // is for: beats that cannot be found or kept leave it as it is, and the song is analysed
    // again the next time it is opened.
    SetLabelText(Text(TextTable::BeatText, BeatText::FindingBeats, Lang));
    SetGauge(0, 1);
    TBeatsResult found;
    try {
        found = AnalyseWaveFile(TempWave, [this](std::int64_t done, std::int64_t total) {
            SetGauge(done, total);
            return true;
        });
    } catch (const EWaveStreamError&) {
        return;
    }
    if (!found.Complete)
        return;
    Beats = std::move(found.Beats);
    if (SongSource)
        WriteBeatFile(BeatFile(), {*SongSource, *Beats});
}

void TSongImport::CreateTempWave() {
    const QString folder = Places.TempFolder();
    // A name of its own per import, so that two editors never share one.
    QTemporaryFile file(folder + QStringLiteral("/tmp-XXXXXX.wav"));
    file.setAutoRemove(false);
    if (!file.open())
        throw Failure{Text(TextTable::Extra, ExtraText::CannotWriteFile, Lang)
                          .arg(file.fileTemplate(), file.errorString())};
    TempWave = file.fileName();
    file.close();
}

void TSongImport::RemoveTempWave() {
    if (TempWave.isEmpty())
        return;
    QFile::remove(TempWave);
    TempWave.clear();
}

void TSongImport::Fail(const QString& text) {
    MPEGPlayer1.Close();
    RemoveTempWave();
    Ui.ReportError(text);
    Finish(TImportOutcome::Failed);
}

void TSongImport::Finish(TImportOutcome outcome) {
    if (IsFinished())
        return;
    RemoveTempWave();
    Result = outcome;
    Q_EMIT Finished(outcome == TImportOutcome::Done);
}

bool HeadlessImportRunner::Run(TSongImport& session) {
    QEventLoop loop;
    QObject context;
    QObject::connect(&session, &TSongImport::LabelChanged, &context,
                     [this](const QString& text) { Ui.ProgressSetText(text); });
    QObject::connect(
        &session, &TSongImport::GaugeChanged, &context, [this](qint64 position, qint64 maximum) {
            Ui.ProgressSetGauge(maximum > 0 ? static_cast<int>(position * 100 / maximum) : 0);
        });
    QObject::connect(&session, &TSongImport::Finished, &context, [&loop] { loop.quit(); });
    ScopedProgress progress(Ui); // the session's first label gives the caption
    session.Activate();
    if (!session.IsFinished())
        session.TimerFired();
    if (!session.IsFinished())
        loop.exec();
    progress.Close();
    return session.Outcome() == TImportOutcome::Done;
}

} // namespace lumivox
