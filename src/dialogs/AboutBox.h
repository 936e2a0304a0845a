// The About box `TForm2`: logo, icon, product name, version and web address, in the language
// current each time it is shown.
#pragma once

#include "core/LanguageTables.h"

#include <QDialog>

#include <functional>

class QFrame;
class QLabel;
class QPushButton;

namespace lumivox {

class TForm2 : public QDialog {
    Q_OBJECT
public:
    // `currentLanguage` is asked on every showing, so a language chosen while the program
    // runs shows the next time. Without it the box is in English.
    explicit TForm2(std::function<Language()> currentLanguage, QWidget* parent = nullptr);

    // Sets the caption and the three texts for `language` (what each showing does).
    void ApplyLanguage(Language language);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void UpdatePictures();

    std::function<Language()> currentLanguage_;
    QFrame* bevel_;
    QLabel* logo_;
    QLabel* icon_;
    QLabel* productName_;
    QLabel* version_;
    QLabel* webAddress_;
    QPushButton* okButton_;
};

} // namespace lumivox
