// The Project Properties dialog `TForm3`.
#include "dialogs/ProjectPropertiesDialog.h"

#include "dialogs/WindowPlacement.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace lumivox {
namespace {

constexpr int kNameMaxLength = 64;

// Table entries of the field labels: entry 1 is the title, 2..10 the labels top to bottom.
constexpr int kTitleEntry = 1;
constexpr int kFirstLabelEntry = 2;

// The memo holds one comment per line, each ended by a line break, so that a list whose
// last line is empty survives the round trip; reading drops the one empty piece after the
// final break.
QString CommentsToText(const QStringList& comments) {
    QString text;
    for (const QString& line : comments) {
        text += line;
        text += QLatin1Char('\n');
    }
    return text;
}

QStringList TextToComments(const QString& text) {
    if (text.isEmpty()) {
        return {};
    }
    QStringList lines = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n'))) {
        lines.removeLast();
    }
    return lines;
}

} // namespace

TPathLabel::TPathLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void TPathLabel::SetPath(const QString& path) {
    setText(path);
    setToolTip(path);
    update();
}

QString TPathLabel::ShownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
}

// A long path must not widen the dialog: the label asks only for one line's height.
QSize TPathLabel::sizeHint() const {
    return {0, QLabel::sizeHint().height()};
}

QSize TPathLabel::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

void TPathLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()), palette(),
                          isEnabled(), ShownText(), foregroundRole());
}

TForm3::TForm3(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      name_(new QLineEdit(this)), songPath_(new TPathLabel(this)),
      comments_(new QPlainTextEdit(this)), okButton_(new QPushButton(this)),
      cancelButton_(new QPushButton(this)) {
    setObjectName(QStringLiteral("Form3"));
    setFixedSize(362, 460);

    for (std::size_t i = 0; i < labels_.size(); ++i) {
        labels_[i] = new QLabel(this);
        labels_[i]->setObjectName(QStringLiteral("Label%1").arg(i + 1));
    }
    name_->setObjectName(QStringLiteral("Edit1"));
    name_->setMaxLength(kNameMaxLength);
    const std::array<const char*, 3> resolutionTexts{"100 ms", "500 ms", "1000 ms"};
    for (std::size_t i = 0; i < resolutions_.size(); ++i) {
        resolutions_[i] = new QRadioButton(QString::fromLatin1(resolutionTexts[i]), this);
        resolutions_[i]->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
    }
    resolutions_[0]->setChecked(true);
    songPath_->setObjectName(QStringLiteral("Label11"));
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        fields_[i] = new QLineEdit(this);
        fields_[i]->setObjectName(QStringLiteral("Edit%1").arg(i + 2));
    }
    comments_->setObjectName(QStringLiteral("Memo1"));
    comments_->setTabChangesFocus(true);
    okButton_->setObjectName(QStringLiteral("OKBtn"));
    okButton_->setDefault(true);
    cancelButton_->setObjectName(QStringLiteral("CancelBtn"));
    cancelButton_->setAutoDefault(false);
    for (QPushButton* button : {okButton_, cancelButton_}) {
        button->setFixedSize(75, 25);
    }
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

    // Labels on the left, fields on the right; the comments take the rest of the height.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    int row = 0;
    grid->addWidget(labels_[0], row, 0);
    grid->addWidget(name_, row++, 1);
    // The three choices stacked: side by side they would not leave the longest labels
    // their width in 362 pixels.
    auto* resolutionColumn = new QVBoxLayout;
    resolutionColumn->setSpacing(2);
    for (QRadioButton* button : resolutions_) {
        resolutionColumn->addWidget(button);
    }
    // The label lines up with the first choice.
    labels_[1]->setMinimumHeight(resolutions_[0]->sizeHint().height());
    grid->addWidget(labels_[1], row, 0, Qt::AlignTop);
    grid->addLayout(resolutionColumn, row++, 1);
    grid->addWidget(labels_[2], row, 0);
    grid->addWidget(songPath_, row++, 1);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        grid->addWidget(labels_[i + 3], row, 0);
        grid->addWidget(fields_[i], row++, 1);
    }
    grid->addWidget(labels_[8], row++, 0, 1, 2);
    grid->addWidget(comments_, row, 0, 1, 2);
    grid->setRowStretch(row++, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(okButton_);
    buttonRow->addWidget(cancelButton_);
    grid->addLayout(buttonRow, row, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    ApplyLanguage(language_);
}

bool TForm3::EditProjectProperties(TProjectPropertiesData& project, Language language) {
    language_ = language;
    Load(project);
    if (exec() != QDialog::Accepted) {
        return false;
    }
    Store(project);
    return true;
}

void TForm3::ApplyLanguage(Language language) {
    setWindowTitle(Text(TextTable::ProjectProperties, kTitleEntry, language));
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        labels_[i]->setText(
            Text(TextTable::ProjectProperties, kFirstLabelEntry + static_cast<int>(i), language));
    }
    okButton_->setText(Text(TextTable::DialogButtons, 1, language));
    cancelButton_->setText(Text(TextTable::DialogButtons, 2, language));
}

void TForm3::showEvent(QShowEvent* event) {
    ApplyLanguage(language_);
    // Give the new texts their room before the first paint.
    layout()->activate();
    CenterOnScreen(*this);
    name_->setFocus(Qt::OtherFocusReason);
    name_->selectAll();
    QDialog::showEvent(event);
}

void TForm3::Load(const TProjectPropertiesData& project) {
    name_->setText(project.Name);
    // Any index other than 2 or 3 shows 100 ms.
    const int index = (project.ResolutionIndex == 2 || project.ResolutionIndex == 3)
                          ? project.ResolutionIndex - 1
                          : 0;
    resolutions_[static_cast<std::size_t>(index)]->setChecked(true);
    for (QRadioButton* button : resolutions_) {
        button->setEnabled(project.ResolutionEnabled);
    }
    songPath_->SetPath(project.Mp3Path);
    const std::array<const QString*, 5> texts{&project.Subject, &project.Author, &project.Copyright,
                                              &project.Customer, &project.CreationDate};
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        fields_[i]->setText(*texts[i]);
    }
    comments_->setPlainText(CommentsToText(project.Comments));
}

void TForm3::Store(TProjectPropertiesData& project) const {
    project.Name = name_->text();
    project.ResolutionIndex = resolutions_[0]->isChecked()   ? 1
                              : resolutions_[1]->isChecked() ? 2
                                                             : 3;
    const std::array<QString*, 5> texts{&project.Subject, &project.Author, &project.Copyright,
                                        &project.Customer, &project.CreationDate};
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        *texts[i] = fields_[i]->text();
    }
    project.Comments = TextToComments(comments_->toPlainText());
}

} // namespace lumivox
