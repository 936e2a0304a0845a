// The Outputs dialog: DMX output through OLA on or off, the OLA universe, and a live line that
// says whether olad answers.
#pragma once

#include "core/LanguageTables.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QSpinBox;

namespace lumivox {

// What the operator chose.
struct TOutputChoices {
    bool DmxEnabled = false;
    int Universe = 1;
    bool operator==(const TOutputChoices&) const = default;
};

// Shown without a modal loop, so the show clock and the live outputs never wait on it; OK
// emits Chosen with the choices, Cancel leaves them as they were.
class TOutputsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxUniverse = 65535;

    explicit TOutputsDialog(QWidget* parent = nullptr);

    // Shows the dialog over `choices` in `language`, or brings it to the front.
    void Open(const TOutputChoices& choices, Language language);
    // The choices as the controls hold them now.
    TOutputChoices Current() const;
    // The status line: olad answers, does not, or is not known yet (empty).
    void ShowReachable(std::optional<bool> reachable);
    void ApplyLanguage(Language language);

Q_SIGNALS:
    void Chosen(const TOutputChoices& choices);
    // The dialog was shown or hidden: olad is watched only while it is up.
    void VisibilityChanged(bool shown);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void ShowStatusText();

    Language Lang = Language::English;
    std::optional<bool> Reachable;
    QCheckBox* DmxBox;
    QLabel* UniverseLabel;
    QSpinBox* UniverseBox;
    QLabel* Status;
    QLabel* Note;
    QDialogButtonBox* Buttons;
};

} // namespace lumivox
