// The editor area: one painted view of the track lanes (backgrounds, value bars, the grid
// over the bars, separators, the lines of the show's marks) that shows the part of the timeline the
// shared scroll state points at, paints only what is exposed, repaints exactly what the show
// announces as changed, and reports mouse input already translated into track, cell, slots and
// value for the editing tools.
#pragma once

#include "editing/BlockOperations.h"
#include "editing/TimelineGeometry.h"
#include "model/ShowMarks.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QMetaType>
#include <QPoint>
#include <QRect>
#include <QTimer>

class QPainter;

#include <cstdint>
#include <vector>

namespace lumivox {

class ShowDocument;
class TimelineScroll;

// A mouse position over the lanes, as the pointer gave it and as the timeline reads it: the
// tools' hit (track, cell, slots, value, button) and where it lies in the view.
struct TLanesHit : TLaneHit {
    QPoint ViewPos;   // in the editor area's viewport (its client coordinates)
    QPoint GlobalPos; // on the screen, for pop-up menus
    std::int64_t ContentX = 0;
    std::int64_t ContentY = 0;
    TPixelSpan CellPixels;    // the cell's columns in content x; empty without a cell
    Qt::MouseButtons Buttons; // the buttons held
    Qt::KeyboardModifiers Modifiers;
};

// What the paints since the last reset have visited; lets tests see that a paint's work
// follows the exposed rectangle and not the length of the song.
struct TLanesPaintStats {
    std::int64_t Paints = 0;
    std::int64_t Tracks = 0;  // track rows painted
    std::int64_t Columns = 0; // slot columns visited
    std::int64_t Bars = 0;    // bars filled
    std::int64_t Ticks = 0;   // grid lines drawn
    std::int64_t Marks = 0;   // mark lines drawn
};

class LanesView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // The view reads the tracks, SoloActive and the values from `document` and follows its
    // announcements, the song, zoom and scales from `geometry`, and its offsets from
    // `scroll`; all three must outlive it. The view owns the scroll bars and keeps them
    // and `scroll` in step.
    LanesView(const ShowDocument& document, const TimelineGeometry& geometry,
              TimelineScroll& scroll, QWidget* parent = nullptr);

    // Content width := the timeline width at the current level (call after a horizontal
    // zoom and after a song is loaded).
    void UpdateContentWidth();
    // Content height := track count x lane height (follows the track list by itself; call
    // after a change of the vertical zoom).
    void UpdateLanesHeight();

    // While false, lane painting is skipped (the area shows its plain background). Off for
    // the length of a bulk update of the show; its Reset turns it back on and repaints
    // once, the offsets kept (clamped to the new content).
    bool LanesPaintEnabled() const { return PaintEnabled; }
    // Turning it back on repaints the whole area once.
    void SetLanesPaintEnabled(bool enabled);

    void RepaintAll();
    // Repaints the columns of slots firstSlot..lastSlot (1-based) of 1-based `track`.
    void RepaintSlots(int track, int firstSlot, int lastSlot);
    // Repaints one editing cell of a track.
    void RepaintCell(int track, int cell);
    void RepaintTrack(int track);
    // Repaints the rows of tracks `first` and below, to the bottom of the view.
    void RepaintTracksFrom(int first);

    // The play cursor, a line across the lanes at content x. A move repaints only the old
    // and the new line's column. The line shows while a song is loaded and it lies on the
    // timeline (0 .. its width).
    void SetPlayCursorX(std::int64_t contentX);
    std::int64_t PlayCursorX() const { return CursorX; }

    // The timeline under a viewport position.
    TLanesHit HitAt(QPoint viewPos, Qt::KeyboardModifiers modifiers = {}) const;
    // What the draw tool writes at viewport row `viewY`; -1 outside every lane.
    int ValueAtY(int viewY) const;

    // ---- The time-range selection ------------------------------------------------------
    // Shows `range` as a translucent band over the lanes; repaints only the pixels where the
    // old and the new band differ (and both outlines).
    void SetSelectionBand(const TRangeSelection& range);
    const TRangeSelection& SelectionBand() const { return Band; }
    // Where a selection drag stands at a viewport position: the track whose row holds y (its
    // separator band included) and the slot whose columns hold x, 1-based. Either may lie
    // outside the show; the selection clamps them.
    struct TSelectionCorner {
        int Track = 0;
        int Slot = 0;
    };
    TSelectionCorner SelectionCornerAt(QPoint viewPos) const;

    // The guidance shown across the area while no song is loaded (how to begin a show).
    void SetEmptyHint(const QString& text);
    QString EmptyHintText() const { return EmptyHint; }

    const TLanesPaintStats& PaintStats() const { return Stats; }
    void ResetPaintStats() { Stats = {}; }

Q_SIGNALS:
    // Every mouse event of the viewport, translated. Moves are reported with or without a
    // button held (the pointer read-out follows the mouse).
    void MousePressed(const lumivox::TLanesHit& hit);
    void MouseMoved(const lumivox::TLanesHit& hit);
    void MouseReleased(const lumivox::TLanesHit& hit);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TLanesHit Hit(const QMouseEvent& event) const;
    // A left drag past the viewport's edges scrolls the view on a timer, towards the pointer
    // and the faster the farther past the edge; after each step a move at the pointer is
    // reported, so the selection or the tool follows the time under it. It stops when the
    // pointer comes back inside or the button is released.
    void FollowDrag(const QMouseEvent& event);
    void EdgeScrollStep();
    void FollowDocument();
    // Repaints the columns of the marks that differ from those shown.
    void RepaintChangedMarks();
    void SyncScrollBars();
    void FollowOffsets();
    void UpdateContentRect(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1);
    void UpdateCursorColumn(std::int64_t contentX);
    void PaintRect(QPainter& painter, const QRect& exposed);
    // The band of `range` in viewport coordinates (may reach outside the viewport).
    QRect BandRect(const TRangeSelection& range) const;
    // Blends the band into the part of the scratch image showing the exposed rectangle.
    void PaintSelectionBand(const QRect& exposed);

    const ShowDocument& Doc;
    QString EmptyHint;
    const TimelineGeometry& Geometry;
    TimelineScroll& Scroll;
    bool PaintEnabled = true;
    std::int64_t CursorX = -1; // none until the transport places it
    // The offsets the viewport's pixels currently show, to scroll them by the difference.
    std::int64_t ShownX = 0;
    std::int64_t ShownY = 0;
    std::vector<TimelineGeometry::TBarColumn> Bars;
    // Where a paint composes the exposed part; as large as the largest exposure so far.
    QImage Scratch;
    TLanesPaintStats Stats;
    TRangeSelection Band;
    TShowMarks ShownMarks; // the marks as the lines show them
    QTimer EdgeTimer;
    QPoint DragPos; // the pointer's last position in the viewport while a button is held
    Qt::MouseButtons DragButtons;
    Qt::KeyboardModifiers DragModifiers;
};

} // namespace lumivox

Q_DECLARE_METATYPE(lumivox::TLanesHit)
