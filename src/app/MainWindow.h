// TForm1, the main window: the composition root that owns the widgets and the logic
// classes, runs the start-up sequence and routes every command to its logic.
#pragma once

#include "app/CommandState.h"
#include "app/MainMenus.h"
#include "app/ProjectLifecycle.h"
#include "audio/MediaPlayer.h"
#include "audio/SongImport.h"
#include "audio/SongLoader.h"
#include "model/ShowDocument.h"
#include "persistence/ProjectFile.h"
#include "ui/LanguageTables.h"
#include "ui/ProjectProperties.h"
#include "ui/UserInterface.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <memory>

class QLabel;
class QFrame;
class QScrollArea;
class QTimer;
class QToolButton;
class QWidget;

namespace lumivox {

class TForm2;
class TOKBottomDlg;

// What a caller (the program, or a test) may replace when creating the window.
struct TForm1Options {
    IUserInterface* Ui = nullptr;                   // default: Qt dialogs
    IProjectPropertiesEditor* Properties = nullptr; // default: the Project Properties dialog
    bool HeadlessImport = false;                    // run song imports without their dialog
    bool SilentAudio = false;                       // play through the null output
    QString SettingsPath;                           // default: beside the program or per user
    QString StartProject;                           // opened at first activation if given
};

class TForm1 : public QMainWindow,
               public IProjectShell,
               public IProjectHost,
               public ISongLoaderHost {
    Q_OBJECT
public:
    explicit TForm1(const TForm1Options& options = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    ShowDocument& Document() { return Doc; }
    ProjectLifecycle& Lifecycle() { return *Life; }
    IMediaPlayer& Player() { return *MediaPlayer; }
    TMainMenus& Menus() { return *Menu; }
    Language CurrentLanguage() const { return Lang; }
    QString ComPortName() const { return PortName; }
    QString MidiInputName() const { return MidiName; }
    QString SettingsPath() const { return SettingsFile; }
    int DrawValue() const { return DrawValueSetting; }

    // Sets every caption, label and hint from the current language.
    void ApplyLanguage();
    // Enables the commands from the current state.
    void UpdateCommands() override;
    // Opens the start project, or the last one, the first time the window is activated.
    void FormActivate();
    void SetLanguage(Language language);

    // IProjectShell
    void StopTransport() override;
    void ShowWindowCaption(const QString& caption) override { setWindowTitle(caption); }
    void ResolutionChanged() override;
    void ClearSelection() override;
    void TracksRemoved() override;
    void RefreshOutputMenu() override;
    void SoloChanged() override;
    void ClearHistory() override;
    void TakeSnapshot() override;
    void ClearClipboard() override;
    void BeginBulkUpdate() override;
    void EndBulkUpdate() override;

    // IProjectHost (the project reader)
    void TrackAdded(TFullTrack& track) override;
    void ProjectNameChanged(const QString& name) override;

    // ISongLoaderHost (song loading)
    void ResetTimelineScroll() override;
    void ResetTransport() override;
    int ZoomDivisor() const override;
    void SetTimelineWidth(std::int64_t width) override;
    void ShowSongFile(const QString& path) override;

    SongLoader& Songs() { return *Loader; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildToolBar(QWidget* bar);
    QWidget* BuildRulerPanel();
    QWidget* BuildTrackArea();
    QWidget* BuildStatusBar();
    void BuildTimers();
    void ConnectCommands();
    void ReadSettingsAtStart();
    void CheckLanguageItem();
    void UpdateZoomLabels();
    void DisableSelectionCommands();
    void SetRealTimeMode(bool on);
    void ShowRecordGlyph();

    TForm1Options Options;
    Language Lang = Language::English;
    ShowDocument Doc;

    std::unique_ptr<IUserInterface> OwnUi;
    IUserInterface* Ui = nullptr;
    std::unique_ptr<IProjectPropertiesEditor> OwnProperties;
    IProjectPropertiesEditor* Properties = nullptr;
    std::unique_ptr<IMediaPlayer> MediaPlayer;
    TOKBottomDlg* ImportDialog = nullptr;
    std::unique_ptr<IImportRunner> Runner;
    std::unique_ptr<SongLoader> Loader;
    std::unique_ptr<ProjectFile> File;
    std::unique_ptr<ProjectLifecycle> Life;
    TForm2* AboutBox = nullptr;

    TMainMenus* Menu = nullptr;

    // Tool bar.
    QToolButton *SpeedButton5, *SpeedButton6, *SpeedButton1, *SpeedButton2, *SpeedButton3,
        *SpeedButton16, *SpeedButton15, *SpeedButton9, *SpeedButton10, *SpeedButton14,
        *SpeedButton8, *SpeedButton13, *SpeedButton4, *SpeedButton7, *SpeedButton11, *SpeedButton12;
    QLabel *StaticText2, *StaticText5, *StaticText4;
    // Ruler panel.
    QLabel *StaticText1, *Label1;
    QFrame* ScrollBox2;
    QWidget *Panel17, *Panel15;
    // Track area.
    QScrollArea *ScrollBox3, *ScrollBox1;
    QWidget *PaintBox4, *PaintBox3;
    // Status bar.
    QLabel *Label10, *StaticText7, *Label3, *StaticText3, *Label8;
    QFrame* Shape1;
    QLabel* Image4;
    // Timers.
    QTimer *DXTimer1, *Timer1, *Timer2, *Timer3;

    bool FirstActivation = true;
    QString PortName = QStringLiteral("COM1");
    QString MidiName;
    QString SettingsFile;
    int HorzZoom = 13;
    int VertZoom = 3;
    int DrawValueSetting = 255;
    int EditTool = 1;
    int AnchorTrack = -1;
    bool RealTimeMode = false;
    bool RecordMode = false;
    int BulkDepth = 0;
};

} // namespace lumivox
