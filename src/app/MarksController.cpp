#include "app/MarksController.h"

#include "app/MainMenus.h"
#include "app/MarksMenu.h"
#include "audio/decode/SongLoader.h"
#include "audio/playback/MediaPlayer.h"
#include "core/TimeAxis.h"
#include "editing/BlockCommands.h"
#include "editing/KeyboardControl.h"
#include "editing/RangeSelection.h"
#include "editing/TimelineGeometry.h"
#include "model/ShowDocument.h"
#include "persistence/Preferences.h"
#include "show/FollowPaging.h"
#include "show/Transport.h"
#include "timeline/RulerView.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

#include <algorithm>

namespace lumivox {

namespace {

// How near the play cursor a mark counts as the one at the cursor, in pixels.
constexpr int CursorMarkPixels = 4;
// While the song plays, a jump back from just after a mark goes to the mark before it, so
// that pressing again and again walks back instead of landing on the same mark each time.
constexpr std::int64_t MarkJumpGraceMs = 300;

} // namespace

MarksController::MarksController(TParts parts, TWidgets widgets, QObject* parent)
    : QObject(parent), Parts(std::move(parts)), Widgets(widgets),
      Edits(Parts.Doc, Parts.Ui, Parts.Player, Parts.History, Parts.Lang) {
    MarkMenu = new TMarksMenu(Widgets.Bar, Widgets.Menus.Options1->menuAction(), Widgets.Window);
    ConnectMarks();
    ConnectSnap();
}

MarksController::~MarksController() = default;

void MarksController::ApplyTexts(Language language) {
    MarkMenu->ApplyTexts(language);
}

int MarksController::MarkAtCursor() const {
    if (!Parts.Player.IsOpen())
        return -1;
    const long double tolerance = TimeAxis::MsOfX(CursorMarkPixels, Parts.Timeline.HorzZoom());
    return Parts.Doc.Marks().Nearest(static_cast<int>(Parts.Player.PositionMs()),
                                     static_cast<int>(tolerance));
}

void MarksController::ConnectMarks() {
    TMarksMenu& m = *MarkMenu;
    RulerView& ruler = Widgets.Ruler;
    ShowDocument& doc = Parts.Doc;
    TBeatFinder& beats = Parts.Songs.SongBeats();

    ruler.SetTiming(&doc.Marks(), &beats.Beats());
    connect(&doc, &ShowDocument::MarksChanged, &ruler, &RulerView::MarksChanged);
    connect(&doc, &ShowDocument::Reset, &ruler, &RulerView::MarksChanged);
    connect(&beats, &TBeatFinder::BeatsChanged, &ruler, &RulerView::BeatsChanged);

    connect(m.AddMark1, &QAction::triggered, this, [this] { Edits.Tap(); });
    connect(m.RenameMark1, &QAction::triggered, this, [this] { Edits.Rename(MarkAtCursor()); });
    connect(m.DeleteMark1, &QAction::triggered, this, [this] { Edits.Remove(MarkAtCursor()); });
    connect(m.Marks1, &QMenu::aboutToShow, this, [this, &m] {
        const bool atCursor = MarkAtCursor() >= 0;
        m.AddMark1->setEnabled(Parts.Player.IsOpen());
        m.RenameMark1->setEnabled(atCursor);
        m.DeleteMark1->setEnabled(atCursor);
        ListMarksPastEnd();
    });
    connect(m.DeletePastEnd1, &QAction::triggered, this, [this] { Edits.RemovePastEnd(); });

    connect(&ruler, &RulerView::AddMarkRequested, this,
            [this](std::int64_t ms) { Edits.AddAt(ms); });
    connect(&ruler, &RulerView::MoveMarkRequested, this,
            [this](int index, std::int64_t ms) { Edits.Move(index, ms); });
    connect(&ruler, &RulerView::RenameMarkRequested, this,
            [this](int index) { Edits.Rename(index); });
    connect(&ruler, &RulerView::MarkMenuRequested, this,
            [this, &m](int index, std::int64_t ms, QPoint globalPos) {
                ContextMark = index;
                ContextMarkMs = ms;
                (index >= 0 ? m.PopupMenu6 : m.PopupMenu7)->popup(globalPos);
            });
    connect(m.RenameMark2, &QAction::triggered, this, [this] { Edits.Rename(ContextMark); });
    connect(m.DeleteMark2, &QAction::triggered, this, [this] { Edits.Remove(ContextMark); });
    connect(m.AddMarkHere1, &QAction::triggered, this, [this] { Edits.AddAt(ContextMarkMs); });
}

// The marks past the song's end, each listed with its time, and the entry that deletes them;
// the submenu only shows when there are some.
void MarksController::ListMarksPastEnd() {
    TMarksMenu& m = *MarkMenu;
    const std::vector<int> past = Edits.PastEnd();
    for (QAction* listed : m.PastEnd1->actions()) {
        if (listed != m.DeletePastEnd1 && !listed->isSeparator()) {
            m.PastEnd1->removeAction(listed);
            listed->deleteLater();
        }
    }
    for (const int index : past) {
        const TShowMark& mark = Parts.Doc.Marks()[index];
        QAction* listed = m.PastEnd1->addAction(
            QStringLiteral("%1  %2").arg(Transport::FormatTime(mark.Ms), mark.Name));
        listed->setEnabled(false);
    }
    m.PastEnd1->menuAction()->setVisible(!past.empty());
}

void MarksController::ConnectSnap() {
    TMainMenus& m = Widgets.Menus;
    connect(&Widgets.SnapButton, &QToolButton::toggled, m.Snap1, &QAction::setChecked);
    connect(m.Snap1, &QAction::toggled, this, [this](bool on) {
        SetSnap(on);
        Parts.Prefs.SetSnapOn(on);
    });
    SetSnap(Parts.Prefs.SnapOn());

    connect(&Parts.Songs.SongBeats(), &TBeatFinder::BeatsChanged, this, [this] {
        SnapGuides.SetBeats(SongBeatTimes());
        Parts.StatesChanged();
    });
    // A bulk update announces its marks with the Reset that ends it.
    auto followMarks = [this] {
        SnapGuides.SetMarks(Parts.Doc.Marks());
        Parts.StatesChanged();
    };
    connect(&Parts.Doc, &ShowDocument::MarksChanged, this, followMarks);
    connect(&Parts.Doc, &ShowDocument::Reset, this, followMarks);
    SnapGuides.SetBeats(SongBeatTimes());
    SnapGuides.SetMarks(Parts.Doc.Marks());

    connect(m.BlockFlashBeats1, &QAction::triggered, this,
            [this] { Parts.Blocks.FlashOnBeats(SongBeatTimes()); });
    connect(m.BlockChaseBeats1, &QAction::triggered, this,
            [this] { Parts.Blocks.ChaseOnBeats(SongBeatTimes()); });
    connect(m.PreviousMark1, &QAction::triggered, this, [this] { JumpToMark(false); });
    connect(m.NextMark1, &QAction::triggered, this, [this] { JumpToMark(true); });
}

void MarksController::SetSnap(bool on) {
    SnapGuides.SetEnabled(on);
    Widgets.Menus.Snap1->setChecked(on);
    Widgets.SnapButton.setChecked(on);
}

const std::vector<double>& MarksController::SongBeatTimes() const {
    static const std::vector<double> none;
    const TBeatFinder& beats = Parts.Songs.SongBeats();
    return beats.HasBeats() ? beats.Beats().BeatsMs : none;
}

void MarksController::ApplyStates() {
    TMainMenus& m = Widgets.Menus;
    const bool operate = !Parts.Range.Empty() && SnapGuides.HasBeats();
    m.BlockFlashBeats1->setEnabled(operate);
    m.BlockChaseBeats1->setEnabled(operate);
    const bool jump = Parts.Player.IsOpen() && !Parts.Doc.Marks().empty();
    m.PreviousMark1->setEnabled(jump);
    m.NextMark1->setEnabled(jump);
}

bool MarksController::Inverted(Qt::KeyboardModifiers modifiers) const {
    return (modifiers & Qt::AltModifier) || Parts.Keys.ModifierKey() == TModifierKey::Alt;
}

int MarksController::SnappedSlot(std::int64_t contentX, int slot, bool invert) const {
    if (!Parts.HasWaveform() || contentX < 0)
        return slot;
    const TimeAxis axis = Parts.Timeline.Axis();
    const auto ms = static_cast<std::int64_t>(axis.MsOfX(static_cast<long double>(contentX)));
    const TSnapResult snap = SnapGuides.Snap(ms, axis.PixelsPerMs(), invert);
    return snap.Snapped() ? TSnapGuides::SlotOfMs(snap.Ms, Parts.SlotMs()) : slot;
}

TLanesHit MarksController::SnappedHit(const TLanesHit& hit) const {
    if (hit.Cell < 1 || hit.Track < 1)
        return hit;
    const int slot = SnappedSlot(hit.ContentX, -1, Inverted(hit.Modifiers));
    if (slot < 1)
        return hit;
    const TimelineGeometry& timeline = Parts.Timeline;
    const int cell = (slot - 1) / std::max(timeline.SlotsPerCell(), 1) + 1;
    if (cell == hit.Cell || cell > timeline.LastEditableCell())
        return hit;
    TLanesHit snapped = hit;
    snapped.Cell = cell;
    snapped.Slots = timeline.EditableSlots(cell);
    snapped.CellPixels = timeline.CellSpan(cell);
    return snapped;
}

void MarksController::LocateAt(int viewX, bool invert) {
    const std::optional<std::int64_t> pressed = Parts.Paging.PressedMs(viewX);
    if (!pressed || !Parts.Player.IsOpen())
        return;
    const std::int64_t ms = *pressed;
    // Snapping at the ruler's own scale: the song's length across the timeline's width.
    const long double pixelsPerMs = Parts.Timeline.Axis().CursorPixelsPerMs();
    if (ms >= 0 && pixelsPerMs > 0.0L) {
        if (const TSnapResult snap = SnapGuides.Snap(ms, pixelsPerMs, invert); snap.Snapped()) {
            Parts.Motion.JumpToMs(snap.Ms);
            return;
        }
    }
    Parts.Motion.Locate(ms);
}

void MarksController::JumpToMark(bool next) {
    const IMediaPlayer& player = Parts.Player;
    if (!player.IsOpen())
        return;
    const std::int64_t position = player.PositionMs();
    const bool playing = player.Mode() == TMediaMode::Playing;
    const std::int64_t grace = !next && playing ? MarkJumpGraceMs : 0;
    const std::optional<std::int64_t> mark =
        next ? SnapGuides.NextMark(position) : SnapGuides.PreviousMark(position - grace);
    if (mark)
        Parts.Motion.JumpToMs(*mark);
}

} // namespace lumivox
