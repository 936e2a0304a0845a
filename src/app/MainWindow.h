// TForm1, the main window: the composition root that owns the widgets and the logic
// classes, runs the start-up sequence and routes every command to its logic.
#pragma once

#include "app/KeepingController.h"
#include "app/MainMenus.h"
#include "app/MarksController.h"
#include "app/MidiController.h"
#include "app/OutputsController.h"
#include "app/SelectionController.h"
#include "app/TransportController.h"
#include "audio/decode/SongImport.h"
#include "audio/decode/SongLoader.h"
#include "audio/playback/AudioOutput.h"
#include "audio/playback/AudioPlayer.h"
#include "audio/playback/MediaPlayer.h"
#include "audio/playback/SoundDevices.h"
#include "core/LanguageTables.h"
#include "core/ProjectProperties.h"
#include "core/UserInterface.h"
#include "editing/BlockCommands.h"
#include "editing/CommandState.h"
#include "editing/EditingTools.h"
#include "editing/KeyboardControl.h"
#include "editing/ProjectLifecycle.h"
#include "editing/RangeSelection.h"
#include "editing/TimelineGeometry.h"
#include "editing/TrackClipboard.h"
#include "editing/TrackCommands.h"
#include "editing/UndoHistory.h"
#include "midi/MidiInputControl.h"
#include "midi/MidiMapping.h"
#include "model/ShowDocument.h"
#include "persistence/ProjectFile.h"
#include "show/Transport.h"
#include "timeline/LanesView.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QDialog;
class QDragEnterEvent;
class QDropEvent;
class QMimeData;
class QLabel;
class QFrame;
class QTimer;
class QToolButton;
class QWidget;

namespace lumivox {

class TForm6;
class OutputsController;
class RealTimeOutput;
class LiveShow;
class ShowClock;
class Preferences;
class TQtTranslations;
class Autosave;
class RulerView;
class TFrame2;
class TForm2;
class TOKBottomDlg;
class TimelineScroll;
class TrackHeaderColumn;
class TDmxOutput;
class TOutputsDialog;

// What a caller (the program, or a test) may replace when creating the window.
struct TForm1Options {
    IUserInterface* Ui = nullptr;                   // default: Qt dialogs
    IProjectPropertiesEditor* Properties = nullptr; // default: the Project Properties dialog
    bool HeadlessImport = false;                    // run song imports without their dialog
    bool SilentAudio = false;                       // play through the null output
    QString SettingsPath;                           // default: beside the program or per user
    QString StartProject;                           // opened at first activation if given
    QString StartPort;       // serial device used instead of the saved port, if given
    OutputClock NullClock;   // clock of the null output (silent audio); a test may drive it
    QString PreferencesPath; // default: preferences.ini in the per-user configuration folder
    QString RecoveryFolder;  // default: recovery/ in the per-user data folder
    quint16 OlaPort = 0;     // olad's RPC port for DMX output; 0: olad's default
    // The serial device paths listed in the port menu when it opens; default: the system's.
    std::function<QStringList()> SerialDevices;

    // Keeps the settings file, the preferences and the recovery copies in `folder` (a test's
    // or a benchmark's own), away from the user's.
    void KeepFilesIn(const QString& folder) {
        SettingsPath = folder + QStringLiteral("/LumivoxEditor.cfg");
        PreferencesPath = folder + QStringLiteral("/preferences.ini");
        RecoveryFolder = folder + QStringLiteral("/recovery");
    }
};

// A sound device as the Options menu and the status bar name it.
QString SoundDeviceLabel(const TSoundDevice& device, Language language);

class TForm1 : public QMainWindow,
               public IProjectShell,
               public ISongLoaderHost,
               public ITrackCommandHost,
               public IEditingToolHost,
               public IKeyboardHost,
               public IBlockHost,
               public IMarkHost {
    Q_OBJECT
public:
    explicit TForm1(const TForm1Options& options = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    ShowDocument& Document() { return Doc; }
    ProjectLifecycle& Lifecycle() { return *Life; }
    IMediaPlayer& Player() { return *MediaPlayer; }
    AudioPlayer& Audio() { return *MediaPlayer; }
    TMainMenus& Menus() { return *Menu; }
    Language CurrentLanguage() const { return Lang; }
    QString ComPortName() const;
    QString MidiInputName() const { return Midi->InputName(); }
    QString SettingsPath() const { return SettingsFile; }
    int DrawValue() const { return Tools->DrawValue(); }
    TimelineGeometry& Geometry() { return Timeline; }
    TrackCommands& Commands() { return *TrackCmds; }
    EditingTools& EditTools() { return *Tools; }
    KeyboardControl& Keys() { return *Keyboard; }
    UndoHistory& EditHistory() { return *History; }
    TrackClipboard& ClipboardOfTracks() { return *Clipboard; }
    RangeSelection& Selection() { return *Range; }
    BlockCommands& Blocks() { return *BlockCmds; }
    MarksController& Marks() { return *MarkSide; }
    LanesView& Lanes() { return *LanesArea; }
    TrackHeaderColumn& HeaderColumn() { return *Headers; }
    TimelineScroll& ViewScroll() { return *Scroll; }
    RulerView& Ruler() { return *RulerArea; }
    Transport& Motion() { return *TransportControl; }
    RealTimeOutput& LiveOutput() { return Outputs->Serial(); }
    TDmxOutput& Dmx() { return Outputs->Dmx(); }
    TOutputsDialog& OutputsDialog() { return Outputs->Dialog(); }
    OutputsController& LiveOutputs() { return *Outputs; }
    TMidiInput& MidiInput() { return Midi->Input(); }
    MidiInputControl& MidiInputs() { return Midi->Inputs(); }
    TMidiMapping& MidiMapping() { return Midi->Mapping(); }
    TForm6& MidiMapDialog() { return Midi->MapDialog(); }
    MidiController& MidiSide() { return *Midi; }
    ShowClock& Clock() { return *ShowTick; }
    // The show clock's tick is armed (Pause disables it).
    bool TickRunning() const;

    // Sets every caption, label and hint from the current language.
    void ApplyLanguage();
    // The command states as they follow the show, the history and the clipboard.
    CommandStateTracker& CommandStates() { return *States; }
    // Offers the recovery copies a crash left, then opens the start project, or the last one,
    // the first time the window is activated.
    void FormActivate();
    Preferences& Prefs() { return *Preference; }
    // Files dropped on the window: the first project among them opens (after the save
    // prompt) once the drop is over. False when none of them is a project.
    bool OpenDroppedFiles(const QMimeData* mime);
    Autosave& Recovery() { return Keeping->Recovery(); }
    void SetLanguage(Language language);

    // The Options sound device menu, listing the devices found now (each time it opens).
    void RebuildSoundDeviceMenu();
    // Keeps the choice and plays on it from the next Play or song opening.
    void ChooseSoundDevice(const TSoundDevice& device);
    const SoundDeviceChoice& SoundDevice() const { return DeviceChoice; }
    // Asks for the output latency offset, keeps it and applies it to the show clock.
    void AskOutputOffset();

    // IProjectShell
    void StopTransport() override;
    void ClearHistory() override;
    // Also IEditingToolHost's, IBlockHost's and IMarkHost's.
    void TakeSnapshot() override;
    void ClearClipboard() override;
    void ProjectFileUsed(const QString& path) override;
    void ChangesSettled() override;

    // ISongLoaderHost (song loading)
    void EndRecordMode() override;
    void ResetTimelineScroll() override;
    void ResetTransport() override;
    int ZoomDivisor() const override;
    void SetTimelineWidth(std::int64_t width) override;
    void ShowSongFile(const QString& path) override;

    SongLoader& Songs() { return *Loader; }

    // ITrackCommandHost (track commands)
    bool SongOpen() const override { return MediaPlayer->IsOpen(); }
    ICaptionEditor* CaptionEditor(int track) override;
    void PopupHeaderMenu(int track) override;
    void PopupTypeOutputMenu(int track, std::uint8_t trackType) override;

    // IEditingToolHost (editing tools)
    void ShowValueText(const QString& text) override;
    void ShowToolCursor(TToolCursor cursor) override;
    void PopupToolMenu() override;

    // IKeyboardHost (modifier keys and Space)
    bool SongPlaying() const override;
    void Play() override;
    void Pause() override;
    std::optional<TLaneHit> PointerInLanes() const override;
    void MovePlayCursor(TCursorMove move) override;

    // The show's slot length.
    int SlotMs() const;
    bool HasWaveform() const;

    // One level in or out, keeping in place the time under the pointer when it is over the
    // lanes or the ruler, else the play cursor when it is in view, else the left edge.
    void ZoomHorizontal(bool in);
    // The same around view x `anchorViewX` of the lanes (the ruler's x is the same).
    void ZoomHorizontalAt(bool in, int anchorViewX);
    // The whole song in the view.
    void ZoomToFit();
    // The selected time range across the view, at the finest level where it fits.
    void ZoomToSelection();
    // Taller or flatter rows, the track at the top of the view kept there.
    void ZoomVertical(bool in);

protected:
    bool event(QEvent* event) override;
    // The wheel over the timeline: Ctrl zooms at the pointer, Shift scrolls in time, and
    // the plain wheel over the header column scrolls the tracks as over the lanes.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildLayout();
    void BuildToolBar(QWidget* bar);
    QWidget* BuildRulerPanel();
    QWidget* BuildTrackArea();
    QWidget* BuildStatusBar();
    void BuildTimers();
    void ConnectCommands();
    // What the window shows of the show besides the views: the title, the output menu, the
    // timeline's scales after a change of resolution, a new track scrolled into view, and
    // the command states.
    void FollowDocument();
    void ApplyCommandStates(const TCommandStates& states);
    void RefreshOutputMenu();
    void ResolutionChanged();
    void ReadSettingsAtStart();
    void CheckLanguageItem();
    void UpdateZoomLabels();
    // Where a zoom without a pointer position keeps its time (see ZoomHorizontal).
    int ZoomAnchorX() const;
    // What follows a change of the horizontal scale: the waveform, labels and repaints.
    void HorizontalZoomChanged(bool levelChanged);
    // The status bar's sound output and the warning when the device was lost.
    void ShowSoundOutput();
    void WarnSoundDeviceLost();
    // The sound device menu and the output latency: read from the preferences at start,
    // kept there when changed.
    void BuildAudioOptions();
    void AddSoundDeviceItem(const TSoundDevice& device);
    void LabelSoundDeviceItems();
    void ShowOutputOffset();
    void ChooseTool(int tag);
    // The selection's and the blocks' command states, once the controller is there.
    void ApplyBlockStates();
    // The preferences and the controller that keeps shows; the window's place and size.
    void BuildFileExtras();
    void PlaceWindow();
    // DMX output through OLA: its choices from the preferences, the Outputs dialog, and its
    // following of real-time mode.
    // What the window tells the user besides the boxes: the time under the pointer, the file
    // an export wrote, how to begin when no show is open, and the keyboard shortcuts.
    void BuildNotices();
    void ApplyNoticeTexts();
    void ShowNotice(const QString& text);
    void ExportDone(TSequenceExport::Result result);
    void ShowShortcuts();

    TForm1Options Options;
    Language Lang = Language::English;
    ShowDocument Doc;

    std::unique_ptr<IUserInterface> OwnUi;
    IUserInterface* Ui = nullptr;
    std::unique_ptr<IProjectPropertiesEditor> OwnProperties;
    IProjectPropertiesEditor* Properties = nullptr;
    SoundDeviceChoice DeviceChoice;
    std::unique_ptr<AudioPlayer> MediaPlayer;
    TOKBottomDlg* ImportDialog = nullptr;
    std::unique_ptr<IImportRunner> Runner;
    std::unique_ptr<SongLoader> Loader;
    std::unique_ptr<ProjectFile> File;
    std::unique_ptr<ProjectLifecycle> Life;
    TForm2* AboutBox = nullptr;

    TMainMenus* Menu = nullptr;

    TimelineGeometry Timeline;
    TimelineScroll* Scroll = nullptr;
    std::unique_ptr<TrackCommands> TrackCmds;
    std::unique_ptr<EditingTools> Tools;
    std::unique_ptr<KeyboardControl> Keyboard;
    std::unique_ptr<UndoHistory> History;
    std::unique_ptr<TrackClipboard> Clipboard;
    RangeSelection* Range = nullptr;
    std::unique_ptr<BlockCommands> BlockCmds;
    CommandStateTracker* States = nullptr;
    TransportController* TransportSide = nullptr; // the transport and the views' paging
    Transport* TransportControl = nullptr;        // the controller's transport
    OutputsController* Outputs = nullptr;
    std::unique_ptr<Preferences> Preference;
    std::unique_ptr<TQtTranslations> QtTexts;
    LiveShow* Live = nullptr;
    ShowClock* ShowTick = nullptr; // the live show's clock
    MidiController* Midi = nullptr;
    MarksController* MarkSide = nullptr;          // marks and snapping
    SelectionController* SelectionSide = nullptr; // the time-range selection and its blocks
    KeepingController* Keeping = nullptr; // recent projects, autosave, recovery, undo limits
    std::vector<QAction*> SoundDeviceItems;

    // Tool bar.
    QToolButton *GoToBeginningButton, *PlayButton, *StopButton, *PauseButton, *GoToEndButton,
        *RecordButton, *RealTimeButton, *DrawToolButton, *RubberToolButton, *DrawValueToolButton,
        *SelectionToolButton, *ValuePickerButton, *HorizontalZoomInButton, *HorizontalZoomOutButton,
        *VerticalZoomInButton, *VerticalZoomOutButton, *SnapButton;
    QLabel *DrawValueReadOut, *HorizontalZoomReadOut, *VerticalZoomReadOut;
    // Ruler panel.
    QLabel *SongFileReadOut, *TimeDisplay;
    RulerView* RulerArea = nullptr; // ScrollBox2
    // Track area.
    TrackHeaderColumn* Headers = nullptr;
    LanesView* LanesArea = nullptr; // ScrollBox1
    // Status bar.
    QLabel *ValueCaption, *ValueReadOut, *ResolutionCaption, *ResolutionReadOut, *MidiCaption;
    QFrame* MidiActivityLight;
    QLabel* SoundOutput = nullptr;      // which sound output plays the song
    QLabel* OutputOffset = nullptr;     // the output latency offset, when it is not 0
    QLabel* SelectionReadOut = nullptr; // the time range selected
    QLabel* PointerReadOut = nullptr;   // the time under the pointer over the lanes
    QLabel* NoticeReadOut = nullptr;    // what a command just did, for a while
    QTimer* NoticeTimer = nullptr;
    QDialog* ShortcutsDialog = nullptr;
    QLabel* LogoImage;
    // Timers.
    QTimer* CueBlinkTimer;

    bool FirstActivation = true;
    QString SettingsFile;
    int WheelZoomRest = 0; // Ctrl+wheel angle not yet worth a zoom level (touchpads)
};

} // namespace lumivox
