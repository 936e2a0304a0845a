// The import dialog TOKBottomDlg: a label, a gauge and a Cancel button over one import
// session, and the import runner the editor uses to show it.
#pragma once

#include "audio/decode/SongImport.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace lumivox {

class TOKBottomDlg : public QDialog {
    Q_OBJECT
public:
    explicit TOKBottomDlg(QWidget* parent = nullptr);

    // Shows the dialog modally over `session`, prepared in its mode; its activation and
    // Timer1 drive the session. Ends Accepted when the session's work is done, Rejected
    // otherwise. True for Accepted.
    bool Run(TSongImport& session);

    // The Cancel button's text in `language`.
    void ApplyLanguage(Language language);

    QLabel* Label1 = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QPushButton* CancelBtn = nullptr;
    QTimer* Timer1 = nullptr; // 100 ms, one shot, started on activation

public Q_SLOTS:
    // Escape and the window's close button cancel like CancelBtn.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetGauge(qint64 position, qint64 maximum);

    TSongImport* Session = nullptr;
};

// Runs sessions through one import dialog, as the editor does.
class DialogImportRunner : public IImportRunner {
public:
    explicit DialogImportRunner(TOKBottomDlg& dialog) : Dialog(dialog) {}
    bool Run(TSongImport& session) override { return Dialog.Run(session); }

private:
    TOKBottomDlg& Dialog;
};

} // namespace lumivox
