// The Undo Levels dialog (Options > Undo Levels): how many undo steps the history keeps and
// how much memory it may hold beyond the show, with a line saying what it holds now.
#pragma once

#include "core/LanguageTables.h"

#include <QDialog>

#include <cstddef>
#include <optional>

class QDialogButtonBox;
class QLabel;
class QSpinBox;

namespace lumivox {

struct TUndoLimits {
    int Depth = 20;     // undo steps
    int BudgetMb = 512; // megabytes of 2^20 bytes
    bool operator==(const TUndoLimits&) const = default;
};

// What the history holds as the dialog opens.
struct THistoryHeld {
    int Steps = 0;
    std::size_t Bytes = 0; // beyond the show
};

class TUndoLevelsDialog : public QDialog {
    Q_OBJECT
public:
    explicit TUndoLevelsDialog(QWidget* parent = nullptr);

    // Shows `limits` and `held` in `language` and waits for OK (the limits chosen) or Cancel.
    std::optional<TUndoLimits> Ask(const TUndoLimits& limits, const THistoryHeld& held,
                                   Language language);
    // The limits as the controls hold them now.
    TUndoLimits Current() const;
    // "The history holds 12 steps, 85 MB of 512 MB." in `language`.
    static QString HeldText(const THistoryHeld& held, int budgetMb, Language language);

private:
    void ApplyLanguage(Language language);

    QLabel* DepthLabel;
    QSpinBox* DepthBox;
    QLabel* BudgetLabel;
    QSpinBox* BudgetBox;
    QLabel* Held;
    QLabel* Note;
    QDialogButtonBox* Buttons;
};

} // namespace lumivox
