// The main window's construction in start-up order, its layout, and the routing of commands
// to the logic classes.
#include "app/MainWindow.h"

#include "app/KeyPreview.h"
#include "app/MarksMenu.h"
#include "app/MidiController.h"
#include "app/OutputsController.h"
#include "app/TrackHeaderColumn.h"
#include "audio/playback/AudioPlayer.h"
#include "dialogs/AboutBox.h"
#include "dialogs/Glyphs.h"
#include "dialogs/ImportDialog.h"
#include "dialogs/MidiMapDialog.h"
#include "dialogs/OutputsDialog.h"
#include "dialogs/ProjectPropertiesDialog.h"
#include "dialogs/QtTranslations.h"
#include "dialogs/QtUserInterface.h"
#include "editing/TimelineScroll.h"
#include "persistence/Autosave.h"
#include "persistence/Preferences.h"
#include "persistence/SettingsFile.h"
#include "show/LiveShow.h"
#include "timeline/LanesView.h"
#include "timeline/RulerView.h"
#include "timeline/TrackHeader.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>
#include <QToolButton>

namespace lumivox {

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
    Doc.SetProjectName(Text(TextTable::CommonTexts, CommonText::NewProject, Language::English));
    AudioPlayer::Options audio{
        [this](long rate, IFrameSource& source) { return DeviceChoice.Open(rate, source); }, {}};
    audio.DeviceMissing = [this] { return DeviceChoice.Missing(); };
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
    File = std::make_unique<ProjectFile>(Doc, *Ui, *Loader, Lang);
    Life = std::make_unique<ProjectLifecycle>(Doc, *Ui, *Properties, *Loader, *MediaPlayer, *File,
                                              *this, Lang);

    Scroll = new TimelineScroll(this);
    TrackCmds = std::make_unique<TrackCommands>(Doc, *Ui, *this, Lang);
    Tools = std::make_unique<EditingTools>(Doc, *this, *Ui, Lang);
    Keyboard = std::make_unique<KeyboardControl>(*Tools, *this);
    History = std::make_unique<UndoHistory>(Doc, *Ui, *TrackCmds, Lang);
    Clipboard = std::make_unique<TrackClipboard>(Doc, *Ui, *TrackCmds, *History, Lang);
    Range = new RangeSelection(Doc, this);
    History->FollowSelection(*Range);
    BlockCmds = std::make_unique<BlockCommands>(Doc, *Range, *this, *Ui, Lang);
    States = new CommandStateTracker(
        Doc, [this] { return MediaPlayer->IsOpen(); }, this);
    States->Follow(History.get(), Clipboard.get());

    Menu = new TMainMenus(menuBar(), this);
    BuildLayout();
    BuildTimers();
    Live = new LiveShow(*MediaPlayer, Doc, this);
    ShowTick = &Live->Clock();
    TransportSide = new TransportController(
        {Doc, Lang, *MediaPlayer, *ShowTick, Timeline, *Scroll, [this] { History->TakeSnapshot(); },
         [this](int viewX) {
             MarkSide->LocateAt(viewX, MarkSide->Inverted(QGuiApplication::keyboardModifiers()));
         },
         [this](const TFullTrack& track, int slot, bool recording) {
             Midi->RecordLiveInput(track, slot, recording);
         },
         [this] { WarnSoundDeviceLost(); }},
        {*RulerArea, *LanesArea, *TimeDisplay, *GoToBeginningButton, *PlayButton, *StopButton,
         *PauseButton, *GoToEndButton, *RecordButton, *CueBlinkTimer},
        this);
    TransportControl = &TransportSide->Motion();
    Midi = new MidiController(Doc, *Ui, Lang, *Menu, *MidiActivityLight,
                              {[this] { TransportControl->Stop(); },
                               [this] { History->TakeSnapshot(); },
                               [this] { return TrackCmds->PopupTrack(); }},
                              this);
    ConnectCommands();
    BuildFileExtras();
    // After the preferences, which hold the snap setting.
    MarkSide =
        new MarksController({Doc, *Ui, Lang, *MediaPlayer, *Loader, Timeline, *Range, *BlockCmds,
                             *Keyboard, *TransportControl, TransportSide->Paging(), *Preference,
                             *this, [this] { return SlotMs(); }, [this] { return HasWaveform(); },
                             [this] { ApplyBlockStates(); }},
                            {*Menu, *SnapButton, *RulerArea, menuBar(), this}, this);
    SelectionSide =
        new SelectionController({Doc, Lang, *Range, *BlockCmds, *Clipboard, *Tools, *Keyboard,
                                 *TransportControl, Timeline, *Scroll, *MarkSide, *States,
                                 [this] { return SlotMs(); }, [this] { return HasWaveform(); }},
                                {*Menu, *LanesArea, *SelectionReadOut, *this}, this);
    BuildAudioOptions();
    Outputs = new OutputsController(*Live, *Menu, *RealTimeButton, *Preference, *Ui, Lang,
                                    {Options.SerialDevices, Options.OlaPort}, this);
    BuildNotices();
    FollowDocument();

    setWindowTitle(Life->WindowCaption());
    Timeline.ComputePixelScales(1);
    Tools->SetDrawValue(255);
    DrawValueReadOut->setText(QStringLiteral("255"));
    ChooseTool(1);
    // Commits open caption editors on any left press in the application.
    qApp->installEventFilter(
        new TCaptionCommitFilter([this] { TrackCmds->CommitOpenCaptionEditors(); }, this));
    // Key preview: the window sees every key before the focused control.
    new KeyPreview(*this, *Keyboard);

    ReadSettingsAtStart();
    QtTexts = std::make_unique<TQtTranslations>();
    ApplyLanguage();
    ApplyCommandStates(States->States());
    ShowTick->Enable(true);
    CueBlinkTimer->start();
    UpdateZoomLabels();

    PlaceWindow();
    // The chosen MIDI device opens last, when everything it feeds exists.
    Midi->Start();
}

TForm1::~TForm1() = default;

void TForm1::ConnectCommands() {
    TMainMenus& m = *Menu;
    connect(m.New2, &QAction::triggered, this, [this] { Life->NewProject(); });
    connect(m.Property1, &QAction::triggered, this, [this] { Life->ProjectProperties(); });
    connect(m.Open1, &QAction::triggered, this, [this] { Life->Open(); });
    connect(m.Save1, &QAction::triggered, this, [this] { Life->Save(); });
    connect(m.SaveAs1, &QAction::triggered, this, [this] { Life->SaveAs(); });
    connect(m.CreateSeqFile1, &QAction::triggered, this,
            [this] { ExportDone(Life->CreateSeqFile()); });
    connect(m.ExportTo1, &QAction::triggered, this, [this] { ExportDone(Life->ExportTo()); });
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

    // Editing tools: the tool bar group, the Edit menu and the lanes' pop-up choose alike.
    for (QAction* item : {m.Drawmode1, m.Rubbermode1, m.Drawvaluemode1, m.Selectionmode1,
                          m.Drawmode2, m.Rubbermode2, m.Drawvaluemode2, m.Selectionmode2})
        connect(item, &QAction::triggered, this,
                [this, item] { ChooseTool(item->data().toInt()); });
    int tool = 1;
    for (QToolButton* button : {DrawToolButton, RubberToolButton, DrawValueToolButton}) {
        connect(button, &QToolButton::clicked, this, [this, tool] { ChooseTool(tool); });
        ++tool;
    }
    connect(SelectionToolButton, &QToolButton::clicked, this, [this] { ChooseTool(0); });
    connect(ValuePickerButton, &QToolButton::clicked, this, [this] {
        Menu->PopupMenu4->popup(
            ValuePickerButton->mapToGlobal(QPoint(ValuePickerButton->width(), 0)));
    });
    connect(m.ValueMenu, &TNumberMenu::Picked, this, [this](int value, const QString& caption) {
        Tools->SetDrawValue(static_cast<std::uint8_t>(value));
        DrawValueReadOut->setText(caption);
    });

    // Track commands from the Edit menu, the header menu and the type/output menu.
    connect(m.New1, &QAction::triggered, this, [this] { TrackCmds->NewTrackCommand(); });
    for (QAction* item : {m.Delete1, m.Delete2})
        connect(item, &QAction::triggered, this, [this] { TrackCmds->DeleteSelectedTracks(); });
    connect(m.SelectAll1, &QAction::triggered, this, [this] { TrackCmds->SelectAll(); });
    connect(m.MoveUp1, &QAction::triggered, this, [this] { TrackCmds->MoveSelectedTracks(-1); });
    connect(m.MoveDown1, &QAction::triggered, this, [this] { TrackCmds->MoveSelectedTracks(1); });
    for (QAction* item : {m.Proportional1, m.OnOff1})
        connect(item, &QAction::triggered, this,
                [this, item] { TrackCmds->ChooseType(item->data().toInt()); });
    connect(m.OutputMenu, &TNumberMenu::Picked, this,
            [this](int output, const QString&) { TrackCmds->ChooseOutput(output); });
    for (QAction* item : m.Colors)
        connect(item, &QAction::triggered, this,
                [this, item] { TrackCmds->ChooseColor(item->data().toInt()); });

    // Undo and redo; the clipboard's entries are the selection controller's.
    connect(m.Undo1, &QAction::triggered, this, [this] { History->Undo(); });
    connect(m.Redo1, &QAction::triggered, this, [this] { History->Redo(); });

    // Zoom.
    connect(HorizontalZoomInButton, &QToolButton::clicked, this, [this] { ZoomHorizontal(true); });
    connect(HorizontalZoomOutButton, &QToolButton::clicked, this,
            [this] { ZoomHorizontal(false); });
    connect(VerticalZoomInButton, &QToolButton::clicked, this, [this] { ZoomVertical(true); });
    connect(VerticalZoomOutButton, &QToolButton::clicked, this, [this] { ZoomVertical(false); });
    connect(m.HorizontalZoomIn1, &QAction::triggered, this, [this] { ZoomHorizontal(true); });
    connect(m.HorizontalZoomOut1, &QAction::triggered, this, [this] { ZoomHorizontal(false); });
    connect(m.ZoomToFit1, &QAction::triggered, this, [this] { ZoomToFit(); });
    connect(m.ZoomToSelection1, &QAction::triggered, this, [this] { ZoomToSelection(); });
    // The wheel over the timeline's three areas.
    for (QWidget* area : {static_cast<QWidget*>(LanesArea->viewport()),
                          static_cast<QWidget*>(RulerArea), static_cast<QWidget*>(Headers)})
        area->installEventFilter(this);
}

void TForm1::ReadSettingsAtStart() {
    SettingsFile = Options.SettingsPath.isEmpty() ? SettingsFilePath() : Options.SettingsPath;
    TSettings current;
    current.language = Lang;
    current.ComPort = Outputs->PortName();
    current.LastProject = Doc.ProjectFileName;
    const TSettingsReadResult result = ReadSettings(SettingsFile, current, Midi->DeviceCaptions());
    Lang = result.Settings.language;
    Outputs->ChooseSavedPort(result.Settings.ComPort, result.ComPortItem, Options.StartPort);
    Doc.ProjectFileName = result.Settings.LastProject;
    CheckLanguageItem();
    Midi->ApplySavedName(result.Settings.MidiInputName);
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
    MarkSide->ApplyTexts(Lang);
    Keeping->ApplyTexts();
    Outputs->ApplyLanguage(Lang);
    if (ImportDialog)
        ImportDialog->ApplyLanguage(Lang);
    auto text = [this](TextTable table, int entry) { return Text(table, entry, Lang); };
    ValueCaption->setText(text(TextTable::StatusLabels, 2));
    ResolutionCaption->setText(text(TextTable::StatusLabels, 3));
    ShowSoundOutput();
    ShowOutputOffset();
    ApplyNoticeTexts();
    LabelSoundDeviceItems();
    const std::array<QToolButton*, 16> buttons = {GoToBeginningButton,
                                                  PlayButton,
                                                  StopButton,
                                                  PauseButton,
                                                  GoToEndButton,
                                                  RealTimeButton,
                                                  DrawToolButton,
                                                  RubberToolButton,
                                                  DrawValueToolButton,
                                                  ValuePickerButton,
                                                  SelectionToolButton,
                                                  HorizontalZoomInButton,
                                                  HorizontalZoomOutButton,
                                                  VerticalZoomInButton,
                                                  VerticalZoomOutButton,
                                                  RecordButton};
    for (std::size_t i = 0; i < buttons.size(); ++i)
        buttons[i]->setToolTip(text(TextTable::ToolBarHints, static_cast<int>(i) + 1));
    SnapButton->setToolTip(text(TextTable::SnapText, SnapText::SnapHint));
    // The time label keeps its time and takes the new prefix.
    TransportSide->ShowTime(MediaPlayer->IsOpen() ? MediaPlayer->PositionMs() : 0);
    if (SelectionSide)
        SelectionSide->ShowTimes();
    // The headers, their output word "All" among their texts.
    Headers->ApplyLanguage(Lang);
}

void TForm1::ApplyCommandStates(const TCommandStates& s) {
    TMainMenus& m = *Menu;
    m.New1->setEnabled(s.NewTrack);
    for (QAction* action :
         {m.Property1, m.Save1, m.SaveAs1, m.CreateSeqFile1, m.ExportTo1, m.ReplaceMP3File1})
        action->setEnabled(s.SongCommands);
    for (QToolButton* button :
         {GoToBeginningButton, PlayButton, StopButton, PauseButton, GoToEndButton, RecordButton})
        button->setEnabled(s.Transport);
    // The Edit menu's Cut, Copy and Delete Track act on the selection; the header menu's on
    // the track it was opened on.
    for (QAction* action : {m.Couper1, m.Copier1, m.Delete1})
        action->setEnabled(s.Selection);
    for (QAction* action : {m.Cut1, m.Copy1})
        action->setEnabled(s.CutCopy);
    m.Coller1->setEnabled(s.Paste);
    m.Paste1->setEnabled(s.Paste);
    m.Undo1->setEnabled(s.Undo);
    m.Redo1->setEnabled(s.Redo);
    ApplyBlockStates();
}

void TForm1::ApplyBlockStates() {
    if (SelectionSide)
        SelectionSide->ApplyStates();
}

QString TForm1::ComPortName() const {
    return Outputs->PortMenuName();
}

void TForm1::ShowSongFile(const QString& path) {
    SongFileReadOut->setText(QFileInfo(path).fileName());
    SongFileReadOut->setToolTip(path);
    // A song opened or closed: the commands that need one follow.
    States->Update();
}

void TForm1::EndRecordMode() {
    if (TransportControl->RecordMode())
        TransportControl->EndRecordMode();
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
    return TimeAxis::ZoomDivisor(Timeline.HorzZoom());
}

void TForm1::SetTimelineWidth(std::int64_t /*width*/) {
    // The views take the width from the peaks and the zoom level; the editable slots end
    // with the song as the player measured it.
    Timeline.SetSongLength(MediaPlayer->IsOpen() ? MediaPlayer->LengthMs() : 0);
    Timeline.SetPeakPairCount(static_cast<std::int64_t>(Loader->WavePeaks.size()));
    LanesArea->UpdateContentWidth();
    RulerArea->PeaksChanged();
}

void TForm1::FormActivate() {
    if (!FirstActivation)
        return;
    FirstActivation = false;
    if (Keeping->OfferRecovery())
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
    Keeping->Close();
    Preference->SetWindowGeometry(saveGeometry());
    ShowTick->Enable(false);
    Outputs->Close();
    Midi->Close();
    // The choices to remember are written whole or not at all; a failure is said, and the
    // files from before stay as they were.
    auto cannotWrite = [this](const QString& path, const TFileError& error) {
        Ui->Warning(Text(TextTable::Extra, ExtraText::CannotWriteFile, Lang)
                        .arg(QDir::toNativeSeparators(path), FileErrorText(error, Lang)));
    };
    if (const TFileError error = Preference->Sync())
        cannotWrite(Preference->Path(), error);
    TSettings settings;
    settings.language = Lang;
    settings.ComPort = Outputs->PortName();
    // Kept absolute, so a start from another folder (a desktop launcher) finds it.
    settings.LastProject = Doc.ProjectFileName.isEmpty()
                               ? QString()
                               : QFileInfo(Doc.ProjectFileName).absoluteFilePath();
    settings.MidiInputName = Midi->InputName();
    if (TFileError error; !WriteSettings(SettingsFile, settings, &error))
        cannotWrite(SettingsFile, error);
    e->accept();
}

// Shell operations.

void TForm1::StopTransport() {
    TransportControl->Stop();
}

void TForm1::ResolutionChanged() {
    Timeline.ComputePixelScales(Doc.ResolutionIndex());
    UpdateZoomLabels();
    LanesArea->UpdateContentWidth();
    RulerArea->RepaintAll();
    LanesArea->RepaintAll();
}

void TForm1::RefreshOutputMenu() {
    const std::array<bool, 256> used = TrackCmds->OutputsInUse();
    for (int n = 0; n <= 255; ++n)
        Menu->OutputMenu->Item(n)->setEnabled(!used[static_cast<std::size_t>(n)]);
}

void TForm1::ClearHistory() {
    History->ClearHistory();
}

void TForm1::TakeSnapshot() {
    History->TakeSnapshot();
}

void TForm1::ClearClipboard() {
    Clipboard->Clear();
}

void TForm1::FollowDocument() {
    connect(&Doc, &ShowDocument::ProjectChanged, this, [this](TProjectFields fields) {
        if (fields & TProjectField::Name)
            setWindowTitle(Life->WindowCaption());
        if (fields & TProjectField::Resolution)
            ResolutionChanged();
    });
    connect(&Doc, &ShowDocument::TrackChanged, this, [this](int, TTrackFields fields) {
        if (fields & TTrackField::Output)
            RefreshOutputMenu();
    });
    connect(&Doc, &ShowDocument::TracksAdded, this, [this](int, int last) {
        RefreshOutputMenu();
        // The new track comes into view at the bottom of the column; the lanes, connected
        // before, have taken its height already.
        Scroll->SetVerticalOffset(static_cast<std::int64_t>(last) * Timeline.LaneHeight());
    });
    connect(&Doc, &ShowDocument::TracksRemoved, this, [this] { RefreshOutputMenu(); });
    connect(&Doc, &ShowDocument::Reset, this, [this] {
        setWindowTitle(Life->WindowCaption());
        RefreshOutputMenu();
    });
    connect(States, &CommandStateTracker::StatesChanged, this, &TForm1::ApplyCommandStates);
}

} // namespace lumivox
