// The Project Properties dialog `TForm3`: project name, resolution, song, the descriptive
// fields and the comments of a project.
#pragma once

#include "core/LanguageTables.h"
#include "core/ProjectProperties.h"

#include <QDialog>
#include <QLabel>

#include <array>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace lumivox {

// A label for a file path: it shows the path elided in the middle when it does not fit and
// the whole path in its tool tip. text() is always the whole path.
class TPathLabel : public QLabel {
    Q_OBJECT
public:
    explicit TPathLabel(QWidget* parent = nullptr);

    void SetPath(const QString& path);
    // What the label shows at its present width.
    QString ShownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class TForm3 : public QDialog, public IProjectPropertiesEditor {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    // Shows the dialog modally over `project` in `language`; on OK `project` takes what the user
    // entered (the song path and ResolutionEnabled are only shown), on Cancel it is unchanged.
    bool EditProjectProperties(TProjectPropertiesData& project, Language language) override;

    // Sets the title, the labels and the button texts (what each showing does).
    void ApplyLanguage(Language language);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Load(const TProjectPropertiesData& project);
    void Store(TProjectPropertiesData& project) const;

    Language language_ = Language::English;
    std::array<QLabel*, 9> labels_{}; // the nine field labels, top to bottom
    QLineEdit* name_;
    std::array<QRadioButton*, 3> resolutions_{};
    TPathLabel* songPath_;
    std::array<QLineEdit*, 5> fields_{}; // Subject, Author, Copyright, Customer, Creation Date
    QPlainTextEdit* comments_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
};

} // namespace lumivox
