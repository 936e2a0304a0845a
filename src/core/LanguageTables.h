// The four-language text tables of the user interface and their lookup by table, entry and
// language.
#pragma once

#include <QLocale>
#include <QString>

#include <cstdint>

namespace lumivox {

enum class Language : std::uint8_t { French = 1, English = 2, Spanish = 3, German = 4 };

// The language of a program that never chose one.
inline constexpr Language DefaultLanguage = Language::English;

// The locale of a language, for dates and for Qt's own translations.
QLocale LocaleOf(Language language);

// Any byte outside 1..4 falls back to English, as the settings writer does.
Language LanguageFromNumber(int number);

enum class TextTable {
    FileMenu,          // 9 entries
    EditMenu,          // 13
    RS232Menu,         // 9
    LanguageMenu,      // 5
    HelpMenu,          // 2
    OptionsMenu,       // 3
    TypeOutputMenu,    // 4
    TrackMenu,         // 20
    StatusLabels,      // 3
    ToolBarHints,      // 16
    CommonTexts,       // 16
    Messages,          // 15
    ProjectProperties, // 10
    Mp3Import,         // 6
    ProjectFile,       // 8
    MidiMapDialog,     // 12
    DialogButtons,     // 2
    AboutBox,          // 4
    KeyNames,          // 12, the same in every language
    ControllerNames,   // 128, the same in every language
    Extra,             // texts of this editor beyond the original tables (see ExtraText)
    ViewText,          // the View menu (see ViewText)
    TrackEditing,      // the undo depth and the moving of tracks (see TrackEditingText)
    BlockText,         // the time-range selection, its block commands and play ranges
    BeatText,          // the beats, tempo and onsets found in the song (see BeatText)
    SnapText,          // snapping to beats and marks, the jumps and the beat operations
    MarksText,         // the show's marks: their menu, the ruler's and the marks file
    AudioOptions,      // the sound device and the output latency offset (see AudioOptionsText)
    DmxText,           // DMX output through OLA and the Outputs dialog (see DmxText)
    FileText,          // files that cannot be written, long shows, songs, exports (see FileText)
    ShellText,         // the window's guidance: shortcuts, the pointer's time, how to begin
    HistoryText,       // deleting locked tracks and the undo history's limits (see HistoryText)
};

// Number of entries one language holds in the table.
int EntryCount(TextTable table);

// Entry `entry` (1-based) of `table` in `language`. An entry outside the table yields an
// empty string.
QString Text(TextTable table, int entry, Language language);

// Entries of the common-text and message tables that several subsystems use.
namespace CommonText {
inline constexpr int NewProject = 1;
inline constexpr int TrackWord = 2;
inline constexpr int DeletingTracks = 3;
inline constexpr int ProcessingExport = 4;
inline constexpr int SortingExport = 5;
inline constexpr int All = 6;
inline constexpr int Lock = 7;
inline constexpr int Mute = 8;
inline constexpr int Solo = 9;
inline constexpr int ArmTrack = 10;
inline constexpr int TypeOutput = 11;
inline constexpr int ProcessingUndo = 12;
inline constexpr int ProcessingRedo = 13;
inline constexpr int ProcessingCut = 14;
inline constexpr int ProcessingPaste = 15;
inline constexpr int ProcessingResize = 16;
} // namespace CommonText

namespace MessageText {
inline constexpr int CannotAddTracks = 1;
inline constexpr int NoMp3Loaded = 2;
inline constexpr int Mp3DoesNotExist = 3;
inline constexpr int DeleteSelectedTracks = 4;
inline constexpr int NoTracksExist = 5;
inline constexpr int NoMoreEvents = 6;
inline constexpr int ComOpeningError = 7;
inline constexpr int ComClosingError = 8;
inline constexpr int ComWritingError = 9;
inline constexpr int Mp3MissingOrNotSelected = 10;
inline constexpr int SaveChanges = 11;
inline constexpr int AlreadyExistsReplace = 12;
inline constexpr int ProcessDoneTooManyEvents = 13;
inline constexpr int ProcessDone = 14;
inline constexpr int ReplaceMp3Warning = 15;
} // namespace MessageText

namespace ProjectFileText {
inline constexpr int SavingTracks = 1;
inline constexpr int VersionPrefix = 2;
inline constexpr int VersionNotCompatible = 3;
inline constexpr int UnknownVersion = 4;
inline constexpr int ImpossibleToLoadMp3 = 5;
inline constexpr int CreatingTracks = 6;
inline constexpr int Mp3FilePrefix = 7;
inline constexpr int Mp3RemovedSuffix = 8;
} // namespace ProjectFileText

namespace Mp3ImportText {
inline constexpr int ExtractingMp3 = 1;
inline constexpr int LoadingPeakFile = 2;
inline constexpr int IncompatibleFormat = 3;
inline constexpr int ExtractingAndSaving = 4;
inline constexpr int Finalizing = 5;
inline constexpr int ExtractingPeak = 6;
} // namespace Mp3ImportText

// Texts this editor shows beyond the original tables, in the same four languages. Use
// QString::arg for the %1.. placeholders.
namespace ExtraText {
inline constexpr int ProjectRefused = 1;     // %1 file, %2 line number, %3 reason
inline constexpr int NotANumber = 2;         // reason: a number was expected
inline constexpr int BadResolution = 3;      // reason: %1 the value found
inline constexpr int TooManyTracks = 4;      // reason: %1 the count found
inline constexpr int ValueCountMismatch = 5; // reason: %1 lines expected
inline constexpr int FileEndsEarly = 6;      // reason
inline constexpr int CannotReadFile = 7;     // %1 file, %2 system error
inline constexpr int CannotWriteFile = 8;    // %1 file, %2 system error
inline constexpr int BadCommentCount = 9;    // reason: %1 the count found
inline constexpr int MidiDeviceLost = 10;    // %1 device name
inline constexpr int SoundDeviceLost = 11;   // %1 device name
inline constexpr int SoundOutput = 12;       // status bar: %1 the output in use
inline constexpr int SilentClock = 13;       // status bar: no sound device
inline constexpr int LostSilentClock = 14;   // status bar: the sound device was lost
inline constexpr int JackServer = 15;        // the name of a JACK server as an output
inline constexpr int ValueCountFitted = 16;  // %1 file, %2 value lines found, %3 the song's
inline constexpr int RecoveryFound = 17;     // %1 project name, %2 when the copy was written
inline constexpr int RestoreButton = 18;
inline constexpr int DiscardButton = 19;
inline constexpr int AutosaveFailed = 20;   // %1 recovery copy, %2 system error
inline constexpr int RecentProjects = 21;   // File menu entry
inline constexpr int NoRecentProjects = 22; // the recent projects entry when empty
inline constexpr int AutosaveInterval = 23; // Options menu entry
inline constexpr int AutosavePrompt = 24;   // asks for the interval in seconds
inline constexpr int Count = 24;
} // namespace ExtraText

// Entries of the View menu's table.
namespace ViewText {
inline constexpr int ViewMenu = 1;        // the menu's title
inline constexpr int ZoomToFit = 2;       // the whole song in the view
inline constexpr int ZoomToSelection = 3; // the selected time range in the view
inline constexpr int Count = 3;
} // namespace ViewText
// Entries of TextTable::TrackEditing.
namespace TrackEditingText {
inline constexpr int UndoDepth = 1;       // Options menu entry
inline constexpr int UndoDepthPrompt = 2; // asks for the number of undo steps kept
inline constexpr int MoveUp = 3;          // track header menu entry
inline constexpr int MoveDown = 4;        // track header menu entry
inline constexpr int Count = 4;
} // namespace TrackEditingText
// The time-range selection, the commands on its block of values and the play ranges.
namespace BlockText {
inline constexpr int BlockMenu = 1; // Edit menu sub-menu
inline constexpr int Copy = 2;
inline constexpr int Cut = 3;
inline constexpr int Paste = 4;
inline constexpr int Clear = 5;
inline constexpr int Fill = 6;
inline constexpr int Ramp = 7;
inline constexpr int Invert = 8;
inline constexpr int Scale = 9;
inline constexpr int ShiftEarlier = 10;
inline constexpr int ShiftLater = 11;
inline constexpr int Repeat = 12;
inline constexpr int Chase = 13;
inline constexpr int Deselect = 14;
inline constexpr int PlayMenu = 15; // menu bar
inline constexpr int PlaySelection = 16;
inline constexpr int Loop = 17;
inline constexpr int PlayFromPointer = 18;
inline constexpr int SelectionStatus = 19; // %1 start, %2 end, %3 length
inline constexpr int FillPrompt = 20;
inline constexpr int RampFromPrompt = 21;
inline constexpr int RampToPrompt = 22;
inline constexpr int ScalePrompt = 23;     // %1 the largest percentage
inline constexpr int ShiftPrompt = 24;     // %1 the largest count
inline constexpr int RepeatPrompt = 25;    // %1 the largest count
inline constexpr int ChaseStepPrompt = 26; // %1 the largest step
inline constexpr int ChaseValuePrompt = 27;
inline constexpr int Count = 27;
} // namespace BlockText

namespace BeatText {
inline constexpr int FindingBeats = 1; // the import's second phase
inline constexpr int Count = 1;
} // namespace BeatText

// Snapping to the song's beats and the show's marks, the jumps from mark to mark and the
// block operations on beats.
namespace SnapText {
inline constexpr int Snap = 1;            // View menu entry, checkable
inline constexpr int SnapHint = 2;        // the tool button's hint
inline constexpr int PreviousMark = 3;    // Play menu entry
inline constexpr int NextMark = 4;        // Play menu entry
inline constexpr int FlashOnBeats = 5;    // Block menu entry
inline constexpr int ChaseOnBeats = 6;    // Block menu entry
inline constexpr int BeatSlotsPrompt = 7; // %1 the largest count
inline constexpr int NoBeats = 8;
inline constexpr int NoBeatsInSelection = 9;
inline constexpr int Count = 9;
} // namespace SnapText
namespace MarksText {
inline constexpr int Menu = 1;
inline constexpr int AddMark = 2;         // at the heard position while playing, else the cursor
inline constexpr int RenameMark = 3;      // the mark at the play cursor
inline constexpr int DeleteMark = 4;      // the mark at the play cursor
inline constexpr int AddMarkHere = 5;     // the ruler's menu over empty ruler
inline constexpr int Rename = 6;          // the ruler's menu over a flag
inline constexpr int Delete = 7;          // the ruler's menu over a flag
inline constexpr int NamePrompt = 8;      // %1 the mark's time
inline constexpr int FileRefused = 9;     // %1 file, %2 line number, %3 reason
inline constexpr int NotATime = 10;       // reason: a time in milliseconds was expected
inline constexpr int NegativeTime = 11;   // reason: the time is below zero
inline constexpr int FileUnreadable = 12; // %1 file, %2 system error
inline constexpr int Count = 12;
} // namespace MarksText

namespace AudioOptionsText {
inline constexpr int SoundDeviceMenu = 1;  // the Options submenu listing the devices
inline constexpr int AutomaticDevice = 2;  // its first entry
inline constexpr int NoDevice = 3;         // its last entry
inline constexpr int DeviceMissing = 4;    // status bar: %1 the device chosen, %2 what plays
inline constexpr int OutputOffsetMenu = 5; // the Options item
inline constexpr int OutputOffsetPrompt = 6;
inline constexpr int OutputOffsetStatus = 7; // status bar: %1 the signed offset in ms
inline constexpr int Count = 7;
} // namespace AudioOptionsText

namespace DmxText {
inline constexpr int OutputsItem = 1;  // the Options menu entry
inline constexpr int OutputsTitle = 2; // the dialog's caption
inline constexpr int DmxEnabled = 3;   // the check box
inline constexpr int Universe = 4;     // the universe's label
inline constexpr int Checking = 5;     // status: not known yet
inline constexpr int Reachable = 6;    // status: olad answers
inline constexpr int Unreachable = 7;  // status: olad does not answer
inline constexpr int Lost = 8;         // warning, %1 the universe
inline constexpr int RealTimeNote = 9; // the dialog's note on when DMX is sent
inline constexpr int Count = 9;
} // namespace DmxText

// Files written or read at the edges: why a write failed, shows longer than a file or the model
// can hold, songs that cannot be used, where the sequence file goes, and damaged companion files.
namespace FileText {
inline constexpr int NoSpace = 1; // reasons a file could not be written, told after its name
inline constexpr int QuotaFull = 2;
inline constexpr int NotAllowed = 3;
inline constexpr int ReadOnlyDisk = 4;
inline constexpr int DiskError = 5;
inline constexpr int NoFolder = 6;
inline constexpr int NameTooLong = 7;
inline constexpr int TooLarge = 8;
inline constexpr int ProjectNotSaved = 9;     // %1 project file, %2 reason
inline constexpr int SlotLimit = 10;          // %1 the time the sequence file stops at
inline constexpr int SongTooLong = 11;        // %1 song, %2 its length, %3 the longest a show holds
inline constexpr int SongUnusable = 12;       // %1 song, %2 project name
inline constexpr int ExportTo = 13;           // File menu entry
inline constexpr int ExportFolderLocked = 14; // %1 file, %2 reason
inline constexpr int SequenceFilter = 15;     // the file chooser's filter
inline constexpr int TrackCountDiffers = 16;  // %1 file, %2 count written, %3 blocks found
inline constexpr int MarksKept = 17;          // %1 file, %2 line, %3 reason, %4 file saved aside
inline constexpr int MarksPastEnd = 18;       // %1 count, %2 the song's length
inline constexpr int WrittenStatus = 19;      // status bar: %1 the file written
inline constexpr int PastEndMenu = 20;        // Marks submenu listing the marks past the end
inline constexpr int DeletePastEnd = 21;      // its entry deleting them
inline constexpr int Count = 21;
} // namespace FileText

// What the window tells a newcomer: the list of keyboard shortcuts, the time under the pointer
// and how to begin when no show is open.
namespace ShellText {
inline constexpr int ShortcutsItem = 1;  // Help menu entry
inline constexpr int ShortcutsTitle = 2; // the list's window
inline constexpr int KeysColumn = 3;
inline constexpr int CommandColumn = 4;
inline constexpr int PlayPause = 5; // keys that are no menu entry, described
inline constexpr int CursorEnds = 6;
inline constexpr int CursorStep = 7;
inline constexpr int GrowRange = 8;
inline constexpr int ShiftDrag = 9;
inline constexpr int CtrlDrag = 10;
inline constexpr int AltDrag = 11;
inline constexpr int CtrlWheel = 12;
inline constexpr int ShiftWheel = 13;
inline constexpr int PointerTime = 14; // status bar: %1 the time under the pointer
inline constexpr int EmptyHint = 15;   // the empty window's guidance
inline constexpr int Count = 15;
} // namespace ShellText

// Deleting tracks some of which are locked, and the Undo Levels dialog: how many steps and
// how much memory the history keeps, and what it holds now.
namespace HistoryText {
inline constexpr int DeleteKeepingLocked = 1; // question, %1 the locked tracks kept
inline constexpr int AllSelectedLocked = 2;   // refusal, %1 the locked tracks
inline constexpr int MoreTracks = 3;          // %1 the tracks named, %2 how many more
inline constexpr int UndoLevelsTitle = 4;     // the dialog's caption
inline constexpr int BudgetPrompt = 5;        // %1 the least, %2 the most megabytes
inline constexpr int HistoryHolds = 6;        // %1 steps, %2 megabytes held, %3 the budget
inline constexpr int HistoryHoldsOneStep = 7; // %1 megabytes held, %2 the budget
inline constexpr int BudgetNote = 8;          // what happens past the budget
inline constexpr int Count = 8;
} // namespace HistoryText

} // namespace lumivox
