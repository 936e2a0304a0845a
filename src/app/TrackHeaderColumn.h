// The column of track headers left of the lanes. It does not scroll by itself: its stack of
// headers follows the lanes' vertical offset, one header per track, in display order.
#pragma once

#include "core/LanguageTables.h"
#include "model/ProjectClasses.h"

#include <QPoint>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

namespace lumivox {

class EditingTools;
class KeyboardControl;
class ShowDocument;
class TFrame2;
class TimelineGeometry;
class TimelineScroll;
class TrackCommands;

class TrackHeaderColumn : public QWidget {
    Q_OBJECT
public:
    TrackHeaderColumn(ShowDocument& document, const TimelineGeometry& timeline,
                      TimelineScroll& scroll, TrackCommands& commands, KeyboardControl& keyboard,
                      EditingTools& tools, int width, QWidget* parent = nullptr);

    // A header for the next track, wired to the track commands, below the last one.
    std::unique_ptr<ITrackHeader> MakeHeader(Language language);
    // Places every header at its track's row and sizes the stack to the tracks.
    void LayoutHeaders();
    // Where the type/output menu of `track` opens, in global coordinates; empty when the
    // track has no header here.
    std::optional<QPoint> TypeOutputMenuPosition(int track) const;
    // Each header takes the texts of `language`.
    void ApplyLanguage(Language language);

    static TFrame2* FrameOf(const TFullTrack& track);

private:
    void FollowVerticalOffset(std::int64_t offset);

    ShowDocument& Doc;
    const TimelineGeometry& Timeline;
    TimelineScroll& Scroll;
    TrackCommands& Commands;
    KeyboardControl& Keyboard;
    EditingTools& Tools;
    QWidget* Stack = nullptr; // holds the headers; moved by the vertical offset
};

} // namespace lumivox
