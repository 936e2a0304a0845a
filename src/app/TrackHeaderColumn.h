// The column of track headers left of the lanes. It does not scroll by itself: its stack of
// headers follows the lanes' vertical offset, one row per track, in display order. It keeps
// its rows in step with the show's track list as the lanes do (tracks added, removed,
// moved, reset), shows the fields each announcement names, and hides for the length of a
// bulk update.
// A track's header widget is built when its row first comes near the view: a show of 255
// tracks opens with the few dozen headers it shows, not 255 widgets of a dozen children each.
#pragma once

#include "core/LanguageTables.h"
#include "editing/TrackCommands.h"
#include "model/ProjectClasses.h"

#include <QPoint>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace lumivox {

class EditingTools;
class KeyboardControl;
class ShowDocument;
class TFrame2;
class TimelineGeometry;
class TimelineScroll;
class TrackHeaderColumn;

// One row of the column: the header widget once it is built, nothing before. A header built
// later reads its whole track then.
class TrackHeaderSlot final : public ICaptionEditor {
public:
    explicit TrackHeaderSlot(TrackHeaderColumn& column);
    ~TrackHeaderSlot() override;
    TrackHeaderSlot(const TrackHeaderSlot&) = delete;
    TrackHeaderSlot& operator=(const TrackHeaderSlot&) = delete;

    // The header widget; null until the row has come near the view.
    TFrame2* Frame() const { return Widget.get(); }

    // The caption editor builds the header first: it opens on a track the operator points at.
    void OpenCaptionEditor(const QString& text) override;
    bool CaptionEditorOpen() const override;
    QString CaptionEditorText() const override;
    void CloseCaptionEditor() override;

private:
    friend class TrackHeaderColumn;
    TrackHeaderColumn& Column;
    std::unique_ptr<TFrame2> Widget;
};

class TrackHeaderColumn : public QWidget {
    Q_OBJECT
public:
    TrackHeaderColumn(ShowDocument& document, const TimelineGeometry& timeline,
                      TimelineScroll& scroll, TrackCommands& commands, KeyboardControl& keyboard,
                      EditingTools& tools, int width, QWidget* parent = nullptr);

    // Places every header at its track's row, at the row height, and sizes the stack to the
    // tracks.
    void LayoutHeaders();
    // Where the type/output menu of `track` opens, in global coordinates; empty when the
    // track has no header here.
    std::optional<QPoint> TypeOutputMenuPosition(int track);
    // Each header takes the texts of `language`, as do headers built later.
    void ApplyLanguage(Language language);

    // The header widget of 1-based `track`; null when it has not been built yet or there is
    // no such track.
    TFrame2* Frame(int track) const;
    // The header widget of 1-based `track`, built now if need be; null for no such track.
    TFrame2* BuildFrame(int track);
    // The caption editor of 1-based `track`'s header; null for no such track.
    ICaptionEditor* CaptionEditor(int track);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TrackHeaderSlot;
    void FollowVerticalOffset(std::int64_t offset);
    // The rows follow the track list.
    void RowsAdded(int first, int last);
    void RowsRemoved(int first, int last);
    void ShowRows(int first, int last, TTrackFields fields);
    void RowsReset();
    // The 1-based row of `slot`; -1 when it is not one of the rows.
    int RowOf(const TrackHeaderSlot* slot) const;
    // Builds the headers of the rows in view.
    void BuildRowsInView();
    TFrame2& Build(TrackHeaderSlot& slot, int track);

    ShowDocument& Doc;
    const TimelineGeometry& Timeline;
    TimelineScroll& Scroll;
    TrackCommands& Commands;
    KeyboardControl& Keyboard;
    EditingTools& Tools;
    QWidget* Stack = nullptr; // holds the headers; moved by the vertical offset
    std::vector<std::unique_ptr<TrackHeaderSlot>> Rows; // row k - 1 is track k's
    Language HeaderLanguage = DefaultLanguage;
};

} // namespace lumivox
