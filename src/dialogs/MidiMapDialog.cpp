// The MIDI Map dialog `TForm6`.
#include "dialogs/MidiMapDialog.h"

#include "dialogs/WindowPlacement.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace lumivox {
namespace {

// The client area the dialog keeps unless a language's texts need more.
constexpr QSize kClientSize(281, 249);
constexpr int kChannels = 16;
constexpr int kMenuEntries = 128; // keys and controllers 0..127

// Entries of the MIDI Map table.
namespace Entry {
constexpr int ChannelBand = 1;
constexpr int OptionsBand = 2;
constexpr int KeyBand = 3;
constexpr int ControllerBand = 4;
constexpr int UseKey = 5;
constexpr int UseVelocity = 6;
constexpr int LearnKey = 7;
constexpr int LearnController = 8;
constexpr int SelectChannel = 9;
constexpr int SelectKey = 10;
constexpr int SelectController = 11;
constexpr int Title = 12;
} // namespace Entry

// A label for a menu choice: a long controller name is shortened with an ellipsis at the
// right rather than cut, and shown whole in the tool tip. text() stays the whole choice.
class TChoiceLabel : public QLabel {
public:
    explicit TChoiceLabel(QWidget* parent) : QLabel(parent) {
        setTextFormat(Qt::PlainText);
        setFrameShape(QFrame::StyledPanel);
        setFrameShadow(QFrame::Sunken);
        setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

    QSize sizeHint() const override { return {0, QLabel::sizeHint().height()}; }
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent* event) override {
        // The sunken frame only: the label's own text painting is replaced by the elided
        // text below.
        QFrame::paintEvent(event); // NOLINT(bugprone-parent-virtual-call)
        QPainter painter(this);
        const QString shown =
            fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
        style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()), palette(),
                              isEnabled(), shown, foregroundRole());
    }
};

// A choice label's text, with the whole choice in its tool tip for when it is shortened.
void ShowChoice(QLabel* label, const QString& caption) {
    label->setText(QLatin1Char(' ') + caption);
    label->setToolTip(caption);
}

// The learn toggles' picture: a MIDI socket, five pins in a half circle and the key notch.
QIcon SocketIcon() {
    constexpr int kSize = 16;
    constexpr qreal kRatio = 2.0;
    QPixmap pixmap(QSize(kSize, kSize) * kRatio);
    pixmap.setDevicePixelRatio(kRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(kSize / 2.0, kSize / 2.0);
    painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.4));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 6.5, 6.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x30, 0x30, 0x30));
    constexpr qreal kPi = 3.14159265358979;
    for (int pin = 0; pin < 5; ++pin) {
        const qreal angle = kPi + pin * kPi / 4; // left, upper left, top, upper right, right
        painter.drawEllipse(centre + QPointF(4.0 * std::cos(angle), 4.0 * std::sin(angle)), 1.1,
                            1.1);
    }
    painter.drawRect(QRectF(centre.x() - 1.0, centre.y() + 4.5, 2.0, 2.5));
    return QIcon(pixmap);
}

QToolButton* SelectButton(QWidget* parent, const char* name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(Qt::RightArrow);
    button->setAutoRaise(false);
    button->setFixedSize(23, 22);
    return button;
}

QToolButton* LearnButton(QWidget* parent, const char* name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setCheckable(true);
    button->setIcon(SocketIcon());
    button->setFixedSize(23, 22);
    return button;
}

// A pop-up menu whose entries carry the value + 1 as their tag.
QMenu* ChoiceMenu(QWidget* parent, const char* name, int count, QString (*caption)(std::uint8_t)) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QString::fromLatin1(name));
    for (int value = 0; value < count; ++value) {
        QAction* entry = menu->addAction(caption(static_cast<std::uint8_t>(value)));
        entry->setData(value + 1);
    }
    return menu;
}

std::uint8_t ValueOf(const QAction* entry) {
    return static_cast<std::uint8_t>(entry->data().toInt() - 1);
}

QHBoxLayout* Row(QGroupBox* band) {
    auto* row = new QHBoxLayout(band);
    row->setContentsMargins(8, 4, 8, 6);
    row->setSpacing(6);
    return row;
}

} // namespace

TForm6::TForm6(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      GroupBox1(new QGroupBox(this)), GroupBox2(new QGroupBox(this)),
      GroupBox3(new QGroupBox(this)), GroupBox4(new QGroupBox(this)),
      SpeedButton1(SelectButton(GroupBox1, "SpeedButton1")),
      SpeedButton2(SelectButton(GroupBox3, "SpeedButton2")),
      SpeedButton3(SelectButton(GroupBox4, "SpeedButton3")),
      SpeedButton4(LearnButton(GroupBox3, "SpeedButton4")),
      SpeedButton5(LearnButton(GroupBox4, "SpeedButton5")), Label1(new TChoiceLabel(GroupBox1)),
      Label2(new TChoiceLabel(GroupBox3)), Label3(new TChoiceLabel(GroupBox4)),
      CheckBox2(new QCheckBox(GroupBox2)), CheckBox3(new QCheckBox(GroupBox2)),
      Button1(new QPushButton(this)), Button2(new QPushButton(this)),
      ChannelMenu(ChoiceMenu(this, "ChannelMenu", kChannels, ChannelCaption)),
      NoteMenu(ChoiceMenu(this, "NoteMenu", kMenuEntries, KeyCaption)),
      CtrlMenu(ChoiceMenu(this, "CtrlMenu", kMenuEntries, ControllerCaption)) {
    setObjectName(QStringLiteral("Form6"));
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    GroupBox4->setObjectName(QStringLiteral("GroupBox4"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3->setObjectName(QStringLiteral("Label3"));
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1->setDefault(true);
    Button2->setAutoDefault(false);
    for (QPushButton* button : {Button1, Button2}) {
        button->setFixedSize(75, 25);
    }

    auto* channelRow = Row(GroupBox1);
    channelRow->addWidget(SpeedButton1);
    channelRow->addWidget(Label1, 1);
    auto* options = new QVBoxLayout(GroupBox2);
    options->setContentsMargins(8, 4, 8, 6);
    options->setSpacing(2);
    options->addWidget(CheckBox2);
    options->addWidget(CheckBox3);
    auto* keyRow = Row(GroupBox3);
    keyRow->addWidget(SpeedButton2);
    keyRow->addWidget(Label2, 1);
    keyRow->addWidget(SpeedButton4);
    auto* controllerRow = Row(GroupBox4);
    controllerRow->addWidget(SpeedButton3);
    controllerRow->addWidget(Label3, 1);
    controllerRow->addWidget(SpeedButton5);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addStretch();
    buttons->addWidget(Button2);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 6, 8, 8);
    column->setSpacing(4);
    for (QGroupBox* band : {GroupBox1, GroupBox2, GroupBox3, GroupBox4}) {
        column->addWidget(band);
    }
    column->addStretch();
    column->addLayout(buttons);

    connect(SpeedButton1, &QToolButton::clicked, this, &TForm6::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm6::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm6::SpeedButton3Click);
    connect(ChannelMenu, &QMenu::triggered, this, &TForm6::ChannelMenuSelect);
    connect(NoteMenu, &QMenu::triggered, this, &TForm6::NoteMenuSelect);
    connect(CtrlMenu, &QMenu::triggered, this, &TForm6::CtrlMenuSelect);
    connect(CheckBox2, &QCheckBox::clicked, this, &TForm6::CheckBox2Click);
    connect(CheckBox3, &QCheckBox::clicked, this, &TForm6::CheckBox3Click);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    ApplyLanguage(Lang);
}

bool TForm6::EditMidiMap(TMidiMap& map, Language language) {
    Load(map, language);
    if (exec() != QDialog::Accepted) {
        return false;
    }
    map = Working;
    return true;
}

void TForm6::Load(const TMidiMap& map, Language language) {
    Working = map;
    Lang = language;
}

void TForm6::ApplyLanguage(Language language) {
    const auto tr = [language](int entry) {
        return Text(TextTable::MidiMapDialog, entry, language);
    };
    setWindowTitle(tr(Entry::Title));
    GroupBox1->setTitle(tr(Entry::ChannelBand));
    GroupBox2->setTitle(tr(Entry::OptionsBand));
    GroupBox3->setTitle(tr(Entry::KeyBand));
    GroupBox4->setTitle(tr(Entry::ControllerBand));
    CheckBox2->setText(tr(Entry::UseKey));
    CheckBox3->setText(tr(Entry::UseVelocity));
    SpeedButton1->setToolTip(tr(Entry::SelectChannel));
    SpeedButton2->setToolTip(tr(Entry::SelectKey));
    SpeedButton3->setToolTip(tr(Entry::SelectController));
    SpeedButton4->setToolTip(tr(Entry::LearnKey));
    SpeedButton5->setToolTip(tr(Entry::LearnController));
    Button1->setText(Text(TextTable::DialogButtons, 1, language));
    Button2->setText(Text(TextTable::DialogButtons, 2, language));
    FitToTexts();
}

bool TForm6::LearningKey() const {
    return isVisible() && SpeedButton4->isChecked();
}

bool TForm6::LearningController() const {
    return isVisible() && SpeedButton5->isChecked();
}

void TForm6::LearnKey(std::uint8_t key, std::uint8_t channel) {
    Working.Key = key;
    Working.Channel = channel;
    ShowKey();
    ShowChannel();
}

void TForm6::LearnController(std::uint8_t controller, std::uint8_t channel) {
    Working.Controller = controller;
    Working.Channel = channel;
    ShowController();
    ShowChannel();
}

void TForm6::showEvent(QShowEvent* event) {
    FormActivate();
    CenterOnScreen(*this);
    QDialog::showEvent(event);
}

void TForm6::FormActivate() {
    ApplyLanguage(Lang);
    ShowChannel();
    ShowKey();
    ShowController();
    CheckBox2->setChecked(Working.UseKey);
    CheckBox3->setChecked(Working.UseVelocity);
    SpeedButton4->setChecked(false);
    SpeedButton5->setChecked(false);
}

// The menus open at the button's top right corner.
void TForm6::SpeedButton1Click() {
    ChannelMenu->popup(SpeedButton1->mapToGlobal(SpeedButton1->rect().topRight()));
}

void TForm6::SpeedButton2Click() {
    NoteMenu->popup(SpeedButton2->mapToGlobal(SpeedButton2->rect().topRight()));
}

void TForm6::SpeedButton3Click() {
    CtrlMenu->popup(SpeedButton3->mapToGlobal(SpeedButton3->rect().topRight()));
}

void TForm6::ChannelMenuSelect(QAction* entry) {
    Working.Channel = ValueOf(entry);
    ShowChannel();
}

void TForm6::NoteMenuSelect(QAction* entry) {
    Working.Key = ValueOf(entry);
    ShowKey();
}

void TForm6::CtrlMenuSelect(QAction* entry) {
    Working.Controller = ValueOf(entry);
    ShowController();
}

void TForm6::CheckBox2Click(bool checked) {
    Working.UseKey = checked;
}

void TForm6::CheckBox3Click(bool checked) {
    Working.UseVelocity = checked;
}

// Each label shows one blank and the caption of the choice's menu entry.
void TForm6::ShowChannel() {
    ShowChoice(Label1, ChannelCaption(Working.Channel));
}

void TForm6::ShowKey() {
    ShowChoice(Label2, KeyCaption(Working.Key));
}

void TForm6::ShowController() {
    ShowChoice(Label3, ControllerCaption(Working.Controller));
}

// The fixed client area, widened or heightened only when a language's texts need it.
void TForm6::FitToTexts() {
    layout()->activate();
    const QSize needed = layout()->totalSizeHint();
    setFixedSize(std::max(kClientSize.width(), needed.width()),
                 std::max(kClientSize.height(), needed.height()));
}

} // namespace lumivox
