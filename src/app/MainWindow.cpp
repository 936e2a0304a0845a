// The main window's construction in start-up order, its layout, and the routing of commands
// to the logic classes.
#include "app/MainWindow.h"

#include "app/ShowClock.h"
#include "audio/AudioPlayer.h"
#include "dialogs/AboutBox.h"
#include "dialogs/Glyphs.h"
#include "dialogs/ImportDialog.h"
#include "dialogs/MidiMapDialog.h"
#include "dialogs/ProjectPropertiesDialog.h"
#include "dialogs/QtTranslations.h"
#include "dialogs/QtUserInterface.h"
#include "editing/TimelineScroll.h"
#include "output/RealTimeOutput.h"
#include "output/SerialLink.h"
#include "persistence/Autosave.h"
#include "persistence/Preferences.h"
#include "persistence/SettingsFile.h"
#include "timeline/LanesView.h"
#include "timeline/RulerView.h"
#include "timeline/TrackHeader.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QSerialPortInfo>
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

TForm1::TForm1(const TForm1Options& options, QWidget* parent)
    : QMainWindow(parent), Options(options) {
    setObjectName(QStringLiteral("Form1"));
    setWindowIcon(ApplicationIcon());

    // The user-interface seam and the dialogs behind it.
    if (Options.Ui) {
        Ui = Options.Ui;
    } else {
        OwnUi = std::make_unique<QtUserInterface>(this);
        Ui = OwnUi.get();
    }
    if (Options.Properties) {
        Properties = Options.Properties;
    } else {
        OwnProperties = std::make_unique<TForm3>(this);
        Properties = OwnProperties.get();
    }

    // Start-up: no anchor, selection commands off; an unsaved, unmodified English project.
    Doc.Project.Name = Text(TextTable::CommonTexts, CommonText::NewProject, Language::English);
    AudioPlayer::Options audio{OpenDeviceOutput, {}};
    if (Options.SilentAudio)
        audio = AudioPlayer::Options{{}, Options.NullClock};
    // The status bar is built later; until then there is nothing to show.
    audio.OutputChanged = [this] {
        if (SoundOutput)
            ShowSoundOutput();
    };
    MediaPlayer = std::make_unique<AudioPlayer>(std::move(audio));
    if (Options.HeadlessImport) {
        Runner = std::make_unique<HeadlessImportRunner>(*Ui);
    } else {
        ImportDialog = new TOKBottomDlg(this);
        Runner = std::make_unique<DialogImportRunner>(*ImportDialog);
    }
    Loader = std::make_unique<SongLoader>(Doc, *Ui, Lang, *MediaPlayer, *Runner, this);
    File = std::make_unique<ProjectFile>(Doc, *Ui, *Loader, this, Lang);
    Life = std::make_unique<ProjectLifecycle>(Doc, *Ui, *Properties, *Loader, *MediaPlayer, *File,
                                              *this, Lang);

    Scroll = new TimelineScroll(this);
    TrackCmds = std::make_unique<TrackCommands>(Doc, *Ui, *this, Lang);
    LaneGeometry = std::make_unique<TTimelineLaneGeometry>(Timeline, Doc, Loader->WavePeaks);
    Tools = std::make_unique<EditingTools>(Doc, *LaneGeometry, *this, *Ui, Lang);
    Keyboard = std::make_unique<KeyboardControl>(*Tools, *this);
    HistoryHost = std::make_unique<TrackCommandsHistoryHost>(*TrackCmds, *this);
    History = std::make_unique<UndoHistory>(Doc, *Ui, *HistoryHost, Lang);
    Clipboard = std::make_unique<TrackClipboard>(Doc, *Ui, *HistoryHost, *History, Lang);
    Doc.HeaderFactory = [this] { return MakeHeader(); };

    Menu = new TMainMenus(menuBar(), this);
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
    column->addWidget(BuildStatusBar());
    setCentralWidget(central);
    BuildTimers();
    Link = new SerialLink(Timer1, this);
    RealTime = new RealTimeOutput(*Link, *Ui, Lang, this);
    ShowTick = new ShowClock(*MediaPlayer, Doc, *RealTime, this);
    TransportControl = std::make_unique<Transport>(*MediaPlayer, *this, *ShowTick);
    BuildSerialPortEntries();
    BuildMidi();
    ConnectCommands();
    ConnectTransport();
    BuildFileExtras();

    ShowWindowCaption(Life->WindowCaption());
    DisableSelectionCommands();
    Menu->MIDIMap1->setEnabled(false);
    Timeline.ComputePixelScales(1);
    Tools->SetDrawValue(255);
    StaticText2->setText(QStringLiteral("255"));
    ChooseTool(1);
    // Commits open caption editors on any left press in the application.
    qApp->installEventFilter(
        new TCaptionCommitFilter([this] { TrackCmds->CommitOpenCaptionEditors(); }, this));
    // Key preview: the window sees every key before the focused control.
    qApp->installEventFilter(this);

    ReadSettingsAtStart();
    QtTexts = std::make_unique<TQtTranslations>();
    ApplyLanguage();
    UpdateCommands();
    ShowTick->Enable(true);
    Timer2->start();
    Timer3->start();
    UpdateZoomLabels();
    ShowRecordMode(false);

    PlaceWindow();
    // The chosen MIDI device opens last, when everything it feeds exists.
    MidiControl->OpenMidiInput();
}

TForm1::~TForm1() = default;

void TForm1::BuildToolBar(QWidget* bar) {
    bar->setFixedHeight(36);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(0);
    auto gap = [row] { row->addSpacing(8); };

    SpeedButton5 = ToolButton("SpeedButton5", Glyph::GoToBeginning, bar);
    SpeedButton6 = ToolButton("SpeedButton6", Glyph::Play, bar);
    SpeedButton1 = ToolButton("SpeedButton1", Glyph::Stop, bar);
    SpeedButton2 = ToolButton("SpeedButton2", Glyph::Pause, bar);
    SpeedButton3 = ToolButton("SpeedButton3", Glyph::GoToEnd, bar);
    for (QToolButton* button :
         {SpeedButton5, SpeedButton6, SpeedButton1, SpeedButton2, SpeedButton3})
        row->addWidget(button);
    gap();
    SpeedButton16 = ToolButton("SpeedButton16", Glyph::RecordOff, bar);
    row->addWidget(SpeedButton16);
    gap();
    SpeedButton15 = ToolButton("SpeedButton15", Glyph::RealTime, bar);
    SpeedButton15->setCheckable(true);
    row->addWidget(SpeedButton15);
    gap();
    SpeedButton9 = ToolButton("SpeedButton9", Glyph::Draw, bar);
    SpeedButton10 = ToolButton("SpeedButton10", Glyph::Rubber, bar);
    SpeedButton14 = ToolButton("SpeedButton14", Glyph::DrawValue, bar);
    SpeedButton8 = ToolButton("SpeedButton8", Glyph::Draw, bar);
    SpeedButton8->hide(); // the selection mode exists but is never offered
    auto* tools = new QButtonGroup(bar);
    tools->setExclusive(true);
    int tag = 1;
    for (QToolButton* button : {SpeedButton9, SpeedButton10, SpeedButton14}) {
        button->setCheckable(true);
        tools->addButton(button, tag++);
        row->addWidget(button);
    }
    SpeedButton8->setCheckable(true);
    SpeedButton13 = ToolButton("SpeedButton13", Glyph::ValueSelector, bar);
    row->addWidget(SpeedButton13);
    StaticText2 = ReadOut("StaticText2", bar);
    StaticText2->setFixedSize(40, 21);
    row->addWidget(StaticText2);
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
              "StaticText5", SpeedButton4, SpeedButton7, StaticText5);
    gap();
    zoomGroup("SpeedButton11", Glyph::VerticalZoomIn, "SpeedButton12", Glyph::VerticalZoomOut,
              "StaticText4", SpeedButton11, SpeedButton12, StaticText4);
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
    left->setFixedWidth(LeftColumnWidth);
    auto* leftColumn = new QVBoxLayout(left);
    leftColumn->setContentsMargins(12, 8, 12, 8);
    leftColumn->setSpacing(8);
    StaticText1 = ReadOut("StaticText1", left);
    StaticText1->setFixedHeight(17);
    StaticText1->setTextFormat(Qt::PlainText);
    Label1 = Caption("Label1", left);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    leftColumn->addWidget(StaticText1);
    leftColumn->addWidget(Label1);
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
    ScrollBox3 = new QWidget(area);
    ScrollBox3->setObjectName(QStringLiteral("ScrollBox3"));
    ScrollBox3->setFixedWidth(LeftColumnWidth);
    PaintBox4 = new QWidget(ScrollBox3);
    PaintBox4->setObjectName(QStringLiteral("PaintBox4"));
    PaintBox4->setGeometry(0, 0, LeftColumnWidth, 0);
    row->addWidget(ScrollBox3);
    row->addWidget(VerticalLine(area));

    LanesArea = new LanesView(Doc, Loader->WavePeaks, Timeline, *Scroll, area);
    LanesArea->setObjectName(QStringLiteral("ScrollBox1"));
    connect(LanesArea, &LanesView::MousePressed, this, [this](const TLanesHit& hit) {
        Tools->MouseDown(hit.Button, hit.ContentX, hit.ContentY, Keyboard->ModifierKey());
    });
    connect(LanesArea, &LanesView::MouseMoved, this, [this](const TLanesHit& hit) {
        Tools->MouseMove(hit.ContentX, hit.ContentY, Keyboard->ModifierKey());
    });
    connect(LanesArea, &LanesView::MouseReleased, this, [this] { Tools->MouseUp(); });
    connect(Scroll, &TimelineScroll::VerticalOffsetChanged, this,
            [this](std::int64_t offset) { FollowVerticalOffset(offset); });
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
    Label10 = Caption("Label10", bar);
    StaticText7 = ReadOut("StaticText7", bar);
    StaticText7->setFixedWidth(65);
    Label3 = Caption("Label3", bar);
    StaticText3 = ReadOut("StaticText3", bar);
    StaticText3->setFixedWidth(81);
    Label8 = Caption("Label8", bar);
    Label8->setText(QStringLiteral("MIDI :"));
    SoundOutput = Caption("SoundOutput", bar);
    SoundOutput->setTextFormat(Qt::PlainText);
    Shape1 = new QFrame(bar);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFixedSize(17, 9);
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setAutoFillBackground(true);
    QPalette grey = Shape1->palette();
    grey.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    Shape1->setPalette(grey);
    Image4 = new QLabel(bar);
    Image4->setObjectName(QStringLiteral("Image4"));
    Image4->setFixedWidth(79);
    Image4->setPixmap(LogoPixmap(QSize(72, 20), devicePixelRatio()));
    Image4->setAlignment(Qt::AlignCenter);
    row->addWidget(Label10);
    row->addWidget(StaticText7);
    row->addSpacing(12);
    row->addWidget(Label3);
    row->addWidget(StaticText3);
    row->addSpacing(12);
    row->addWidget(Label8);
    row->addWidget(Shape1);
    row->addSpacing(12);
    row->addWidget(SoundOutput, 1);
    row->addWidget(Image4);
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
    Timer1 = timer("Timer1", 1000, true);
    Timer2 = timer("Timer2", 500, false);
    Timer3 = timer("Timer3", 200, false);
    // A modifier held while another application took the keyboard is never seen released.
    // The show clock goes on whatever window is in front.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive)
                    Keyboard->ReleaseModifier();
            });
    connect(Timer3, &QTimer::timeout, this, [this] {
        QPalette grey = Shape1->palette();
        grey.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
        Shape1->setPalette(grey);
    });
}

void TForm1::ConnectCommands() {
    TMainMenus& m = *Menu;
    connect(m.New2, &QAction::triggered, this, [this] { Life->NewProject(); });
    connect(m.Property1, &QAction::triggered, this, [this] { Life->ProjectProperties(); });
    connect(m.Open1, &QAction::triggered, this, [this] { Life->Open(); });
    connect(m.Save1, &QAction::triggered, this, [this] { Life->Save(); });
    connect(m.SaveAs1, &QAction::triggered, this, [this] { Life->SaveAs(); });
    connect(m.CreateSeqFile1, &QAction::triggered, this, [this] { Life->CreateSeqFile(); });
    connect(m.ReplaceMP3File1, &QAction::triggered, this, [this] { Life->ReplaceMp3File(); });
    connect(m.Exit1, &QAction::triggered, this, &QWidget::close);
    connect(m.About1, &QAction::triggered, this, [this] {
        if (!AboutBox)
            AboutBox = new TForm2([this] { return Lang; }, this);
        AboutBox->exec();
    });

    connect(m.English1, &QAction::triggered, this, [this] { SetLanguage(Language::English); });
    connect(m.French1, &QAction::triggered, this, [this] { SetLanguage(Language::French); });
    connect(m.Espaol1, &QAction::triggered, this, [this] { SetLanguage(Language::Spanish); });
    connect(m.Deutsch1, &QAction::triggered, this, [this] { SetLanguage(Language::German); });

    for (QAction* port : m.ComPorts)
        connect(port, &QAction::triggered, this,
                [this, port] { ChoosePort(QStringLiteral("COM%1").arg(port->data().toInt())); });
    connect(m.RealTimeMode1, &QAction::triggered, this, [this] { RealTime->ToggleMode(); });
    connect(SpeedButton15, &QToolButton::clicked, this, [this] { RealTime->ToggleMode(); });
    connect(RealTime, &RealTimeOutput::ModeChanged, this, &TForm1::ShowRealTimeMode);
    connect(m.None1, &QAction::triggered, this,
            [this] { MidiControl->MenuMidiInputSelectClick(0); });
    connect(m.MIDIMap1, &QAction::triggered, this,
            [this] { Midi->MIDIMap1Click(TrackCmds->PopupTrack(), *Form6); });

    // Editing tools: the tool bar group, the Edit menu and the lanes' pop-up choose alike.
    for (QAction* item : {m.Drawmode1, m.Rubbermode1, m.Drawvaluemode1, m.Drawmode2, m.Rubbermode2,
                          m.Drawvaluemode2})
        connect(item, &QAction::triggered, this,
                [this, item] { ChooseTool(item->data().toInt()); });
    int tool = 1;
    for (QToolButton* button : {SpeedButton9, SpeedButton10, SpeedButton14}) {
        connect(button, &QToolButton::clicked, this, [this, tool] { ChooseTool(tool); });
        ++tool;
    }
    connect(SpeedButton13, &QToolButton::clicked, this, [this] {
        Menu->PopupMenu4->popup(SpeedButton13->mapToGlobal(QPoint(SpeedButton13->width(), 0)));
    });
    connect(m.ValueMenu, &TNumberMenu::Picked, this, [this](int value, const QString& caption) {
        Tools->SetDrawValue(static_cast<std::uint8_t>(value));
        StaticText2->setText(caption);
    });

    // Track commands from the Edit menu, the header menu and the type/output menu.
    connect(m.New1, &QAction::triggered, this, [this] { TrackCmds->NewTrackCommand(); });
    for (QAction* item : {m.Delete1, m.Delete2})
        connect(item, &QAction::triggered, this, [this] { TrackCmds->DeleteSelectedTracks(); });
    connect(m.SelectAll1, &QAction::triggered, this, [this] { TrackCmds->SelectAll(); });
    for (QAction* item : {m.Proportional1, m.OnOff1})
        connect(item, &QAction::triggered, this,
                [this, item] { TrackCmds->ChooseType(item->data().toInt()); });
    connect(m.OutputMenu, &TNumberMenu::Picked, this,
            [this](int output, const QString&) { TrackCmds->ChooseOutput(output); });
    for (QAction* item : m.Colors)
        connect(item, &QAction::triggered, this,
                [this, item] { TrackCmds->ChooseColor(item->data().toInt()); });

    // Undo, redo and the track clipboard, from the Edit menu and the header menu alike.
    connect(m.Undo1, &QAction::triggered, this, [this] { History->Undo(); });
    connect(m.Redo1, &QAction::triggered, this, [this] { History->Redo(); });
    for (QAction* item : {m.Couper1, m.Cut1})
        connect(item, &QAction::triggered, this, [this] { Clipboard->CutSelection(); });
    for (QAction* item : {m.Copier1, m.Copy1})
        connect(item, &QAction::triggered, this, [this] {
            Clipboard->CopySelection();
            UpdateCommands();
        });
    for (QAction* item : {m.Coller1, m.Paste1})
        connect(item, &QAction::triggered, this, [this] { Clipboard->PasteClipboard(); });

    // Zoom.
    connect(SpeedButton4, &QToolButton::clicked, this, [this] { ZoomHorizontal(true); });
    connect(SpeedButton7, &QToolButton::clicked, this, [this] { ZoomHorizontal(false); });
    connect(SpeedButton11, &QToolButton::clicked, this, [this] { ZoomVertical(true); });
    connect(SpeedButton12, &QToolButton::clicked, this, [this] { ZoomVertical(false); });
}

void TForm1::ReadSettingsAtStart() {
    SettingsFile = Options.SettingsPath.isEmpty() ? SettingsFilePath() : Options.SettingsPath;
    TSettings current;
    current.language = Lang;
    current.ComPort = RealTime->PortName();
    current.LastProject = Doc.ProjectFileName;
    const TSettingsReadResult result =
        ReadSettings(SettingsFile, current, MidiControl->DeviceCaptions());
    Lang = result.Settings.language;
    RealTime->ChoosePort(result.Settings.ComPort);
    Doc.ProjectFileName = result.Settings.LastProject;
    CheckLanguageItem();
    if (result.ComPortItem >= 1 && result.ComPortItem <= 6)
        Menu->ComPorts[static_cast<std::size_t>(result.ComPortItem - 1)]->setChecked(true);
    else if (!result.Settings.ComPort.startsWith(QLatin1String("COM")))
        SelectDevicePort(result.Settings.ComPort);
    if (!Options.StartPort.isEmpty())
        SelectDevicePort(Options.StartPort);
    MidiControl->ApplySavedName(result.Settings.MidiInputName);
}

void TForm1::CheckLanguageItem() {
    switch (Lang) {
    case Language::French:
        Menu->French1->setChecked(true);
        break;
    case Language::Spanish:
        Menu->Espaol1->setChecked(true);
        break;
    case Language::German:
        Menu->Deutsch1->setChecked(true);
        break;
    case Language::English:
        Menu->English1->setChecked(true);
        break;
    }
}

void TForm1::SetLanguage(Language language) {
    Lang = language;
    CheckLanguageItem();
    ApplyLanguage();
}

void TForm1::ApplyLanguage() {
    QtTexts->Apply(Lang);
    Menu->ApplyTexts(Lang);
    auto text = [this](TextTable table, int entry) { return Text(table, entry, Lang); };
    Label10->setText(text(TextTable::StatusLabels, 2));
    Label3->setText(text(TextTable::StatusLabels, 3));
    ShowSoundOutput();
    const std::array<QToolButton*, 16> buttons = {
        SpeedButton5, SpeedButton6,  SpeedButton1,  SpeedButton2,  SpeedButton3, SpeedButton15,
        SpeedButton9, SpeedButton10, SpeedButton14, SpeedButton13, SpeedButton8, SpeedButton4,
        SpeedButton7, SpeedButton11, SpeedButton12, SpeedButton16};
    for (std::size_t i = 0; i < buttons.size(); ++i)
        buttons[i]->setToolTip(text(TextTable::ToolBarHints, static_cast<int>(i) + 1));
    // The time label keeps its time and takes the new prefix.
    ShowTime(MediaPlayer->IsOpen() ? MediaPlayer->PositionMs() : 0);
    const QString all = text(TextTable::CommonTexts, CommonText::All);
    for (auto& track : Doc.Tracks) {
        if (track->Output == 0)
            track->SetOutputText(all);
        if (auto* frame = dynamic_cast<TFrame2*>(track->Header.get()))
            frame->ApplyLanguage(Lang);
    }
}

void TForm1::UpdateCommands() {
    TCommandInputs in;
    in.SongOpen = MediaPlayer->IsOpen();
    in.TrackCount = Doc.TrackCount();
    in.ClipboardCount = Clipboard->Count();
    in.HistoryCount = History->Count();
    in.HistoryCurrent = History->CurrentIndex();
    const TCommandStates s = ComputeCommandStates(in);
    TMainMenus& m = *Menu;
    m.New1->setEnabled(s.NewTrack);
    m.Delete1->setEnabled(s.DeleteTrack);
    for (QAction* action : {m.Property1, m.Save1, m.SaveAs1, m.CreateSeqFile1, m.ReplaceMP3File1})
        action->setEnabled(s.SongCommands);
    for (QToolButton* button :
         {SpeedButton5, SpeedButton6, SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton16})
        button->setEnabled(s.Transport);
    for (QAction* action : {m.Couper1, m.Copier1, m.Cut1, m.Copy1})
        action->setEnabled(s.CutCopy);
    m.Coller1->setEnabled(s.Paste);
    m.Paste1->setEnabled(s.Paste);
    m.Undo1->setEnabled(s.Undo);
    m.Redo1->setEnabled(s.Redo);
}

void TForm1::UpdateZoomLabels() {
    StaticText5->setText(QStringLiteral("x %1").arg(16 - Timeline.HorzZoom()));
    StaticText4->setText(QStringLiteral("x %1").arg(Timeline.VertZoom()));
    StaticText3->setText(QStringLiteral("%1 ms").arg(ResolutionMs(Doc.ResolutionIndex)));
}

void TForm1::ShowSongFile(const QString& path) {
    StaticText1->setText(QFileInfo(path).fileName());
    StaticText1->setToolTip(path);
}

void TForm1::ResetTimelineScroll() {
    Scroll->Reset();
    RulerArea->PeaksChanged();
}

void TForm1::ResetTransport() {
    TransportControl->Reset();
    TransportControl->PositionUpdate();
}

int TForm1::ZoomDivisor() const {
    return TimelineGeometry::ZoomDivisor(Timeline.HorzZoom());
}

void TForm1::SetTimelineWidth(std::int64_t /*width*/) {
    // The views take the width from the peaks and the zoom level.
    LanesArea->UpdateContentWidth();
    RulerArea->PeaksChanged();
}

void TForm1::ShowRealTimeMode(bool on) {
    SpeedButton15->setChecked(on);
    Menu->RealTimeMode1->setChecked(on);
}

QString TForm1::ComPortName() const {
    return RealTime->PortName();
}

void TForm1::ChoosePort(const QString& portName) {
    RealTime->ChoosePort(portName);
}

void TForm1::SelectDevicePort(const QString& path) {
    // A device path (an adapter or the simulated unit's pseudo-terminal) gets an entry of its
    // own when the system did not list it, so the menu always shows the port in use.
    QAction* entry = nullptr;
    const QList<QAction*> items = Menu->PortGroup->actions();
    for (QAction* item : items)
        if (item->data().toString() == path)
            entry = item;
    if (!entry) {
        entry = Menu->AddSerialDevice(path);
        connect(entry, &QAction::triggered, this, [this, path] { ChoosePort(path); });
    }
    entry->setChecked(true);
    ChoosePort(path);
}

void TForm1::BuildSerialPortEntries() {
    // Serial devices the system reports beyond COM 1 to COM 6 (USB adapters), by path.
    QStringList paths;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& port : ports) {
        const QString path = port.systemLocation();
        bool isComPort = false;
        for (int n = 1; n <= 6; ++n)
            isComPort = isComPort || path == SerialLink::DevicePath(QStringLiteral("COM%1").arg(n));
        if (!isComPort && !paths.contains(path))
            paths << path;
    }
    paths.sort();
    for (const QString& path : paths) {
        QAction* entry = Menu->AddSerialDevice(path);
        connect(entry, &QAction::triggered, this, [this, path] { ChoosePort(path); });
    }
}

void TForm1::FormActivate() {
    if (!FirstActivation)
        return;
    FirstActivation = false;
    if (OfferRecovery())
        return;
    if (!Options.StartProject.isEmpty())
        Life->OpenProjectByName(Options.StartProject);
    else if (!Doc.ProjectFileName.isEmpty() && QFileInfo::exists(Doc.ProjectFileName))
        Life->OpenProjectByName(Doc.ProjectFileName);
}

void TForm1::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    // Without a window manager the window may never be activated; being shown counts as
    // the first activation then.
    if (FirstActivation)
        QTimer::singleShot(0, this, [this] { FormActivate(); });
}

bool TForm1::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && FirstActivation) {
        // Opening waits until the window is on screen and its activation is done.
        QTimer::singleShot(0, this, [this] { FormActivate(); });
    }
    return QMainWindow::event(e);
}

void TForm1::closeEvent(QCloseEvent* e) {
    if (!Life->PrepareClose()) {
        // The show was to be saved and was not: closing now would lose it.
        e->ignore();
        return;
    }
    // Saved, or its changes given up: no recovery copy is wanted.
    Saver->Stop();
    Saver->WaitForWrites(5000);
    Saver->Discard();
    Preference->SetWindowGeometry(saveGeometry());
    Preference->Sync();
    ShowTick->Enable(false);
    RealTime->ClosePort();
    MidiControl->CloseMidiInput();
    TSettings settings;
    settings.language = Lang;
    settings.ComPort = RealTime->PortName();
    settings.LastProject = Doc.ProjectFileName;
    settings.MidiInputName = MidiControl->MidiInputName();
    WriteSettings(SettingsFile, settings);
    e->accept();
}

// Shell operations.

void TForm1::StopTransport() {
    TransportControl->Stop();
}

void TForm1::ResolutionChanged() {
    Timeline.ComputePixelScales(Doc.ResolutionIndex);
    UpdateZoomLabels();
    LanesArea->UpdateContentWidth();
    RulerArea->RepaintAll();
    LanesArea->RepaintAll();
}

void TForm1::ClearSelection() {
    TrackCmds->ClearSelection();
}

void TForm1::TracksRemoved() {
    LayoutHeaders();
    UpdateLanesHeight();
}

void TForm1::RefreshOutputMenu() {
    const std::array<bool, 256> used = TrackCmds->OutputsInUse();
    for (int n = 0; n <= 255; ++n)
        Menu->OutputMenu->Item(n)->setEnabled(!used[static_cast<std::size_t>(n)]);
}

void TForm1::SoloChanged() {
    LanesArea->RepaintAll();
}
void TForm1::ClearHistory() {
    History->ClearHistory();
    UpdateCommands();
}

void TForm1::TakeSnapshot() {
    History->TakeSnapshot();
    UpdateCommands();
}

void TForm1::ClearClipboard() {
    Clipboard->Clear();
    UpdateCommands();
}

void TForm1::BeginBulkUpdate() {
    if (BulkDepth++ == 0) {
        LanesArea->BeginBulkUpdate();
        ScrollBox3->hide();
    }
}

void TForm1::EndBulkUpdate() {
    if (BulkDepth == 0 || --BulkDepth > 0)
        return;
    ScrollBox3->show();
    LayoutHeaders();
    LanesArea->EndBulkUpdate();
    // After every rebuild the editor is back at its top-left corner.
    Scroll->Reset();
}

void TForm1::TrackAdded(TFullTrack& track) {
    TrackCmds->TrackAdded(track);
}

void TForm1::ProjectNameChanged(const QString& name) {
    setWindowTitle(QString::fromLatin1(WindowCaptionPrefix) + name);
}

} // namespace lumivox
