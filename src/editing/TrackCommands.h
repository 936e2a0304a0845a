// The track commands: New Track, Delete Track, Select All, presses on track headers with the
// selection and anchor rules, caption editing, Lock, Mute and Solo, the type, output and
// colour of a track. Widget-free: it changes the show, which announces every change to the
// views; it talks to the user through IUserInterface, asks the window through
// ITrackCommandHost and edits captions in the header's ICaptionEditor.
#pragma once

#include "core/LanguageTables.h"
#include "core/UserInterface.h"
#include "editing/KeyboardControl.h"
#include "model/ShowDocument.h"

#include <QString>
#include <Qt>

#include <array>
#include <cstdint>
#include <vector>

namespace lumivox {

// The in-place caption editor of a track's header; the window hands it out by track number.
class ICaptionEditor {
public:
    virtual ~ICaptionEditor() = default;
    // Shows the editor over the caption holding `text`, with the keyboard focus.
    virtual void OpenCaptionEditor(const QString& text) = 0;
    virtual bool CaptionEditorOpen() const = 0;
    virtual QString CaptionEditorText() const = 0;
    virtual void CloseCaptionEditor() = 0;
};

// What the track commands ask of the window.
class ITrackCommandHost {
public:
    virtual ~ITrackCommandHost() = default;
    virtual bool SongOpen() const = 0;
    // Records an undo step when the tracks changed.
    virtual void TakeSnapshot() = 0;
    // The header menu of `track` at the pointer.
    virtual void PopupHeaderMenu(int track) = 0;
    // The type and output menu of `track`, showing and checking `trackType`.
    virtual void PopupTypeOutputMenu(int track, std::uint8_t trackType) = 0;
    // The caption editor of 1-based `track`'s header; null when it has none.
    virtual ICaptionEditor* CaptionEditor(int track) = 0;
};

class TrackCommands {
public:
    TrackCommands(ShowDocument& document, IUserInterface& ui, ITrackCommandHost& host,
                  const Language& language);

    // 1-based number of the track last clicked or selected; -1 for none.
    int AnchorTrack() const { return Doc.Anchor(); }
    // The track whose header menu or type/output menu was opened last; null when none or
    // when it has been deleted since.
    const TFullTrack* PopupTrack() const;

    // Appends a track with the defaults of a new track, at the height of the rows, and
    // selects it alone; used by the menu command, paste and undo. Null, after the warning,
    // without a song or with MaxTracks tracks.
    const TFullTrack* NewTrack();
    // The Edit menu's New Track: NewTrack, then an undo step when the project is modified.
    void NewTrackCommand();

    // Asks (No the default), then deletes the selected tracks with the progress window,
    // renumbers the rest and moves the selection to the anchor (or the last track). Locked
    // tracks are kept: the question names them, and when every selected track is locked a
    // warning says so and nothing is asked.
    void DeleteSelectedTracks();
    void SelectAll();
    // Moves the selected tracks a place up (-1) or down (+1) as one undo step; the selection
    // and the anchor go with them. A run of selected tracks moves as a block and stops at the
    // top or bottom, the other runs still moving; Lock guards values only, so locked tracks
    // move too. False, changing nothing, when no selected track can move.
    bool MoveSelectedTracks(int direction);
    // Selects `track` alone and makes it the anchor.
    void SelectOnly(int track);
    // AnchorTrack := none; the selection stays as it is.
    void ClearSelection();

    // A press on a header's panel. Left: none or Alt selects the track alone, Ctrl toggles
    // it, Shift selects the range from the anchor. Right: selects it alone and opens its
    // header menu.
    void HeaderPress(int track, Qt::MouseButton button, TModifierKey modifier);

    void StartCaptionEdit(int track);
    // Enter, Escape or focus leaving the editor: the text becomes the caption, the project
    // is modified and an undo step is taken. Does nothing when the editor is not open.
    void CommitCaptionEdit(int track);
    // A left press anywhere in the application closes every open caption editor first,
    // keeping its text. A caption that did not change leaves the project as it was; one that
    // did is an edit like any other (modified, with an undo step).
    void CommitOpenCaptionEditors();

    void ToggleLock(int track);
    void ToggleMute(int track);
    void ToggleSolo(int track);

    void OpenTypeOutputMenu(int track);
    // Tags act on PopupTrack: 0 Proportional, 1 On/Off.
    void ChooseType(int tag);
    // Output 0..255 of PopupTrack. Refused (false) for a number another track uses, which
    // the menu shows disabled, so outputs stay unique.
    bool ChooseOutput(int tag);
    // Palette entry 1..11 for PopupTrack.
    void ChooseColor(int tag);

    // Outputs used by some track: the items the output menu disables.
    std::array<bool, 256> OutputsInUse() const;

private:
    QString Tr(TextTable table, int entry) const { return Text(table, entry, Lang); }
    bool ValidTrack(int track) const { return track >= 1 && track <= Doc.TrackCount(); }
    void SelectTrack(int track);
    // "3 (Caption), 7 (Caption)" for the message boxes, the first few and how many more.
    QString TrackList(const std::vector<int>& tracks) const;
    // The 1-based number of PopupTrack; -1 for none.
    int PopupNumber() const { return Doc.NumberOf(Popup); }
    ICaptionEditor* EditorOf(int track) { return Host.CaptionEditor(track); }

    ShowDocument& Doc;
    IUserInterface& Ui;
    ITrackCommandHost& Host;
    const Language& Lang;
    const TFullTrack* Popup = nullptr;
};

} // namespace lumivox
