#include "app/TrackHeaderColumn.h"

#include "editing/EditingTools.h"
#include "editing/KeyboardControl.h"
#include "editing/TimelineGeometry.h"
#include "editing/TimelineScroll.h"
#include "editing/TrackCommands.h"
#include "model/ShowDocument.h"
#include "timeline/TrackHeader.h"

#include <QResizeEvent>

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

TrackHeaderSlot::TrackHeaderSlot(TrackHeaderColumn& column) : Column(column) {}

TrackHeaderSlot::~TrackHeaderSlot() = default;

void TrackHeaderSlot::Show(const TFullTrack& track, int number, TTrackFields fields) {
    if (Widget)
        Widget->Show(track, number, fields);
}

void TrackHeaderSlot::SetHeight(int pixels) {
    if (Widget)
        Widget->SetHeight(pixels);
}

void TrackHeaderSlot::OpenCaptionEditor(const QString& text) {
    if (TFrame2* frame = Column.BuildFrame(Column.Doc.NumberOf(this)))
        frame->OpenCaptionEditor(text);
}

bool TrackHeaderSlot::CaptionEditorOpen() const {
    return Widget && Widget->CaptionEditorOpen();
}

QString TrackHeaderSlot::CaptionEditorText() const {
    return Widget ? Widget->CaptionEditorText() : QString();
}

void TrackHeaderSlot::CloseCaptionEditor() {
    if (Widget)
        Widget->CloseCaptionEditor();
}

TFrame2* TrackHeaderColumn::FrameOf(const TFullTrack& track) {
    const auto* slot = dynamic_cast<const TrackHeaderSlot*>(track.Header.get());
    return slot ? slot->Frame() : nullptr;
}

std::unique_ptr<ITrackHeader> TrackHeaderColumn::MakeHeader(Language language) {
    HeaderLanguage = language;
    return std::make_unique<TrackHeaderSlot>(*this);
}

TFrame2* TrackHeaderColumn::BuildFrame(int track) {
    if (track < 1 || track > Doc.TrackCount())
        return nullptr;
    auto* slot = dynamic_cast<TrackHeaderSlot*>(Doc.Track(track).Header.get());
    return slot ? &Build(*slot, track) : nullptr;
}

TFrame2& TrackHeaderColumn::Build(TrackHeaderSlot& slot, int track) {
    if (slot.Widget)
        return *slot.Widget;
    slot.Widget = std::make_unique<TFrame2>(Stack, HeaderLanguage);
    TFrame2* f = slot.Widget.get();
    const ITrackHeader* header = &slot;
    auto number = [this, header] { return Doc.NumberOf(header); };
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
        if (const int at = number(); at > 0)
            Doc.SetArmed(at, armed);
    });
    connect(f, &TFrame2::PointerMoved, this, [this] { Tools.ResetPointerFeedback(); });
    const int height = Timeline.LaneHeight();
    f->SetHeight(height);
    f->Show(Doc.Track(track), track, AllTrackFields);
    f->setGeometry(0, (track - 1) * height, width(), height);
    f->show();
    return *f;
}

void TrackHeaderColumn::BuildRowsInView() {
    const int count = Doc.TrackCount();
    const int height = std::max(1, Timeline.LaneHeight());
    if (count == 0)
        return;
    // Never less than a tall screen's worth, so that a column not laid out yet still builds
    // what a window will show. The rows out of view are built as they come into it: a big
    // show's window does not wait for headers nobody sees yet.
    const std::int64_t top = Scroll.VerticalOffset();
    const std::int64_t bottom = top + std::max(this->height(), 1200);
    const int first = static_cast<int>(std::clamp<std::int64_t>(top / height + 1, 1, count));
    const int last = static_cast<int>(std::clamp<std::int64_t>(bottom / height + 1, 1, count));
    for (int k = first; k <= last; ++k)
        if (auto* slot = dynamic_cast<TrackHeaderSlot*>(Doc.Track(k).Header.get()))
            Build(*slot, k);
}

void TrackHeaderColumn::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (event->size().height() > event->oldSize().height())
        BuildRowsInView();
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

std::optional<QPoint> TrackHeaderColumn::TypeOutputMenuPosition(int track) {
    if (track < 1 || track > Doc.TrackCount())
        return std::nullopt;
    const TFrame2* frame = BuildFrame(track);
    if (!frame)
        return std::nullopt;
    // The frame gives the place on the screen already.
    return frame->TypeOutputMenuPosition();
}

void TrackHeaderColumn::ApplyLanguage(Language language) {
    HeaderLanguage = language;
    for (const TFullTrack* track : Doc.Tracks())
        if (TFrame2* frame = FrameOf(*track))
            frame->ApplyLanguage(language);
}

void TrackHeaderColumn::FollowVerticalOffset(std::int64_t offset) {
    BuildRowsInView();
    Stack->move(0, -static_cast<int>(offset));
}

} // namespace lumivox
