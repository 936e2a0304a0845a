// The About box `TForm2`.
#include "dialogs/AboutBox.h"

#include "dialogs/WindowPlacement.h"

#include "dialogs/Glyphs.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <utility>

namespace lumivox {
namespace {

constexpr QSize kLogoSize(128, 54);
constexpr QSize kIconSize(32, 32);

// Arial, or the metric-compatible faces Linux systems carry in its place.
QFont ArialLike(int pointSize) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(pointSize);
    return font;
}

QLabel* CentredText(QWidget* parent, const char* name, const QRect& geometry) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(geometry);
    return label;
}

} // namespace

TForm2::TForm2(std::function<Language()> currentLanguage, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      currentLanguage_(std::move(currentLanguage)), bevel_(new QFrame(this)),
      logo_(new QLabel(this)), icon_(new QLabel(this)),
      productName_(CentredText(this, "StaticText1", {152, 19, 225, 20})),
      version_(CentredText(this, "StaticText2", {152, 40, 225, 17})),
      webAddress_(CentredText(this, "StaticText3", {152, 57, 225, 18})),
      okButton_(new QPushButton(this)) {
    setObjectName(QStringLiteral("Form2"));
    setFixedSize(441, 124);

    bevel_->setObjectName(QStringLiteral("Bevel1"));
    bevel_->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel_->setGeometry(8, 8, 425, 73);
    bevel_->lower();

    logo_->setObjectName(QStringLiteral("Image1"));
    logo_->setGeometry(QRect(QPoint(16, 16), kLogoSize));
    icon_->setObjectName(QStringLiteral("Image2"));
    icon_->setGeometry(QRect(QPoint(392, 32), kIconSize));

    productName_->setFont(ArialLike(10));
    webAddress_->setFont(ArialLike(10));
    webAddress_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    okButton_->setObjectName(QStringLiteral("OKBtn"));
    okButton_->setGeometry(359, 92, 75, 25);
    okButton_->setText(Text(TextTable::DialogButtons, 1, Language::English));
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    ApplyLanguage(Language::English);
    UpdatePictures();
}

void TForm2::ApplyLanguage(Language language) {
    setWindowTitle(Text(TextTable::AboutBox, 1, language));
    productName_->setText(Text(TextTable::AboutBox, 2, language));
    version_->setText(Text(TextTable::AboutBox, 3, language));
    webAddress_->setText(Text(TextTable::AboutBox, 4, language));
    okButton_->setText(Text(TextTable::DialogButtons, 1, language));
}

void TForm2::showEvent(QShowEvent* event) {
    ApplyLanguage(currentLanguage_ ? currentLanguage_() : Language::English);
    UpdatePictures();
    CenterOnScreen(*this);
    QDialog::showEvent(event);
}

// The pictures are rendered for the screen the box is on, so they stay sharp at 200%.
void TForm2::UpdatePictures() {
    const qreal ratio = devicePixelRatioF();
    logo_->setPixmap(LogoPixmap(kLogoSize, ratio));
    icon_->setPixmap(ApplicationIcon().pixmap(kIconSize, ratio));
}

} // namespace lumivox
