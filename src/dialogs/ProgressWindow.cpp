// The progress window `TForm4` and its gauge `TGauge`.
#include "dialogs/ProgressWindow.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace lumivox {
namespace {

const QColor kGaugeNavy(0x00, 0x00, 0x80);
const QColor kTrack(0xFF, 0xFF, 0xFF);
const QColor kShadow(0x80, 0x80, 0x80);

// How long ShowProgress waits for the windowing system to expose the window.
constexpr int kExposeWaitMs = 250;

} // namespace

TGauge::TGauge(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TGauge::SetProgress(int percent) {
    const int clamped = std::clamp(percent, 0, 100);
    if (clamped == progress_) {
        return;
    }
    progress_ = clamped;
    repaint();
}

QString TGauge::ProgressText() const {
    return QStringLiteral("%1%").arg(progress_);
}

QSize TGauge::sizeHint() const {
    return {193, 25};
}

void TGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect outer = rect();
    painter.fillRect(outer, kShadow);
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    const int filledWidth = inner.width() * progress_ / 100;
    const QRect filled(inner.left(), inner.top(), filledWidth, inner.height());
    const QRect empty(inner.left() + filledWidth, inner.top(), inner.width() - filledWidth,
                      inner.height());
    painter.fillRect(filled, kGaugeNavy);
    painter.fillRect(empty, kTrack);

    // The same text twice, each copy clipped to one part, so every glyph contrasts with
    // whatever lies under it.
    const QString text = ProgressText();
    painter.setClipRect(empty);
    painter.setPen(kGaugeNavy);
    painter.drawText(inner, Qt::AlignCenter, text);
    painter.setClipRect(filled);
    painter.setPen(Qt::white);
    painter.drawText(inner, Qt::AlignCenter, text);
}

TForm4::TForm4(QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      gauge_(new TGauge(this)) {
    setObjectName(QStringLiteral("Form4"));
    setFixedSize(226, 58);
    gauge_->setObjectName(QStringLiteral("Gauge1"));
    gauge_->setGeometry(16, 16, 193, 25);
}

void TForm4::SetText(const QString& text) {
    setWindowTitle(text);
}

void TForm4::SetGauge(int percent) {
    gauge_->SetProgress(percent);
}

int TForm4::Gauge() const {
    return gauge_->Progress();
}

void TForm4::ShowProgress() {
    CentreOnScreen();
    show();
    raise();
    QWindow* window = windowHandle();
    const QDeadlineTimer deadline(kExposeWaitMs);
    while (window != nullptr && !window->isExposed() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    }
    // The frame is known once the window is shown the first time.
    CentreOnScreen();
    repaint();
}

void TForm4::CloseProgress() {
    hide();
}

void TForm4::CentreOnScreen() {
    QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : nullptr;
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

} // namespace lumivox
