// The track header's controls at their fixed positions, their drawn glyphs, and the filter
// that closes open caption editors on any left press.
#include "timeline/TrackHeader.h"

#include "dialogs/GlyphPalette.h"
#include "model/TrackRules.h"
#include "timeline/TimelineStyle.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QFont>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPixmapCache>
#include <QToolButton>

namespace lumivox {
namespace {

const QColor kSelectedPanel(0xA1, 0xA1, 0xA1);
// The glyphs' colours, by what each marks.
constexpr QColor kInk = palette::kInk;
constexpr QColor kArmRed = palette::kRed;
constexpr QColor kTypeBlue = palette::kBlue;
constexpr QColor kLockRed = palette::kDarkRed;
constexpr QColor kSoloAmber = palette::kDeepAmber;
constexpr QColor kMuteBlue = palette::kBlue;

constexpr int kDefaultWidth = 169;
constexpr int kDefaultHeight = 73;

// A pixmap of `size` logical pixels painted by `paint` at twice the resolution, so the glyph
// stays sharp on high-density screens.
template <typename Paint> QPixmap Drawn(QSize size, Paint paint) {
    constexpr qreal ratio = 2.0;
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter);
    return pixmap;
}

// Every header shows the same few glyphs: each is painted once and then shared.
template <typename Make> QPixmap Cached(const QString& key, Make make) {
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = make();
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

// The toggle glyphs, up and down: a button that is down shows its glyph in colour, so the
// state reads at a glance on a grey (selected) panel too.
QPixmap LockGlyph(bool on) {
    return Cached(QStringLiteral("lumivox-header-lock-%1").arg(on), [&] {
        return Drawn(QSize(14, 14), [on](QPainter& p) {
            const QColor colour = on ? kLockRed : kInk;
            p.setPen(QPen(colour, 1.6));
            p.setBrush(Qt::NoBrush);
            QPainterPath shackle;
            shackle.moveTo(4.5, 7);
            shackle.lineTo(4.5, 4.5);
            shackle.arcTo(QRectF(4.5, 1.5, 5, 6), 180, -180);
            // Open while unlocked: the shackle's right leg stops short of the body.
            shackle.lineTo(9.5, on ? 7.0 : 4.5);
            p.drawPath(shackle);
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawRoundedRect(QRectF(3, 6.5, 8, 6), 1, 1);
        });
    });
}

QPixmap LetterGlyph(QChar letter, const QColor& badge, bool on) {
    return Cached(
        QStringLiteral("lumivox-header-letter-%1-%2-%3").arg(letter).arg(badge.rgba()).arg(on),
        [&] {
            return Drawn(QSize(14, 14), [letter, badge, on](QPainter& p) {
                if (on) {
                    p.setPen(Qt::NoPen);
                    p.setBrush(badge);
                    p.drawRoundedRect(QRectF(0.5, 0.5, 13, 13), 2.5, 2.5);
                }
                QFont font = p.font();
                font.setPixelSize(11);
                font.setBold(true);
                p.setFont(font);
                p.setPen(on ? QColor(Qt::white) : kInk);
                p.drawText(QRectF(0, 0, 14, 14), Qt::AlignCenter, QString(letter));
            });
        });
}

QPixmap ArmGlyph(bool on) {
    return Cached(QStringLiteral("lumivox-header-arm-%1").arg(on), [&] {
        return Drawn(QSize(14, 14), [on](QPainter& p) {
            p.setPen(QPen(on ? kArmRed.darker(130) : kInk, 1.2));
            p.setBrush(on ? kArmRed : QColor(Qt::transparent));
            p.drawEllipse(QPointF(7, 7), 4, 4);
        });
    });
}

QIcon ToggleIcon(const QPixmap& up, const QPixmap& down) {
    QIcon icon;
    icon.addPixmap(up, QIcon::Normal, QIcon::Off);
    icon.addPixmap(down, QIcon::Normal, QIcon::On);
    return icon;
}

QPixmap MenuArrowGlyph() {
    return Cached(QStringLiteral("lumivox-header-menu-arrow"), [&] {
        return Drawn(QSize(10, 10), [](QPainter& p) {
            p.setPen(Qt::NoPen);
            p.setBrush(kInk);
            p.drawPolygon(QPolygonF({QPointF(1.5, 3), QPointF(8.5, 3), QPointF(5, 7.5)}));
        });
    });
}

// The type icons: a rising ramp for a Proportional track, a square pulse for On/Off.
QPixmap TypeGlyph(std::uint8_t trackType) {
    return Cached(QStringLiteral("lumivox-header-type-%1").arg(trackType), [&] {
        return Drawn(QSize(16, 17), [trackType](QPainter& p) {
            if (trackType == TrackTypeOnOff) {
                p.setPen(QPen(kTypeBlue, 1.6, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
                p.setBrush(Qt::NoBrush);
                p.drawPolyline(QPolygonF({QPointF(1, 13), QPointF(4.5, 13), QPointF(4.5, 4),
                                          QPointF(11.5, 4), QPointF(11.5, 13), QPointF(15, 13)}));
            } else {
                p.setPen(Qt::NoPen);
                p.setBrush(kTypeBlue);
                p.drawPolygon(QPolygonF({QPointF(1, 14), QPointF(15, 3), QPointF(15, 14)}));
            }
        });
    });
}

QLabel* BoxedText(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
    label->setAutoFillBackground(true);
    return label;
}

QToolButton* Button(QWidget* parent, const QString& name, const QRect& geometry, const QIcon& icon,
                    bool toggle) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setAutoRaise(!toggle);
    button->setCheckable(toggle);
    button->setFocusPolicy(Qt::NoFocus);
    if (!icon.isNull()) {
        button->setIcon(icon);
        button->setIconSize(geometry.width() < 20 ? QSize(10, 10) : QSize(14, 14));
    }
    return button;
}

void SetBackground(QWidget* widget, const QColor& color) {
    // A palette set again re-polishes the widget and its children: skip what shows already.
    if (widget->testAttribute(Qt::WA_SetPalette) &&
        widget->palette().color(QPalette::Window) == color)
        return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
}

} // namespace

TFrame2::TFrame2(QWidget* parent, Language language) : QFrame(parent) {
    setObjectName(QStringLiteral("TFrame2"));
    resize(parent != nullptr ? parent->contentsRect().width() : kDefaultWidth, kDefaultHeight);
    setFixedHeight(kDefaultHeight);

    QFont small = font();
    small.setPixelSize(11);
    setFont(small);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(rect());
    Panel1->setAutoFillBackground(true);

    StaticText1 = BoxedText(Panel1, QStringLiteral("StaticText1"), QRect(2, 2, 33, 17));
    StaticText2 = BoxedText(Panel1, QStringLiteral("StaticText2"), QRect(34, 2, 116, 17));

    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(35, 3, 114, 15);
    Edit1->setFrame(false);
    Edit1->setAlignment(Qt::AlignCenter);
    Edit1->hide();

    SpeedButton5 = Button(Panel1, QStringLiteral("SpeedButton5"), QRect(150, 2, 19, 17), {}, false);
    SpeedButton5->setEnabled(false);

    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(2, 27, 16, 17);

    SpeedButton3 = Button(Panel1, QStringLiteral("SpeedButton3"), QRect(20, 23, 16, 22),
                          QIcon(MenuArrowGlyph()), false);
    SpeedButton3->setAutoRaise(false);

    Label1 = new QLabel(Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(38, 28);

    SpeedButton4 = Button(Panel1, QStringLiteral("SpeedButton4"), QRect(77, 23, 23, 22),
                          ToggleIcon(ArmGlyph(false), ArmGlyph(true)), true);
    const QChar s(QLatin1Char('S'));
    SpeedButton2 = Button(
        Panel1, QStringLiteral("SpeedButton2"), QRect(100, 23, 23, 22),
        ToggleIcon(LetterGlyph(s, kSoloAmber, false), LetterGlyph(s, kSoloAmber, true)), true);
    const QChar m(QLatin1Char('M'));
    SpeedButton1 =
        Button(Panel1, QStringLiteral("SpeedButton1"), QRect(123, 23, 23, 22),
               ToggleIcon(LetterGlyph(m, kMuteBlue, false), LetterGlyph(m, kMuteBlue, true)), true);
    SpeedButton7 = Button(Panel1, QStringLiteral("SpeedButton7"), QRect(146, 23, 23, 22),
                          ToggleIcon(LockGlyph(false), LockGlyph(true)), true);

    connect(SpeedButton3, &QToolButton::clicked, this, &TFrame2::TypeOutputClicked);
    connect(SpeedButton4, &QToolButton::clicked, this, &TFrame2::ArmToggled);
    connect(SpeedButton2, &QToolButton::clicked, this, &TFrame2::SoloClicked);
    connect(SpeedButton1, &QToolButton::clicked, this, &TFrame2::MuteClicked);
    connect(SpeedButton7, &QToolButton::clicked, this, &TFrame2::LockClicked);
    connect(Edit1, &QLineEdit::returnPressed, this, [this] {
        if (Editing)
            Q_EMIT CaptionEditFinished();
    });

    // Every part reports pointer moves; the panel and the parts that take no presses of
    // their own report presses through the panel.
    setMouseTracking(true);
    installEventFilter(this);
    Panel1->setMouseTracking(true);
    Panel1->installEventFilter(this);
    for (QWidget* child : Panel1->findChildren<QWidget*>()) {
        child->setMouseTracking(true);
        child->installEventFilter(this);
    }

    ShowSelected(false);
    ShowNumber(1);
    ShowColors(clSilver, clGray);
    ShowTypeImage(TrackTypeProportional);
    ApplyLanguage(language);
}

TFrame2::~TFrame2() = default;

void TFrame2::ApplyLanguage(Language language) {
    Lang = language;
    ShowOutput(Output);
    auto hint = [language](int entry) { return Text(TextTable::CommonTexts, entry, language); };
    SpeedButton7->setToolTip(hint(CommonText::Lock));
    SpeedButton1->setToolTip(hint(CommonText::Mute));
    SpeedButton2->setToolTip(hint(CommonText::Solo));
    SpeedButton4->setToolTip(hint(CommonText::ArmTrack));
    SpeedButton3->setToolTip(hint(CommonText::TypeOutput));
}

bool TFrame2::Armed() const {
    return SpeedButton4->isChecked();
}

QPoint TFrame2::TypeOutputMenuPosition() const {
    return SpeedButton3->mapToGlobal(QPoint(SpeedButton3->width(), 0));
}

void TFrame2::Show(const TFullTrack& track, int number, TTrackFields fields) {
    if (fields & TTrackField::Caption)
        ShowCaption(track.Caption);
    if (fields & TTrackField::Selected)
        ShowSelected(track.Selected);
    if (fields & TTrackField::Locked)
        ShowLocked(track.Locked);
    if (fields & TTrackField::Mute)
        ShowMute(track.Mute);
    if (fields & TTrackField::Solo)
        ShowSolo(track.Solo);
    if (fields & TTrackField::Armed)
        ShowArmed(track.Armed);
    if (fields & TTrackField::Type)
        ShowTypeImage(track.TrackType);
    if (fields & TTrackField::Output)
        ShowOutput(track.Output);
    if (fields & TTrackField::Number)
        ShowNumber(HeaderNumber(number));
    if (fields & TTrackField::Colors)
        ShowColors(track.HeaderColor, track.CaptionColor);
}

void TFrame2::ShowCaption(const QString& caption) {
    StaticText2->setText(caption);
}

void TFrame2::ShowSelected(bool selected) {
    SetBackground(Panel1,
                  selected ? kSelectedPanel : QApplication::palette().color(QPalette::Button));
}

void TFrame2::ShowLocked(bool locked) {
    SpeedButton7->setChecked(locked);
}

void TFrame2::ShowMute(bool mute) {
    SpeedButton1->setChecked(mute);
}

void TFrame2::ShowSolo(bool solo) {
    SpeedButton2->setChecked(solo);
}

void TFrame2::ShowArmed(bool armed) {
    SpeedButton4->setChecked(armed);
}

void TFrame2::ShowTypeImage(std::uint8_t trackType) {
    Image1->setPixmap(TypeGlyph(trackType));
}

void TFrame2::ShowOutput(std::uint8_t output) {
    Output = output;
    Label1->setText(OutputText(output, Text(TextTable::CommonTexts, CommonText::All, Lang)));
    Label1->adjustSize();
}

void TFrame2::ShowNumber(int number) {
    StaticText1->setText(QString::number(number));
}

void TFrame2::ShowColors(TColor headerColor, TColor captionColor) {
    SetBackground(StaticText1, ToQColor(headerColor));
    SetBackground(StaticText2, ToQColor(captionColor));
}

void TFrame2::SetHeight(int pixels) {
    setFixedHeight(pixels);
}

void TFrame2::OpenCaptionEditor(const QString& text) {
    Edit1->setText(text);
    Edit1->show();
    Edit1->raise();
    Edit1->selectAll();
    Edit1->setFocus(Qt::OtherFocusReason);
    Editing = true;
}

QString TFrame2::CaptionEditorText() const {
    return Edit1->text();
}

void TFrame2::CloseCaptionEditor() {
    // Cleared first: hiding the focused editor moves the focus away, and that focus-out
    // must not report a second end of the edit.
    Editing = false;
    Edit1->hide();
}

void TFrame2::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    Panel1->setGeometry(rect());
}

bool TFrame2::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
        Q_EMIT PointerMoved();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched == StaticText2 && event->type() == QEvent::MouseButtonDblClick &&
            mouse->button() == Qt::LeftButton) {
            Q_EMIT CaptionDoubleClicked();
            return true;
        }
        // A double click is a second press in quick succession and counts as one.
        if (watched == Panel1) {
            Q_EMIT Pressed(mouse->button(), mouse->modifiers());
            return true;
        }
        break;
    }
    case QEvent::KeyPress:
        if (watched == Edit1 && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            if (Editing)
                Q_EMIT CaptionEditFinished();
            return true;
        }
        break;
    case QEvent::FocusOut:
        if (watched == Edit1 && Editing)
            Q_EMIT CaptionEditFinished();
        break;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}

TCaptionCommitFilter::TCaptionCommitFilter(std::function<void()> commit, QObject* parent)
    : QObject(parent), Commit(std::move(commit)) {}

bool TCaptionCommitFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::NonClientAreaMouseButtonPress)
        return false;
    if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return false;
    // The press reaches the window first and then the widget under the pointer; only the
    // widget tells where it went.
    auto* target = qobject_cast<QWidget*>(watched);
    if (target == nullptr)
        return false;
    for (QWidget* w = target; w != nullptr; w = w->parentWidget()) {
        if (auto* header = qobject_cast<TFrame2*>(w)) {
            if (header->CaptionEditorOpen() &&
                (target == header->Edit1 || header->Edit1->isAncestorOf(target)))
                return false;
            break;
        }
    }
    if (Commit)
        Commit();
    return false;
}

} // namespace lumivox
