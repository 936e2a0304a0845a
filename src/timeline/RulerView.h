// The ruler and waveform strip above the lanes: the time ruler with its labels, the grid
// behind the waveform, the song's two-channel waveform, and the play cursor and cue marker,
// all showing the time range the shared scroll state points at and painted only where
// exposed.
#pragma once

#include "editing/TimelineGeometry.h"

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

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    const TRulerPaintStats& PaintStats() const { return Stats; }
    void ResetPaintStats() { Stats = {}; }

Q_SIGNALS:
    // A press on the strip, with its content x (for locating) and its x in the strip.
    void Pressed(std::int64_t contentX, int viewX, Qt::MouseButton button);
    // The pointer moved over the strip.
    void MouseMoved(QPoint viewPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void FollowOffset();
    void PlaceMarkers();
    void PlaceMarker(QWidget* marker, std::int64_t contentX);
    void PaintRulerAndGrid(QPainter& painter, std::int64_t x0, std::int64_t x1);
    void PaintWaveform(QPainter& painter, std::int64_t x0, std::int64_t x1);

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
};

} // namespace lumivox
