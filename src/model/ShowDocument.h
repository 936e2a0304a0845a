// The open show: the project record, the ordered track list and the values the song fixes,
// with the rules of adding and removing tracks. Every change of the show is made here and
// announced, so that no view can miss one: the tracks are handed out for reading only, and a
// batch of changes runs in a bulk update that announces one Reset at its end.
#pragma once

#include "core/LanguageTables.h"
#include "model/ProjectClasses.h"
#include "model/ShowMarks.h"

#include <QFlags>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace lumivox {

// The fields of the project record, as the show reports their changes.
enum class TProjectField : unsigned {
    Name = 1u << 0,
    Song = 1u << 1,
    Texts = 1u << 2, // subject, author, copyright, customer, creation date and comments
    Resolution = 1u << 3,
};
Q_DECLARE_FLAGS(TProjectFields, TProjectField)
Q_DECLARE_OPERATORS_FOR_FLAGS(TProjectFields)

// The text fields of the record that the Project Properties dialog edits.
struct TProjectTexts {
    QString Subject;
    QString Author;
    QString Copyright;
    QString Customer;
    QString CreationDate;
    QStringList Comments;
};

class ShowDocument : public QObject {
    Q_OBJECT
public:
    explicit ShowDocument(QObject* parent = nullptr);
    ~ShowDocument() override;

    // Value bytes per track, fixed by the open song on the 100 ms grain; 0 without a song.
    // New tracks and resized tracks take this length.
    int SlotCount = 0;
    QString ProjectFileName;

    // ---- Reading ---------------------------------------------------------------------
    const TProjectType& Project() const { return Record; }
    int ResolutionIndex() const { return Resolution; }
    int ResolutionInMs() const { return ResolutionMs(Resolution); }
    bool Modified() const { return IsModified; }
    // Some track is soloed; follows every change of Mute and Solo.
    bool SoloActive() const { return AnySolo; }

    int TrackCount() const { return static_cast<int>(List.size()); }
    // Display order, top to bottom; a track's number is its 1-based position.
    const TFullTrack& Track(int number) const {
        return *List.at(static_cast<std::size_t>(number - 1));
    }
    // The tracks top to bottom, each as a `const TFullTrack*`.
    class TrackRange {
    public:
        using Base = std::vector<std::unique_ptr<TFullTrack>>::const_iterator;
        class Iterator {
        public:
            explicit Iterator(Base at) : At(at) {}
            const TFullTrack* operator*() const { return At->get(); }
            Iterator& operator++() {
                ++At;
                return *this;
            }
            bool operator==(const Iterator& other) const { return At == other.At; }

        private:
            Base At;
        };
        TrackRange(Base first, Base last) : First(first), Last(last) {}
        Iterator begin() const { return Iterator(First); }
        Iterator end() const { return Iterator(Last); }
        std::size_t size() const { return static_cast<std::size_t>(Last - First); }

    private:
        Base First, Last;
    };
    TrackRange Tracks() const { return {List.cbegin(), List.cend()}; }
    // Track `number` is heard (see TFullTrack::Heard).
    bool Heard(int number) const { return Track(number).Heard(AnySolo); }
    int SelectedCount() const;
    // 1-based number of the track last clicked or selected; -1 for none.
    int Anchor() const { return AnchorTrack; }
    // The 1-based number of `track`; -1 for none.
    int NumberOf(const TFullTrack* track) const;

    // ---- The track list ----------------------------------------------------------------
    // Appends a track with the defaults of a new track: SlotCount zero values, caption from
    // the language's track word and the new count, the first free output, the MIDI key of
    // that output and the colour pair of its position. Returns null, changing nothing, when
    // MaxTracks tracks exist already (the caller shows the refusal).
    const TFullTrack* AddTrack(Language language);
    // Destroys every track, the last first, calling `removed` with the number still to go
    // after each one.
    void RemoveAllTracks(const std::function<void(int remaining, int total)>& removed = {});
    // Destroys the track at 1-based `number`; the tracks below move up a number.
    void RemoveTrack(int number);
    // Destroys every selected track, top to bottom, calling `removed` with the number still
    // to go after each one; the tracks left move up. Returns how many were removed.
    int RemoveSelectedTracks(const std::function<void(int remaining, int selected)>& removed);
    // Moves the track at 1-based `from` to position `to`; the tracks between shift a place
    // towards `from`. Announced as TracksMoved and the new numbers of the tracks moved.
    void MoveTrack(int from, int to);

    // ---- One track's header fields -------------------------------------------------------
    void SetCaption(int number, const QString& caption);
    void SetType(int number, std::uint8_t trackType);
    void SetOutput(int number, std::uint8_t output);
    void SetLocked(int number, bool locked);
    // Mute and Solo exclude each other: setting one clears the other.
    void SetMute(int number, bool mute);
    void SetSolo(int number, bool solo);
    void SetColors(int number, TColor header, TColor caption, TColor lane, TColor laneBack);
    void SetArmed(int number, bool armed);
    // The whole map, the live controller value with it.
    void SetMidiMap(int number, const TMidiMap& map);
    void SetSelected(int number, bool selected);
    // Selects `number` alone and makes it the anchor.
    void SelectOnly(int number);
    // The anchor is no part of what the views show; changing it reports nothing.
    void SetAnchor(int number) { AnchorTrack = number; }

    // ---- Slot values ------------------------------------------------------------------
    // Writes `value` into slots first..last of track `number`, stopping before the first slot
    // past the track's end. Returns the last slot written; first - 1 when none was.
    int FillSlots(int number, int first, int last, std::uint8_t value);
    // One slot; false (nothing written) outside 1 .. SlotCount - 1 of the track.
    bool SetSlot(int number, int slot, std::uint8_t value);
    // Writes `count` values into slots firstSlot .. firstSlot + count - 1 of track `number`,
    // dropping those that fall outside its slots 1 .. SlotCount - 1, and announces the span
    // written once. Returns how many slots were written.
    int WriteSlots(int number, int firstSlot, const std::uint8_t* values, int count);
    // Every track to `slotCount` slots (see TSlotValues::Resize).
    void ResizeTracks(int slotCount);

    // ---- The project record --------------------------------------------------------------
    void SetProjectName(const QString& name);
    void SetSongFile(const QString& mp3Path);
    void SetTexts(const TProjectTexts& texts);
    // The resolution of the show and of its record; an invalid index counts as 1.
    void SetResolution(int resolutionIndex);
    // Empties the project record before a file is read: name, song, text fields and
    // comments. Reserved and the resolution are kept; the reader sets them.
    void ResetRecord(const QString& newProjectName);
    void SetModified(bool modified);

    // ---- Marks --------------------------------------------------------------------------
    // The show's named marks, in time order. Each change is announced as MarksChanged; the
    // caller sets Modified and takes the undo snapshot, as for any other edit.
    const TShowMarks& Marks() const { return MarkList; }
    void SetMarks(TShowMarks marks);
    // Returns the new mark's index.
    int AddMark(int ms, const QString& name);
    // Returns the mark's new index; -1 (nothing changed) for an index out of range.
    int MoveMark(int index, int ms);
    void RenameMark(int index, const QString& name);
    void RemoveMark(int index);

    // ---- Bulk updates -------------------------------------------------------------------
    // Brackets a batch of changes (reading a project, undo, paste, deleting many tracks);
    // nests. Inside, no change is announced; the outermost end announces one Reset. An end
    // without a beginning is ignored. TBulkUpdate is the scope that also lends write access.
    void BeginBulkUpdate();
    void EndBulkUpdate();
    bool InBulkUpdate() const { return BulkDepth > 0; }

Q_SIGNALS:
    // Tracks first..last were inserted (they hold those numbers now).
    void TracksAdded(int first, int last);
    // Tracks first..last were destroyed (numbers before the removal); the tracks below move
    // up, which the TrackChanged(Number) of each of them reports after the removals.
    void TracksRemoved(int first, int last);
    // Tracks first..last changed places among themselves (they hold those numbers now); the
    // TrackChanged(Number) of each of them follows.
    void TracksMoved(int first, int last);
    void TrackChanged(int number, lumivox::TTrackFields fields);
    // Slots first..last of track `number` were written.
    void SlotsChanged(int number, int firstSlot, int lastSlot);
    void ProjectChanged(lumivox::TProjectFields fields);
    void ModifiedChanged(bool modified);
    void SoloActiveChanged(bool active);
    void MarksChanged();
    // The outermost bulk update began: views may stop drawing until the Reset.
    void BulkUpdateStarted();
    // The outermost bulk update ended: anything may have changed, the track list included.
    void Reset();

private:
    friend class TBulkUpdate;

    TFullTrack& WritableTrack(int number) { return *List.at(static_cast<std::size_t>(number - 1)); }
    // Tells the track's header and the listeners; nothing while a bulk update runs.
    void Announce(int number, TTrackFields fields);
    // The tracks from `first` down report their new numbers.
    void AnnounceNumbers(int first);
    // SoloActive := some track is soloed; announced when it changed.
    void RecomputeSolo();
    void AnnounceProject(TProjectFields fields);

    void AnnounceMarks();

    TProjectType Record;
    std::vector<std::unique_ptr<TFullTrack>> List;
    TShowMarks MarkList;
    int Resolution = 1;
    bool AnySolo = false;
    bool IsModified = false;
    int AnchorTrack = -1;
    int BulkDepth = 0;
};

// A bulk update for the length of a scope, with write access to the tracks and the record:
// what is written through it is announced by the Reset at the scope's end.
class TBulkUpdate {
public:
    explicit TBulkUpdate(ShowDocument& document) : Doc(document) { Doc.BeginBulkUpdate(); }
    ~TBulkUpdate() { Doc.EndBulkUpdate(); }
    TBulkUpdate(const TBulkUpdate&) = delete;
    TBulkUpdate& operator=(const TBulkUpdate&) = delete;

    TFullTrack& Track(int number) { return Doc.WritableTrack(number); }
    TProjectType& Project() { return Doc.Record; }

private:
    ShowDocument& Doc;
};

} // namespace lumivox
