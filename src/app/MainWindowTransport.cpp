// The main window's side of the transport and the show clock: its buttons, the ruler press,
// the 10 ms tick, the blinking cue marker, the time display and the per-slot work.
#include "app/MainWindow.h"

#include "dialogs/Glyphs.h"
#include "editing/TimelineScroll.h"
#include "output/RealTimeOutput.h"
#include "show/ShowClock.h"
#include "timeline/LanesView.h"
#include "timeline/RulerView.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

namespace lumivox {

void TForm1::ConnectTransport() {
    Transport& t = *TransportControl;
    connect(PlayButton, &QToolButton::clicked, this, [&t] { t.Play(); });
    connect(StopButton, &QToolButton::clicked, this, [&t] { t.Stop(); });
    connect(PauseButton, &QToolButton::clicked, this, [&t] { t.Pause(); });
    connect(GoToBeginningButton, &QToolButton::clicked, this, [&t] { t.GoToBeginning(); });
    connect(GoToEndButton, &QToolButton::clicked, this, [&t] { t.GoToEnd(); });
    connect(RecordButton, &QToolButton::clicked, this, [&t] { t.Record(); });
    // A press on the ruler moves the play cursor there, or onto a beat or mark near it.
    connect(RulerArea, &RulerView::Pressed, this, [this](std::int64_t, int viewX, Qt::MouseButton) {
        MarkSide->LocateAt(viewX, MarkSide->Inverted(QGuiApplication::keyboardModifiers()));
    });
    ShowTick->SetPositionUpdate([&t] { t.Tick(); });
    ShowTick->SetRecorder([this](const TFullTrack& track, int slot) {
        Midi->RecordLiveInput(track, slot, TransportControl->RecordMode());
    });
    ShowTick->SetOutputWatch([this] { return MediaPlayer->PollOutput(); });
    connect(ShowTick, &ShowClock::OutputLost, this, &TForm1::WarnSoundDeviceLost);
    // Resizing the views stops the paging until the cursor is in view again.
    connect(Scroll, &TimelineScroll::ViewSizeChanged, this, [this] { Paging->ClearFollow(); });
    connect(CueBlinkTimer, &QTimer::timeout, this, [this] {
        CueDark = !CueDark;
        RulerArea->SetCueColor(CueDark ? QColor(Qt::black) : QColor(0xC0, 0xC0, 0xC0));
    });
}

bool TForm1::TickRunning() const {
    return ShowTick->Running();
}

int TForm1::SlotMs() const {
    return ResolutionMs(Doc.ResolutionIndex());
}

TimeAxis TForm1::Axis() const {
    return Timeline.Axis();
}

int TForm1::ViewWidth() const {
    return Scroll->ViewWidth();
}

std::int64_t TForm1::ScrollOffset() const {
    return Scroll->HorizontalOffset();
}

void TForm1::ScrollTo(std::int64_t offset) {
    Scroll->SetHorizontalOffset(offset);
}

bool TForm1::HasWaveform() const {
    return !Loader->WavePeaks.empty();
}

void TForm1::ShowTime(std::int64_t positionMs) {
    TimeDisplay->setText(Text(TextTable::StatusLabels, 1, Lang) +
                         Transport::FormatTime(positionMs));
}

void TForm1::PlaceMarkers(std::int64_t cursorX, std::int64_t cueX) {
    RulerArea->SetPlayCursorX(cursorX);
    RulerArea->SetCueX(cueX);
    LanesArea->SetPlayCursorX(cursorX);
}

namespace {

// The sound output as the operator knows it: the JACK server, or the host's device.
QString DeviceName(const TOutputInfo& info, Language language) {
    if (info.Jack)
        return Text(TextTable::Extra, ExtraText::JackServer, language) + QLatin1Char(' ') +
               info.Device;
    return info.HostApi.isEmpty() ? info.Device : info.HostApi + QStringLiteral(": ") + info.Device;
}

} // namespace

QString SoundDeviceLabel(const TSoundDevice& device, Language language) {
    switch (device.Kind) {
    case TSoundDevice::TKind::Automatic:
        return Text(TextTable::AudioOptions, AudioOptionsText::AutomaticDevice, language);
    case TSoundDevice::TKind::None:
        return Text(TextTable::AudioOptions, AudioOptionsText::NoDevice, language);
    case TSoundDevice::TKind::Jack: {
        const QString server = Text(TextTable::Extra, ExtraText::JackServer, language);
        return device.Device.isEmpty() ? server : server + QLatin1Char(' ') + device.Device;
    }
    case TSoundDevice::TKind::PortAudio:
        return device.HostApi + QStringLiteral(": ") + device.Device;
    }
    return {};
}

void TForm1::ShowSoundOutput() {
    const TOutputInfo info = MediaPlayer->OutputInfo();
    QString text;
    if (!MediaPlayer->IsOpen() && !info.Lost) {
        SoundOutput->clear(); // no song: nothing plays anywhere yet
        SoundOutput->setToolTip(QString());
        return;
    }
    if (info.Kind == TOutputKind::Device) {
        QString device = DeviceName(info, Lang);
        if (info.DeviceRate > 0)
            device += QStringLiteral(", %1 Hz").arg(info.DeviceRate);
        text = Text(TextTable::Extra, ExtraText::SoundOutput, Lang).arg(device);
    } else {
        text = Text(TextTable::Extra,
                    info.Lost ? ExtraText::LostSilentClock : ExtraText::SilentClock, Lang);
    }
    if (info.Missing)
        text = Text(TextTable::AudioOptions, AudioOptionsText::DeviceMissing, Lang)
                   .arg(SoundDeviceLabel(DeviceChoice.Device(), Lang), text);
    SoundOutput->setText(text);
    SoundOutput->setToolTip(text);
}

void TForm1::WarnSoundDeviceLost() {
    ShowSoundOutput();
    Ui->Warning(Text(TextTable::Extra, ExtraText::SoundDeviceLost, Lang)
                    .arg(DeviceName(MediaPlayer->OutputInfo(), Lang)));
}

void TForm1::ShowRecordMode(bool on) {
    RecordButton->setIcon(GlyphIcon(on ? Glyph::RecordOn : Glyph::RecordOff));
}

} // namespace lumivox
