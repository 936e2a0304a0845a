// The main window's menu bar and its four pop-up menus: every entry with its name, shortcut,
// tag and initial state, and the captions set from the language tables.
#pragma once

#include "app/NumberMenu.h"
#include "core/LanguageTables.h"

#include <QObject>

#include <array>

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class QWidget;

namespace lumivox {

class TMainMenus : public QObject {
    Q_OBJECT
public:
    // Builds the menu bar into `menuBar`; pop-up menus are parented to `window`.
    TMainMenus(QMenuBar* menuBar, QWidget* window);

    // Sets every caption from the tables in `language`.
    void ApplyTexts(Language language);

    // Adds a MIDI input device entry after "(None)"; its tag is id + 1.
    QAction* AddMidiDevice(const QString& name, int id);
    // Adds an output port entry after COM 6 for a serial device that is not one of them.
    QAction* AddSerialDevice(const QString& path);

    // File
    QMenu* File1;
    QAction *New2, *Property1, *Open1, *Save1, *SaveAs1, *CreateSeqFile1, *ReplaceMP3File1, *Exit1;
    QAction* ExportTo1;     // Export To: the sequence file where the user chooses
    QMenu* RecentProjects1; // filled by the window from the preferences
    // Edit
    QMenu* Edit1;
    QAction *Undo1, *Redo1, *New1, *Delete1, *Couper1, *Copier1, *Coller1, *SelectAll1;
    QMenu* EditorTools1;
    QAction *Drawmode1, *Rubbermode1, *Drawvaluemode1, *Selectionmode1;
    // View: the horizontal zoom of the timeline.
    QMenu* View1;
    QAction *HorizontalZoomIn1, *HorizontalZoomOut1, *ZoomToFit1, *ZoomToSelection1;
    // View > Snap (G): the pointer snaps to beats and marks; checkable.
    QAction* Snap1;
    // Edit > Block: the commands on the time-range selection (shared with PopupMenu5).
    QMenu* Block1;
    QAction *BlockCopy1, *BlockCut1, *BlockPaste1, *BlockClear1, *BlockFill1, *BlockRamp1,
        *BlockInvert1, *BlockScale1, *BlockShiftEarlier1, *BlockShiftLater1, *BlockRepeat1,
        *BlockChase1, *Deselect1;
    // Edit > Block: lights on the song's beats.
    QAction *BlockFlashBeats1, *BlockChaseBeats1;
    // Play ranges.
    QMenu* Play1;
    QAction *PlaySelection1, *Loop1, *PlayFromPointer1;
    // Play: the play cursor to the previous / next mark (Ctrl+Left / Ctrl+Right).
    QAction *PreviousMark1, *NextMark1;
    // Options
    QMenu* Options1;
    QMenu* Language1;
    QAction *English1, *French1, *Espaol1, *Deutsch1;
    QMenu* RS2321;
    QAction* RealTimeMode1;
    QMenu* OutputPortCOM1;
    std::array<QAction*, 6> ComPorts{}; // COM11 .. COM61, tags 1..6
    QActionGroup* PortGroup;
    QMenu* MIDIInput1;
    QAction* None1;
    QActionGroup* MidiGroup;
    QAction* AutosaveInterval1;
    QAction* UndoDepth1;
    // The sound device (entries rebuilt each time the submenu opens) and the output latency.
    QMenu* SoundDevice1;
    QActionGroup* SoundDeviceGroup;
    QAction* OutputLatency1;
    QAction* Outputs1; // the Outputs dialog: DMX through OLA
    // Help
    QMenu* Help1;
    QAction* About1;
    QAction* Shortcuts1; // the list of keyboard shortcuts

    // Editing tools pop-up.
    QMenu* PopupMenu1;
    QAction *Drawmode2, *Rubbermode2, *Drawvaluemode2, *Selectionmode2;
    // Type and output pop-up.
    QMenu* PopupMenu2;
    QMenu* Type1;
    QAction *Proportional1, *OnOff1;
    QActionGroup* TypeGroup;
    TNumberMenu* OutputMenu;
    // Track header pop-up.
    QMenu* PopupMenu3;
    QAction *Mute1, *Solo1, *Cut1, *Copy1, *Paste1, *Delete2, *Properties1, *MIDIMap1;
    QAction *MoveUp1, *MoveDown1; // also window shortcuts: Alt+Up and Alt+Down
    QMenu* Color1;
    std::array<QAction*, 11> Colors{}; // tags 1..11
    // Block pop-up: a right click inside the selection. Its Paste pastes at the click.
    QMenu* PopupMenu5;
    QAction* BlockPaste2;
    // Draw-value pop-up.
    QMenu* PopupMenu4;
    TNumberMenu* ValueMenu;
};

} // namespace lumivox
