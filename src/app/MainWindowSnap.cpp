// The main window's side of snapping: the Snap button, menu entry and preference, the guides
// kept in step with the song's beats and the show's marks, the snapped pointer of the
// selection, the tools, Paste and Locate, the jumps from mark to mark and the block
// operations on beats.
#include "app/MainWindow.h"

#include "editing/TimelineScroll.h"
#include "persistence/Preferences.h"

#include <QAction>
#include <QGuiApplication>
#include <QToolButton>

#include <algorithm>

namespace lumivox {

namespace {
// While the song plays, a jump back from just after a mark goes to the mark before it, so
// that pressing again and again walks back instead of landing on the same mark each time.
constexpr std::int64_t MarkJumpGraceMs = 300;
} // namespace

void TForm1::ConnectSnap() {
    TMainMenus& m = *Menu;
    connect(SnapButton, &QToolButton::toggled, m.Snap1, &QAction::setChecked);
    connect(m.Snap1, &QAction::toggled, this, [this](bool on) {
        SetSnap(on);
        Preference->SetSnapOn(on);
    });
    SetSnap(Preference->SnapOn());

    connect(&Loader->SongBeats(), &TBeatFinder::BeatsChanged, this, [this] {
        Guides.SetBeats(SongBeatTimes());
        ApplyBlockStates();
    });
    // A bulk update announces its marks with the Reset that ends it.
    auto followMarks = [this] {
        Guides.SetMarks(Doc.Marks());
        ApplyBlockStates();
    };
    connect(&Doc, &ShowDocument::MarksChanged, this, followMarks);
    connect(&Doc, &ShowDocument::Reset, this, followMarks);
    Guides.SetBeats(SongBeatTimes());
    Guides.SetMarks(Doc.Marks());

    BlockCommands& b = *BlockCmds;
    connect(m.BlockFlashBeats1, &QAction::triggered, this,
            [this, &b] { b.FlashOnBeats(SongBeatTimes()); });
    connect(m.BlockChaseBeats1, &QAction::triggered, this,
            [this, &b] { b.ChaseOnBeats(SongBeatTimes()); });
    connect(m.PreviousMark1, &QAction::triggered, this, [this] { JumpToMark(false); });
    connect(m.NextMark1, &QAction::triggered, this, [this] { JumpToMark(true); });
}

void TForm1::SetSnap(bool on) {
    Guides.SetEnabled(on);
    Menu->Snap1->setChecked(on);
    SnapButton->setChecked(on);
}

const std::vector<double>& TForm1::SongBeatTimes() const {
    static const std::vector<double> none;
    const TBeatFinder& beats = Loader->SongBeats();
    return beats.HasBeats() ? beats.Beats().BeatsMs : none;
}

void TForm1::ApplySnapStates() {
    TMainMenus& m = *Menu;
    const bool operate = !Range->Empty() && Guides.HasBeats();
    m.BlockFlashBeats1->setEnabled(operate);
    m.BlockChaseBeats1->setEnabled(operate);
    const bool jump = MediaPlayer->IsOpen() && !Doc.Marks().empty();
    m.PreviousMark1->setEnabled(jump);
    m.NextMark1->setEnabled(jump);
}

bool TForm1::SnapInverted(Qt::KeyboardModifiers modifiers) const {
    return (modifiers & Qt::AltModifier) || Keyboard->ModifierKey() == TModifierKey::Alt;
}

int TForm1::SnappedSlot(std::int64_t contentX, int slot, bool invert) const {
    if (!HasWaveform() || contentX < 0)
        return slot;
    const TimeAxis axis = Timeline.Axis();
    const auto ms = static_cast<std::int64_t>(axis.MsOfX(static_cast<long double>(contentX)));
    const TSnapResult snap = Guides.Snap(ms, axis.PixelsPerMs(), invert);
    return snap.Snapped() ? TSnapGuides::SlotOfMs(snap.Ms, SlotMs()) : slot;
}

TLanesHit TForm1::SnappedHit(const TLanesHit& hit) const {
    if (hit.Cell < 1 || hit.Track < 1)
        return hit;
    const int slot = SnappedSlot(hit.ContentX, -1, SnapInverted(hit.Modifiers));
    if (slot < 1)
        return hit;
    const int cell = (slot - 1) / std::max(Timeline.SlotsPerCell(), 1) + 1;
    if (cell == hit.Cell || cell > Timeline.LastEditableCell())
        return hit;
    TLanesHit snapped = hit;
    snapped.Cell = cell;
    snapped.Slots = Timeline.EditableSlots(cell);
    snapped.CellPixels = Timeline.CellSpan(cell);
    return snapped;
}

void TForm1::LocateAt(int viewX, bool invert) {
    const std::optional<std::int64_t> pressed = Paging->PressedMs(viewX);
    if (!pressed || !MediaPlayer->IsOpen())
        return;
    const std::int64_t ms = *pressed;
    // Snapping at the ruler's own scale: the song's length across the timeline's width.
    const long double pixelsPerMs = Timeline.Axis().CursorPixelsPerMs();
    if (ms >= 0 && pixelsPerMs > 0.0L) {
        if (const TSnapResult snap = Guides.Snap(ms, pixelsPerMs, invert); snap.Snapped()) {
            TransportControl->JumpToMs(snap.Ms);
            return;
        }
    }
    TransportControl->Locate(ms);
}

void TForm1::JumpToMark(bool next) {
    if (!MediaPlayer->IsOpen())
        return;
    const std::int64_t position = MediaPlayer->PositionMs();
    const std::int64_t grace = !next && SongPlaying() ? MarkJumpGraceMs : 0;
    const std::optional<std::int64_t> mark =
        next ? Guides.NextMark(position) : Guides.PreviousMark(position - grace);
    if (mark)
        TransportControl->JumpToMs(*mark);
}

} // namespace lumivox
