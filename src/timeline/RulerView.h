// The ruler and waveform strip above the lanes: the time ruler with its labels, the grid
// behind the waveform, the song's two-channel waveform, the song's beats as ticks and the
// show's marks as named flags, and the play cursor and cue marker, all showing the time
// range the shared scroll state points at and painted only where exposed. The flags are
// edited with the mouse: the ruler reports what the user asks, the window carries it out.
#pragma once

#include "audio/analysis/BeatAnalysis.h"
#include "editing/TimelineGeometry.h"
#include "model/ShowMarks.h"
#include "timeline/WaveformColumns.h"

#include <QColor>
#include <QFont>
#include <QWidget>

#include <cstdint>

namespace lumivox {

class TimelineScroll;

// What the paints since the last reset have visited (see TLanesPaintStats).
struct TRulerPaintStats {
    std::int64_t Paints = 0;
    std::int64_t Ticks = 0;       // grid lines drawn
    std::int64_t Labels = 0;      // time labels written
    std::int64_t WaveColumns = 0; // waveform columns drawn
    std::int64_t Beats = 0;       // beat ticks drawn
    std::int64_t Marks = 0;       // mark flags drawn
};

class RulerView : public QWidget {
    Q_OBJECT
public:
    // Reads the song from `peaks`, zoom and scales from `geometry`, and the offset and the
    // timeline width from `scroll`; all three must outlive the view.
    RulerView(const TWavePeaks& peaks, const TimelineGeometry& geometry, TimelineScroll& scroll,
              QWidget* parent = nullptr);

    // Call when the peaks were replaced (a song was loaded): drops the reduced waveform and
    // repaints.
    void PeaksChanged();
    // Repaints everything (after a zoom or resolution change).
    void RepaintAll();

    // The play cursor (red) and the cue marker, in content x; each move repaints only the
    // old and new columns. Both show only while a song is loaded and markers are visible.
    void SetPlayCursorX(std::int64_t contentX);
    void SetCueX(std::int64_t contentX);
    // The cue marker's colour (it blinks between black and silver).
    void SetCueColor(const QColor& color);
    void SetMarkersVisible(bool visible);
    std::int64_t PlayCursorX() const { return CursorX; }
    std::int64_t CueX() const { return CueAt; }
    QWidget* PlayCursor() const { return Panel17; }
    QWidget* CueMarker() const { return Panel15; }

    // ---- Beats and marks ---------------------------------------------------------------
    // The widest a flag's label is drawn; longer names are cut short with an ellipsis.
    static constexpr int MaxFlagWidth = 80;

    // Where the beats and the marks are read from; either may be null (nothing is drawn).
    // Both must outlive the view or be replaced first.
    void SetTiming(const TShowMarks* marks, const TSongBeats* beats);
    // The marks changed: repaints the flags of the marks that differ from those shown.
    void MarksChanged();
    // The beats changed: repaints the ruler's rows.
    void BeatsChanged();
    // The mark whose flag lies under `viewPos` (the flags sit on the ruler's rows); the one
    // drawn last when flags overlap; -1 for none.
    int MarkAt(QPoint viewPos) const;
    // The content column of a time, and the time (in whole ms) at the middle of a column.
    std::int64_t ColumnOf(double ms) const;
    std::int64_t MsAtColumn(std::int64_t contentX) const;
    // The mark being dragged, -1 when none, and where it would land.
    int DraggedMark() const { return DragIndex; }
    std::int64_t DragMs() const { return DragTo; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    const TRulerPaintStats& PaintStats() const { return Stats; }
    void ResetPaintStats() { Stats = {}; }

Q_SIGNALS:
    // A press on the strip, with its content x (for locating) and its x in the strip.
    void Pressed(std::int64_t contentX, int viewX, Qt::MouseButton button);
    // The pointer moved over the strip.
    void MouseMoved(QPoint viewPos);
    // A double click off the flags: a mark at `ms`.
    void AddMarkRequested(std::int64_t ms);
    // A flag was dragged and let go at `ms`.
    void MoveMarkRequested(int index, std::int64_t ms);
    // A double click on a flag.
    void RenameMarkRequested(int index);
    // The context menu: over flag `index` (-1 for none) at time `ms`.
    void MarkMenuRequested(int index, std::int64_t ms, QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void FollowOffset();
    void PlaceMarkers();
    void PlaceMarker(QWidget* marker, std::int64_t contentX);
    void PaintRulerAndGrid(QPainter& painter, std::int64_t x0, std::int64_t x1);
    void PaintWaveform(QPainter& painter, std::int64_t x0, std::int64_t x1);
    void PaintBeats(QPainter& painter, std::int64_t x0, std::int64_t x1);
    void PaintMarks(QPainter& painter, std::int64_t x0, std::int64_t x1);
    // A flag whose label may take `room` pixels right of its line.
    void PaintFlag(QPainter& painter, std::int64_t column, const QString& name, int room);
    // Repaints the flag standing on content column `column`.
    void UpdateFlag(std::int64_t column);

    const TWavePeaks& Peaks;
    const TimelineGeometry& Geometry;
    TimelineScroll& Scroll;
    WaveformColumns Columns;
    QWidget* Panel17 = nullptr;
    QWidget* Panel15 = nullptr;
    std::int64_t CursorX = 0;
    std::int64_t CueAt = 0;
    bool MarkersVisible = true;
    std::int64_t ShownX = 0;
    QFont LabelFont;
    int LabelWidth = 0;
    TRulerPaintStats Stats;
    const TShowMarks* Marks = nullptr;
    const TSongBeats* Beats = nullptr;
    TShowMarks ShownMarks;     // the marks as the flags show them
    double BeatSpacingMs = 0;  // the usual distance between beats; 0 when unknown
    int DragIndex = -1;        // the mark a left press on its flag took hold of
    std::int64_t DragTo = 0;   // where it would land
    std::int64_t DragGrab = 0; // the pointer's distance right of the flag's column
    bool DragMoved = false;
};

} // namespace lumivox
