#include "app/TrackHeaderColumn.h"

#include "editing/EditingTools.h"
#include "editing/KeyboardControl.h"
#include "editing/TimelineGeometry.h"
#include "editing/TimelineScroll.h"
#include "editing/TrackCommands.h"
#include "model/ShowDocument.h"
#include "timeline/TrackHeader.h"

#include <algorithm>

namespace lumivox {

TrackHeaderColumn::TrackHeaderColumn(ShowDocument& document, const TimelineGeometry& timeline,
                                     TimelineScroll& scroll, TrackCommands& commands,
                                     KeyboardControl& keyboard, EditingTools& tools, int width,
                                     QWidget* parent)
    : QWidget(parent), Doc(document), Timeline(timeline), Scroll(scroll), Commands(commands),
      Keyboard(keyboard), Tools(tools) {
    setObjectName(QStringLiteral("ScrollBox3"));
    setFixedWidth(width);
    Stack = new QWidget(this);
    Stack->setObjectName(QStringLiteral("PaintBox4"));
    Stack->setGeometry(0, 0, width, 0);
    connect(&Scroll, &TimelineScroll::VerticalOffsetChanged, this,
            [this](std::int64_t offset) { FollowVerticalOffset(offset); });
    connect(&Doc, &ShowDocument::TracksAdded, this, [this] { LayoutHeaders(); });
    connect(&Doc, &ShowDocument::TracksRemoved, this, [this] { LayoutHeaders(); });
    connect(&Doc, &ShowDocument::TracksMoved, this, [this] { LayoutHeaders(); });
    connect(&Doc, &ShowDocument::BulkUpdateStarted, this, [this] { hide(); });
    connect(&Doc, &ShowDocument::Reset, this, [this] {
        show();
        LayoutHeaders();
    });
}

TFrame2* TrackHeaderColumn::FrameOf(const TFullTrack& track) {
    return dynamic_cast<TFrame2*>(track.Header.get());
}

std::unique_ptr<ITrackHeader> TrackHeaderColumn::MakeHeader(Language language) {
    auto frame = std::make_unique<TFrame2>(Stack, language);
    TFrame2* f = frame.get();
    auto number = [this, f] { return Commands.NumberOf(f); };
    connect(f, &TFrame2::Pressed, this, [this, number](Qt::MouseButton button) {
        Commands.HeaderPress(number(), button, Keyboard.ModifierKey());
    });
    connect(f, &TFrame2::CaptionDoubleClicked, this,
            [this, number] { Commands.StartCaptionEdit(number()); });
    connect(f, &TFrame2::CaptionEditFinished, this,
            [this, number] { Commands.CommitCaptionEdit(number()); });
    connect(f, &TFrame2::LockClicked, this, [this, number] { Commands.ToggleLock(number()); });
    connect(f, &TFrame2::MuteClicked, this, [this, number] { Commands.ToggleMute(number()); });
    connect(f, &TFrame2::SoloClicked, this, [this, number] { Commands.ToggleSolo(number()); });
    connect(f, &TFrame2::TypeOutputClicked, this,
            [this, number] { Commands.OpenTypeOutputMenu(number()); });
    // Record-arm is the model's; the button shows it back.
    connect(f, &TFrame2::ArmToggled, this, [this, number](bool armed) {
        if (const int track = number(); track > 0)
            Doc.SetArmed(track, armed);
    });
    connect(f, &TFrame2::PointerMoved, this, [this] { Tools.ResetPointerFeedback(); });
    f->setGeometry(0, Doc.TrackCount() * Timeline.LaneHeight(), width(), Timeline.LaneHeight());
    f->show();
    return frame;
}

void TrackHeaderColumn::LayoutHeaders() {
    const int height = Timeline.LaneHeight();
    for (int k = 1; k <= Doc.TrackCount(); ++k)
        if (TFrame2* frame = FrameOf(Doc.Track(k))) {
            frame->SetHeight(height);
            frame->setGeometry(0, (k - 1) * height, width(), height);
        }
    Stack->resize(width(), std::max(1, Doc.TrackCount() * height));
    FollowVerticalOffset(Scroll.VerticalOffset());
}

std::optional<QPoint> TrackHeaderColumn::TypeOutputMenuPosition(int track) const {
    if (track < 1 || track > Doc.TrackCount())
        return std::nullopt;
    const TFrame2* frame = FrameOf(Doc.Track(track));
    if (!frame)
        return std::nullopt;
    // The frame gives the place on the screen already.
    return frame->TypeOutputMenuPosition();
}

void TrackHeaderColumn::ApplyLanguage(Language language) {
    for (const TFullTrack* track : Doc.Tracks())
        if (TFrame2* frame = FrameOf(*track))
            frame->ApplyLanguage(language);
}

void TrackHeaderColumn::FollowVerticalOffset(std::int64_t offset) {
    Stack->move(0, -static_cast<int>(offset));
}

} // namespace lumivox
