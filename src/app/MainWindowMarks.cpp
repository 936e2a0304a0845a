// The show's marks in the window: the Marks menu and its key, the flags and beats of the
// ruler, the ruler's mouse editing and its pop-up menus.
#include "app/MainWindow.h"
#include "app/MarksMenu.h"
#include "timeline/RulerView.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace lumivox {

namespace {

// How near the play cursor a mark counts as the one at the cursor, in pixels.
constexpr int CursorMarkPixels = 4;

} // namespace

int TForm1::MarkAtCursor() const {
    if (!MediaPlayer->IsOpen())
        return -1;
    const long double tolerance = TimeAxis::MsOfX(CursorMarkPixels, Timeline.HorzZoom());
    return Doc.Marks().Nearest(static_cast<int>(MediaPlayer->PositionMs()),
                               static_cast<int>(tolerance));
}

void TForm1::ConnectMarks() {
    MarkMenu = new TMarksMenu(menuBar(), Menu->Options1->menuAction(), this);
    TMarksMenu& m = *MarkMenu;
    MarkCommands& marks = *MarkCmds;

    RulerArea->SetTiming(&Doc.Marks(), &Loader->SongBeats().Beats());
    connect(&Doc, &ShowDocument::MarksChanged, RulerArea, &RulerView::MarksChanged);
    connect(&Doc, &ShowDocument::Reset, RulerArea, &RulerView::MarksChanged);
    connect(&Loader->SongBeats(), &TBeatFinder::BeatsChanged, RulerArea, &RulerView::BeatsChanged);

    connect(m.AddMark1, &QAction::triggered, this, [&marks] { marks.Tap(); });
    connect(m.RenameMark1, &QAction::triggered, this,
            [this, &marks] { marks.Rename(MarkAtCursor()); });
    connect(m.DeleteMark1, &QAction::triggered, this,
            [this, &marks] { marks.Remove(MarkAtCursor()); });
    connect(m.Marks1, &QMenu::aboutToShow, this, [this, &m, &marks] {
        const bool song = MediaPlayer->IsOpen();
        const bool atCursor = MarkAtCursor() >= 0;
        m.AddMark1->setEnabled(song);
        m.RenameMark1->setEnabled(atCursor);
        m.DeleteMark1->setEnabled(atCursor);
        // The marks past the song's end, each listed with its time, and the entry that deletes
        // them; the submenu only shows when there are some.
        const std::vector<int> past = marks.PastEnd();
        for (QAction* listed : m.PastEnd1->actions()) {
            if (listed != m.DeletePastEnd1 && !listed->isSeparator()) {
                m.PastEnd1->removeAction(listed);
                listed->deleteLater();
            }
        }
        for (const int index : past) {
            const TShowMark& mark = Doc.Marks()[index];
            QAction* listed = m.PastEnd1->addAction(
                QStringLiteral("%1  %2").arg(Transport::FormatTime(mark.Ms), mark.Name));
            listed->setEnabled(false);
        }
        m.PastEnd1->menuAction()->setVisible(!past.empty());
    });
    connect(m.DeletePastEnd1, &QAction::triggered, this, [&marks] { marks.RemovePastEnd(); });

    connect(RulerArea, &RulerView::AddMarkRequested, this,
            [&marks](std::int64_t ms) { marks.AddAt(ms); });
    connect(RulerArea, &RulerView::MoveMarkRequested, this,
            [&marks](int index, std::int64_t ms) { marks.Move(index, ms); });
    connect(RulerArea, &RulerView::RenameMarkRequested, this,
            [&marks](int index) { marks.Rename(index); });
    connect(RulerArea, &RulerView::MarkMenuRequested, this,
            [this, &m](int index, std::int64_t ms, QPoint globalPos) {
                ContextMark = index;
                ContextMarkMs = ms;
                (index >= 0 ? m.PopupMenu6 : m.PopupMenu7)->popup(globalPos);
            });
    connect(m.RenameMark2, &QAction::triggered, this,
            [this, &marks] { marks.Rename(ContextMark); });
    connect(m.DeleteMark2, &QAction::triggered, this,
            [this, &marks] { marks.Remove(ContextMark); });
    connect(m.AddMarkHere1, &QAction::triggered, this,
            [this, &marks] { marks.AddAt(ContextMarkMs); });
}

} // namespace lumivox
