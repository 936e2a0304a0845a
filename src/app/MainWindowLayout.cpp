// The main window's layout: the tool bar, the ruler panel, the track area with its header
// column, the status bar and the window's timers. Widgets are named by their role; their
// object names stay those the tests and the settings know them by.
#include "app/MainWindow.h"

#include "app/TrackHeaderColumn.h"
#include "dialogs/Glyphs.h"
#include "editing/TimelineScroll.h"
#include "timeline/LanesView.h"
#include "timeline/RulerView.h"
#include "timeline/TimelineStyle.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace lumivox {

namespace {

constexpr int LeftColumnWidth = 169;
const QColor ReadOutBackground(0xE6, 0xE6, 0xE6);

QFrame* Line(int height, QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFixedHeight(height);
    line->setAutoFillBackground(true);
    line->setBackgroundRole(QPalette::Dark);
    return line;
}

QFrame* VerticalLine(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFixedWidth(1);
    line->setAutoFillBackground(true);
    line->setBackgroundRole(QPalette::Dark);
    return line;
}

// A read-out box: centred text, a single border, light grey, "..." until first set.
QLabel* ReadOut(const char* name, QWidget* parent) {
    auto* label = new QLabel(QStringLiteral("..."), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::Box);
    label->setLineWidth(1);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, ReadOutBackground);
    label->setPalette(palette);
    return label;
}

// Puts the pointer feedback (tool cursor and "Value :" read-out) back to rest whenever the
// pointer enters or crosses a watched area that shows no lane.
class PointerFeedbackReset : public QObject {
public:
    PointerFeedbackReset(EditingTools& tools, QObject* parent) : QObject(parent), Tools(tools) {}

    void Watch(QWidget* area) {
        area->setMouseTracking(true);
        area->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove)
            Tools.ResetPointerFeedback();
        return QObject::eventFilter(watched, event);
    }

private:
    EditingTools& Tools;
};

QToolButton* ToolButton(const char* name, Glyph glyph, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoRaise(true);
    button->setFixedSize(40, 34);
    button->setIcon(GlyphIcon(glyph));
    button->setIconSize(QSize(22, 22));
    return button;
}

QLabel* Caption(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

void TForm1::BuildLayout() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("CentralArea"));
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* toolBar = new QWidget(central);
    toolBar->setObjectName(QStringLiteral("ToolBar"));
    BuildToolBar(toolBar);
    column->addWidget(toolBar);
    column->addWidget(Line(1, central));
    column->addWidget(BuildRulerPanel());
    column->addWidget(Line(2, central));
    column->addWidget(BuildTrackArea(), 1);
    column->addWidget(Line(1, central));
    QWidget* statusBar = BuildStatusBar();
    column->addWidget(statusBar);
    setCentralWidget(central);

    // The areas around the lanes and the ruler, the header column's empty part included.
    auto* reset = new PointerFeedbackReset(*Tools, this);
    for (QWidget* area : {toolBar, findChild<QWidget*>(QStringLiteral("UpperLeftPanel")), statusBar,
                          static_cast<QWidget*>(Headers)})
        reset->Watch(area);
}

void TForm1::BuildToolBar(QWidget* bar) {
    bar->setFixedHeight(36);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(0);
    auto gap = [row] { row->addSpacing(8); };

    GoToBeginningButton = ToolButton("SpeedButton5", Glyph::GoToBeginning, bar);
    PlayButton = ToolButton("SpeedButton6", Glyph::Play, bar);
    StopButton = ToolButton("SpeedButton1", Glyph::Stop, bar);
    PauseButton = ToolButton("SpeedButton2", Glyph::Pause, bar);
    GoToEndButton = ToolButton("SpeedButton3", Glyph::GoToEnd, bar);
    for (QToolButton* button :
         {GoToBeginningButton, PlayButton, StopButton, PauseButton, GoToEndButton})
        row->addWidget(button);
    gap();
    RecordButton = ToolButton("SpeedButton16", Glyph::RecordOff, bar);
    row->addWidget(RecordButton);
    gap();
    RealTimeButton = ToolButton("SpeedButton15", Glyph::RealTime, bar);
    RealTimeButton->setCheckable(true);
    row->addWidget(RealTimeButton);
    gap();
    DrawToolButton = ToolButton("SpeedButton9", Glyph::Draw, bar);
    RubberToolButton = ToolButton("SpeedButton10", Glyph::Rubber, bar);
    DrawValueToolButton = ToolButton("SpeedButton14", Glyph::DrawValue, bar);
    SelectionToolButton = ToolButton("SpeedButton8", Glyph::SelectAll, bar);
    auto* tools = new QButtonGroup(bar);
    tools->setExclusive(true);
    int tag = 1;
    for (QToolButton* button : {DrawToolButton, RubberToolButton, DrawValueToolButton}) {
        button->setCheckable(true);
        tools->addButton(button, tag++);
        row->addWidget(button);
    }
    // The selection tool, tag 0: its drags select time ranges.
    SelectionToolButton->setCheckable(true);
    tools->addButton(SelectionToolButton, 0);
    row->addWidget(SelectionToolButton);
    ValuePickerButton = ToolButton("SpeedButton13", Glyph::ValueSelector, bar);
    row->addWidget(ValuePickerButton);
    DrawValueReadOut = ReadOut("StaticText2", bar);
    DrawValueReadOut->setFixedSize(40, 21);
    row->addWidget(DrawValueReadOut);
    gap();
    // Each zoom pair with its read-out.
    auto zoomGroup = [&](const char* in, Glyph inGlyph, const char* out, Glyph outGlyph,
                         const char* readOut, QToolButton*& inButton, QToolButton*& outButton,
                         QLabel*& label) {
        inButton = ToolButton(in, inGlyph, bar);
        outButton = ToolButton(out, outGlyph, bar);
        label = ReadOut(readOut, bar);
        label->setFixedSize(40, 21);
        row->addWidget(inButton);
        row->addWidget(outButton);
        row->addWidget(label);
    };
    zoomGroup("SpeedButton4", Glyph::HorizontalZoomIn, "SpeedButton7", Glyph::HorizontalZoomOut,
              "StaticText5", HorizontalZoomInButton, HorizontalZoomOutButton,
              HorizontalZoomReadOut);
    gap();
    zoomGroup("SpeedButton11", Glyph::VerticalZoomIn, "SpeedButton12", Glyph::VerticalZoomOut,
              "StaticText4", VerticalZoomInButton, VerticalZoomOutButton, VerticalZoomReadOut);
    gap();
    SnapButton = ToolButton("SnapButton", Glyph::Snap, bar);
    SnapButton->setCheckable(true);
    row->addWidget(SnapButton);
    row->addStretch(1);
}

QWidget* TForm1::BuildRulerPanel() {
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("RulerPanel"));
    panel->setFixedHeight(95);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    auto* left = new QWidget(panel);
    left->setObjectName(QStringLiteral("UpperLeftPanel"));
    left->setFixedWidth(LeftColumnWidth);
    auto* leftColumn = new QVBoxLayout(left);
    leftColumn->setContentsMargins(12, 8, 12, 8);
    leftColumn->setSpacing(8);
    SongFileReadOut = ReadOut("StaticText1", left);
    SongFileReadOut->setFixedHeight(17);
    SongFileReadOut->setTextFormat(Qt::PlainText);
    TimeDisplay = Caption("Label1", left);
    QFont bold = TimeDisplay->font();
    bold.setBold(true);
    TimeDisplay->setFont(bold);
    leftColumn->addWidget(SongFileReadOut);
    leftColumn->addWidget(TimeDisplay);
    leftColumn->addStretch(1);
    row->addWidget(left);
    row->addWidget(VerticalLine(panel));

    // The ruler and waveform strip, scrolled with the lanes.
    RulerArea = new RulerView(Loader->WavePeaks, Timeline, *Scroll, panel);
    RulerArea->setObjectName(QStringLiteral("ScrollBox2"));
    connect(RulerArea, &RulerView::MouseMoved, this, [this] { Tools->ResetPointerFeedback(); });
    row->addWidget(RulerArea, 1);
    return panel;
}

QWidget* TForm1::BuildTrackArea() {
    auto* area = new QWidget;
    area->setObjectName(QStringLiteral("TrackArea"));
    auto* row = new QHBoxLayout(area);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    // The header column scrolls only by following the lanes' vertical offset.
    Headers = new TrackHeaderColumn(Doc, Timeline, *Scroll, *TrackCmds, *Keyboard, *Tools,
                                    LeftColumnWidth, area);
    Headers->ApplyLanguage(Lang);
    row->addWidget(Headers);
    row->addWidget(VerticalLine(area));

    LanesArea = new LanesView(Doc, Timeline, *Scroll, area);
    LanesArea->setObjectName(QStringLiteral("ScrollBox1"));
    row->addWidget(LanesArea, 1);
    return area;
}

QWidget* TForm1::BuildStatusBar() {
    auto* bar = new QFrame;
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setFrameShape(QFrame::Panel);
    bar->setFrameShadow(QFrame::Sunken);
    bar->setFixedHeight(27);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 2, 2, 2);
    row->setSpacing(6);
    ValueCaption = Caption("Label10", bar);
    ValueReadOut = ReadOut("StaticText7", bar);
    ValueReadOut->setFixedWidth(65);
    ResolutionCaption = Caption("Label3", bar);
    ResolutionReadOut = ReadOut("StaticText3", bar);
    ResolutionReadOut->setFixedWidth(81);
    MidiCaption = Caption("Label8", bar);
    MidiCaption->setText(QStringLiteral("MIDI :"));
    SelectionReadOut = Caption("SelectionReadOut", bar);
    SelectionReadOut->setTextFormat(Qt::PlainText);
    SoundOutput = Caption("SoundOutput", bar);
    SoundOutput->setTextFormat(Qt::PlainText);
    // It gives way to the selection's times on a narrow window (its tool tip keeps the text).
    SoundOutput->setMinimumWidth(1);
    OutputOffset = Caption("OutputOffset", bar);
    OutputOffset->setTextFormat(Qt::PlainText);
    // The read-outs that follow the pointer or the commands never make the window wider: on a
    // narrow one they give way.
    PointerReadOut = Caption("PointerReadOut", bar);
    PointerReadOut->setTextFormat(Qt::PlainText);
    PointerReadOut->setMinimumWidth(1);
    // What a command just did (the file an export wrote); it gives way on a narrow window.
    NoticeReadOut = Caption("NoticeReadOut", bar);
    NoticeReadOut->setTextFormat(Qt::PlainText);
    NoticeReadOut->setMinimumWidth(1);
    MidiActivityLight = new QFrame(bar);
    MidiActivityLight->setObjectName(QStringLiteral("Shape1"));
    MidiActivityLight->setFixedSize(17, 9);
    MidiActivityLight->setFrameShape(QFrame::Box);
    MidiActivityLight->setAutoFillBackground(true);
    QPalette grey = MidiActivityLight->palette();
    grey.setColor(QPalette::Window, ToQColor(MidiActivityIdleColor));
    MidiActivityLight->setPalette(grey);
    LogoImage = new QLabel(bar);
    LogoImage->setObjectName(QStringLiteral("Image4"));
    LogoImage->setFixedWidth(79);
    LogoImage->setPixmap(LogoPixmap(QSize(72, 20), devicePixelRatio()));
    LogoImage->setAlignment(Qt::AlignCenter);
    row->addWidget(ValueCaption);
    row->addWidget(ValueReadOut);
    row->addSpacing(12);
    row->addWidget(ResolutionCaption);
    row->addWidget(ResolutionReadOut);
    row->addSpacing(12);
    row->addWidget(MidiCaption);
    row->addWidget(MidiActivityLight);
    row->addSpacing(12);
    row->addWidget(PointerReadOut);
    row->addSpacing(12);
    row->addWidget(SelectionReadOut);
    row->addSpacing(12);
    row->addWidget(OutputOffset);
    row->addWidget(NoticeReadOut, 1);
    row->addWidget(SoundOutput, 1);
    row->addWidget(LogoImage);
    return bar;
}

void TForm1::BuildTimers() {
    auto timer = [this](const char* name, int interval, bool singleShot) {
        auto* t = new QTimer(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setInterval(interval);
        t->setSingleShot(singleShot);
        return t;
    };
    CueBlinkTimer = timer("Timer2", 500, false);
}

void TForm1::UpdateZoomLabels() {
    HorizontalZoomReadOut->setText(QStringLiteral("x %1").arg(16 - Timeline.HorzZoom()));
    VerticalZoomReadOut->setText(QStringLiteral("x %1").arg(Timeline.VertZoom()));
    ResolutionReadOut->setText(QStringLiteral("%1 ms").arg(ResolutionMs(Doc.ResolutionIndex())));
}

} // namespace lumivox
