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
    connect(&Doc, &ShowDocument::TracksAdded, this, &TrackHeaderColumn::RowsAdded);
    connect(&Doc, &ShowDocument::TracksRemoved, this, &TrackHeaderColumn::RowsRemoved);
    // The rows keep their widgets in place: those of moved tracks show their new tracks.
    connect(&Doc, &ShowDocument::TracksMoved, this,
            [this](int first, int last) { ShowRows(first, last, AllTrackFields); });
    connect(&Doc, &ShowDocument::TrackChanged, this,
            [this](int number, TTrackFields fields) { ShowRows(number, number, fields); });
    connect(&Doc, &ShowDocument::BulkUpdateStarted, this, [this] { hide(); });
    connect(&Doc, &ShowDocument::Reset, this, [this] {
        RowsReset();
        show();
    });
    RowsReset();
}

void TrackHeaderColumn::RowsAdded(int first, int last) {
    first = std::clamp(first, 1, static_cast<int>(Rows.size()) + 1);
    for (int k = first; k <= last; ++k)
        Rows.insert(Rows.begin() + (k - 1), std::make_unique<TrackHeaderSlot>(*this));
    LayoutHeaders();
}

void TrackHeaderColumn::RowsRemoved(int first, int last) {
    const int count = static_cast<int>(Rows.size());
    first = std::max(first, 1);
    last = std::min(last, count);
    if (first <= last)
        Rows.erase(Rows.begin() + (first - 1), Rows.begin() + last);
    LayoutHeaders();
}

void TrackHeaderColumn::ShowRows(int first, int last, TTrackFields fields) {
    last = std::min({last, Doc.TrackCount(), static_cast<int>(Rows.size())});
    for (int k = std::max(first, 1); k <= last; ++k)
        if (TFrame2* frame = Rows[static_cast<std::size_t>(k - 1)]->Frame())
            frame->Show(Doc.Track(k), k, fields);
}

void TrackHeaderColumn::RowsReset() {
    // After a bulk update the list may be a new one: the rows are as many as the tracks and
    // the built ones show their track whole.
    const auto count = static_cast<std::size_t>(Doc.TrackCount());
    if (Rows.size() > count)
        Rows.resize(count);
    while (Rows.size() < count)
        Rows.push_back(std::make_unique<TrackHeaderSlot>(*this));
    ShowRows(1, Doc.TrackCount(), AllTrackFields);
    LayoutHeaders();
}

int TrackHeaderColumn::RowOf(const TrackHeaderSlot* slot) const {
    for (std::size_t i = 0; i < Rows.size(); ++i)
        if (Rows[i].get() == slot)
            return static_cast<int>(i) + 1;
    return -1;
}

TrackHeaderSlot::TrackHeaderSlot(TrackHeaderColumn& column) : Column(column) {}

TrackHeaderSlot::~TrackHeaderSlot() = default;

void TrackHeaderSlot::OpenCaptionEditor(const QString& text) {
    if (TFrame2* frame = Column.BuildFrame(Column.RowOf(this)))
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

TFrame2* TrackHeaderColumn::Frame(int track) const {
    if (track < 1 || track > static_cast<int>(Rows.size()))
        return nullptr;
    return Rows[static_cast<std::size_t>(track - 1)]->Frame();
}

TFrame2* TrackHeaderColumn::BuildFrame(int track) {
    if (track < 1 || track > Doc.TrackCount() || track > static_cast<int>(Rows.size()))
        return nullptr;
    return &Build(*Rows[static_cast<std::size_t>(track - 1)], track);
}

ICaptionEditor* TrackHeaderColumn::CaptionEditor(int track) {
    if (track < 1 || track > static_cast<int>(Rows.size()))
        return nullptr;
    return Rows[static_cast<std::size_t>(track - 1)].get();
}

TFrame2& TrackHeaderColumn::Build(TrackHeaderSlot& slot, int track) {
    if (slot.Widget)
        return *slot.Widget;
    slot.Widget = std::make_unique<TFrame2>(Stack, HeaderLanguage);
    TFrame2* f = slot.Widget.get();
    const TrackHeaderSlot* row = &slot;
    auto number = [this, row] { return RowOf(row); };
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
    for (int k = first; k <= std::min(last, static_cast<int>(Rows.size())); ++k)
        Build(*Rows[static_cast<std::size_t>(k - 1)], k);
}

void TrackHeaderColumn::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (event->size().height() > event->oldSize().height())
        BuildRowsInView();
}

void TrackHeaderColumn::LayoutHeaders() {
    const int height = Timeline.LaneHeight();
    for (int k = 1; k <= static_cast<int>(Rows.size()); ++k)
        if (TFrame2* frame = Frame(k)) {
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
    for (const auto& row : Rows)
        if (TFrame2* frame = row->Frame())
            frame->ApplyLanguage(language);
}

void TrackHeaderColumn::FollowVerticalOffset(std::int64_t offset) {
    BuildRowsInView();
    Stack->move(0, -static_cast<int>(offset));
}

} // namespace lumivox
