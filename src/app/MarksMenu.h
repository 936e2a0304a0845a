// The Marks menu of the menu bar and the ruler's two pop-up menus: one over a mark's flag,
// one over the empty ruler; every entry with its name and shortcut, the captions from the
// language tables.
#pragma once

#include "core/LanguageTables.h"

#include <QObject>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace lumivox {

class TMarksMenu : public QObject {
    Q_OBJECT
public:
    // Puts the Marks menu into `menuBar` before `before` (at the end when null); pop-up
    // menus are parented to `window`.
    TMarksMenu(QMenuBar* menuBar, QAction* before, QWidget* window);

    void ApplyTexts(Language language);

    // Marks: M adds a mark where the song is heard (at the play cursor when it is not
    // playing); Rename and Delete act on the mark at the play cursor.
    QMenu* Marks1;
    QAction *AddMark1, *RenameMark1, *DeleteMark1;
    // Marks past the end of the song (a shorter song replaced the one they were made on): the
    // submenu lists them and deletes them; it shows only while there are some.
    QMenu* PastEnd1;
    QAction* DeletePastEnd1;
    // Over a flag of the ruler.
    QMenu* PopupMenu6;
    QAction *RenameMark2, *DeleteMark2;
    // Over the ruler off the flags.
    QMenu* PopupMenu7;
    QAction* AddMarkHere1;
};

} // namespace lumivox
