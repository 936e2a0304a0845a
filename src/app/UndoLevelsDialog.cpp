// The Undo Levels dialog's controls and texts.
#include "app/UndoLevelsDialog.h"

#include "persistence/Preferences.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lumivox {

TUndoLevelsDialog::TUndoLevelsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("UndoLevelsDialog"));
    DepthLabel = new QLabel(this);
    DepthBox = new QSpinBox(this);
    DepthBox->setObjectName(QStringLiteral("UndoDepthBox"));
    DepthBox->setRange(Preferences::MinUndoDepth, Preferences::MaxUndoDepth);
    DepthLabel->setBuddy(DepthBox);
    BudgetLabel = new QLabel(this);
    BudgetBox = new QSpinBox(this);
    BudgetBox->setObjectName(QStringLiteral("UndoBudgetBox"));
    BudgetBox->setRange(Preferences::MinUndoBudgetMb, Preferences::MaxUndoBudgetMb);
    BudgetBox->setSingleStep(64);
    BudgetLabel->setBuddy(BudgetBox);
    Held = new QLabel(this);
    Held->setObjectName(QStringLiteral("HistoryHeld"));
    Note = new QLabel(this);
    Note->setWordWrap(true);
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* limits = new QGridLayout;
    limits->addWidget(DepthLabel, 0, 0);
    limits->addWidget(DepthBox, 0, 1);
    limits->addWidget(BudgetLabel, 1, 0);
    limits->addWidget(BudgetBox, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(limits);
    layout->addWidget(Note);
    layout->addWidget(Held);
    layout->addWidget(Buttons);
}

std::optional<TUndoLimits> TUndoLevelsDialog::Ask(const TUndoLimits& limits,
                                                  const THistoryHeld& held, Language language) {
    ApplyLanguage(language);
    DepthBox->setValue(limits.Depth);
    BudgetBox->setValue(limits.BudgetMb);
    Held->setText(HeldText(held, limits.BudgetMb, language));
    DepthBox->setFocus();
    DepthBox->selectAll();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return Current();
}

TUndoLimits TUndoLevelsDialog::Current() const {
    return {DepthBox->value(), BudgetBox->value()};
}

QString TUndoLevelsDialog::HeldText(const THistoryHeld& held, int budgetMb, Language language) {
    const QLocale locale = LocaleOf(language);
    const double megabytes = static_cast<double>(held.Bytes) / static_cast<double>(1 << 20);
    // Tenths while the figure is small, so that a little is not shown as nothing.
    const QString heldText = locale.toString(megabytes, 'f', megabytes < 10 ? 1 : 0);
    const QString budgetText = locale.toString(budgetMb);
    if (held.Steps == 1)
        return Text(TextTable::HistoryText, HistoryText::HistoryHoldsOneStep, language)
            .arg(heldText, budgetText);
    return Text(TextTable::HistoryText, HistoryText::HistoryHolds, language)
        .arg(locale.toString(held.Steps), heldText, budgetText);
}

void TUndoLevelsDialog::ApplyLanguage(Language language) {
    setWindowTitle(Text(TextTable::HistoryText, HistoryText::UndoLevelsTitle, language));
    DepthLabel->setText(Text(TextTable::TrackEditing, TrackEditingText::UndoDepthPrompt, language));
    const QLocale locale = LocaleOf(language);
    BudgetLabel->setText(Text(TextTable::HistoryText, HistoryText::BudgetPrompt, language)
                             .arg(locale.toString(Preferences::MinUndoBudgetMb),
                                  locale.toString(Preferences::MaxUndoBudgetMb)));
    Note->setText(Text(TextTable::HistoryText, HistoryText::BudgetNote, language));
    Buttons->button(QDialogButtonBox::Ok)->setText(Text(TextTable::DialogButtons, 1, language));
    Buttons->button(QDialogButtonBox::Cancel)->setText(Text(TextTable::DialogButtons, 2, language));
}

} // namespace lumivox
