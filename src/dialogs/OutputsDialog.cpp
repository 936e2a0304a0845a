// The Outputs dialog's controls, texts and status line.
#include "dialogs/OutputsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lumivox {

TOutputsDialog::TOutputsDialog(QWidget* parent)
    : QDialog(parent), DmxBox(new QCheckBox(this)), UniverseLabel(new QLabel(this)),
      UniverseBox(new QSpinBox(this)), Status(new QLabel(this)), Note(new QLabel(this)),
      Buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setObjectName(QStringLiteral("OutputsDialog"));
    DmxBox->setObjectName(QStringLiteral("DmxEnabled"));
    UniverseBox->setObjectName(QStringLiteral("DmxUniverse"));
    UniverseBox->setRange(1, MaxUniverse);
    Status->setObjectName(QStringLiteral("OlaStatus"));
    Note->setWordWrap(true);
    UniverseLabel->setBuddy(UniverseBox);

    auto* form = new QFormLayout;
    form->addRow(UniverseLabel, UniverseBox);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DmxBox);
    layout->addLayout(form);
    layout->addWidget(Status);
    layout->addWidget(Note);
    layout->addWidget(Buttons);

    connect(DmxBox, &QCheckBox::toggled, UniverseBox, &QWidget::setEnabled);
    connect(Buttons, &QDialogButtonBox::accepted, this, [this] {
        const TOutputChoices choices = Current();
        accept();
        Q_EMIT Chosen(choices);
    });
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ApplyLanguage(Lang);
}

void TOutputsDialog::Open(const TOutputChoices& choices, Language language) {
    DmxBox->setChecked(choices.DmxEnabled);
    UniverseBox->setValue(choices.Universe);
    UniverseBox->setEnabled(choices.DmxEnabled);
    ApplyLanguage(language);
    show();
    raise();
    activateWindow();
}

TOutputChoices TOutputsDialog::Current() const {
    return {DmxBox->isChecked(), UniverseBox->value()};
}

void TOutputsDialog::ShowReachable(std::optional<bool> reachable) {
    Reachable = reachable;
    ShowStatusText();
}

void TOutputsDialog::ShowStatusText() {
    int entry = DmxText::Checking;
    if (Reachable)
        entry = *Reachable ? DmxText::Reachable : DmxText::Unreachable;
    Status->setText(Text(TextTable::DmxText, entry, Lang));
}

void TOutputsDialog::ApplyLanguage(Language language) {
    Lang = language;
    setWindowTitle(Text(TextTable::DmxText, DmxText::OutputsTitle, Lang));
    DmxBox->setText(Text(TextTable::DmxText, DmxText::DmxEnabled, Lang));
    UniverseLabel->setText(Text(TextTable::DmxText, DmxText::Universe, Lang));
    Note->setText(Text(TextTable::DmxText, DmxText::RealTimeNote, Lang));
    Buttons->button(QDialogButtonBox::Ok)->setText(Text(TextTable::DialogButtons, 1, Lang));
    Buttons->button(QDialogButtonBox::Cancel)->setText(Text(TextTable::DialogButtons, 2, Lang));
    ShowStatusText();
}

void TOutputsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Q_EMIT VisibilityChanged(true);
}

void TOutputsDialog::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    Q_EMIT VisibilityChanged(false);
}

} // namespace lumivox
