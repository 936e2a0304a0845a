// The import dialog: widgets named as the editor's tests expect, wired to one session.
#include "dialogs/ImportDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <limits>

namespace lumivox {

TOKBottomDlg::TOKBottomDlg(QWidget* parent) : QDialog(parent) {
    setModal(true);
    setWindowTitle(QStringLiteral("Lumivox Editor"));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setMinimumWidth(360);
    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setTextVisible(false);
    CancelBtn = new QPushButton(this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    Timer1->setSingleShot(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Gauge1);
    layout->addLayout(buttons);
    ApplyLanguage(Language::English);

    connect(CancelBtn, &QPushButton::clicked, this, &TOKBottomDlg::reject);
    connect(Timer1, &QTimer::timeout, this, [this] {
        if (Session)
            Session->TimerFired();
    });
}

void TOKBottomDlg::ApplyLanguage(Language language) {
    CancelBtn->setText(Text(TextTable::DialogButtons, 2, language));
}

bool TOKBottomDlg::Run(TSongImport& session) {
    Session = &session;
    QObject context;
    connect(&session, &TSongImport::LabelChanged, &context, [this](const QString& text) {
        Label1->setText(text);
        Label1->repaint();
    });
    connect(&session, &TSongImport::GaugeChanged, &context,
            [this](qint64 position, qint64 maximum) { SetGauge(position, maximum); });
    connect(&session, &TSongImport::CancelVisibleChanged, &context,
            [this](bool visible) { CancelBtn->setVisible(visible); });
    connect(&session, &TSongImport::Finished, &context,
            [this](bool ok) { done(ok ? Accepted : Rejected); });
    Label1->clear();
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    const int result = exec();
    Timer1->stop();
    Session = nullptr;
    return result == Accepted;
}

void TOKBottomDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!Session || event->spontaneous())
        return;
    // Activation runs from the dialog's own event loop, once it is on screen, so that a
    // message box it shows stacks over a visible dialog.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!Session || Session->IsFinished())
                return;
            Session->Activate();
            if (!Session->IsFinished())
                Timer1->start();
        },
        Qt::QueuedConnection);
}

void TOKBottomDlg::reject() {
    if (Session && !Session->IsFinished()) {
        Session->Cancel(); // ends the dialog through the session's Finished
        return;
    }
    QDialog::reject();
}

void TOKBottomDlg::SetGauge(qint64 position, qint64 maximum) {
    constexpr qint64 Largest = std::numeric_limits<int>::max();
    // QProgressBar counts in int; a longer range is scaled down.
    const qint64 divisor = maximum > Largest ? maximum / Largest + 1 : 1;
    Gauge1->setRange(0, static_cast<int>(maximum / divisor));
    Gauge1->setValue(static_cast<int>(std::clamp<qint64>(position, 0, maximum) / divisor));
}

} // namespace lumivox
