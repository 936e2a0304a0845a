// The window's transport: it owns the transport and the paging that follows the play cursor
// with the views, wires the transport buttons, the ruler press and the show clock's tick, and
// is the transport's host (slot length, time display, record light, undo steps) and the
// paging's view (time axis, scroll, play cursor and cue markers, the cue's blink). It lives on
// the UI thread, as every part it is given.
#pragma once

#include "core/LanguageTables.h"
#include "show/FollowPaging.h"
#include "show/Transport.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>

class QLabel;
class QTimer;
class QToolButton;

namespace lumivox {

class AudioPlayer;
class LanesView;
class RulerView;
class ShowClock;
class ShowDocument;
class TimelineGeometry;
class TimelineScroll;
struct TFullTrack;

class TransportController : public QObject, public ITransportHost, public IPagedView {
    Q_OBJECT
public:
    struct TParts {
        ShowDocument& Doc;
        const Language& Lang; // read whenever the time is shown
        AudioPlayer& Player;
        ShowClock& Clock;
        const TimelineGeometry& Timeline;
        TimelineScroll& Scroll;
        std::function<void()> Snapshot;              // an undo step after a recording
        std::function<void(int viewX)> RulerPressed; // a press on the ruler, at view x
        // The live input recorded into `track` at `slot` on each tick, with the record mode.
        std::function<void(const TFullTrack& track, int slot, bool recording)> Record;
        std::function<void()> OutputLost; // the sound device went away while playing
    };
    struct TWidgets {
        RulerView& Ruler;
        LanesView& Lanes;
        QLabel& Time;
        QToolButton &Beginning, &Play, &Stop, &Pause, &End, &Record;
        QTimer& CueBlink;
    };

    TransportController(TParts parts, TWidgets widgets, QObject* parent);
    ~TransportController() override;

    Transport& Motion() { return *Control; }
    FollowPaging& Paging() { return *Pager; }

    // ITransportHost
    int SlotMs() const override;
    void ShowTime(std::int64_t positionMs) override;
    void ShowRecordMode(bool on) override;
    bool ProjectModified() const override;
    void TakeSnapshot() override;

    // IPagedView
    TimeAxis Axis() const override;
    int ViewWidth() const override;
    std::int64_t ScrollOffset() const override;
    void ScrollTo(std::int64_t offset) override;
    void PlaceMarkers(std::int64_t cursorX, std::int64_t cueX) override;

private:
    TParts Parts;
    TWidgets Widgets;
    // The paging listens to the transport, so it is made first and goes last.
    std::unique_ptr<FollowPaging> Pager;
    std::unique_ptr<Transport> Control;
    bool CueDark = true; // the cue marker's blink phase
};

} // namespace lumivox
