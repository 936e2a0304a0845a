// The mark menus and their captions.
#include "app/MarksMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace lumivox {

namespace {

QAction* Item(QMenu* menu, const char* name, const QKeySequence& shortcut = {}) {
    auto* action = menu->addAction(QString::fromLatin1(name));
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    return action;
}

QMenu* Popup(QWidget* window, const char* name) {
    auto* menu = new QMenu(window);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

} // namespace

TMarksMenu::TMarksMenu(QMenuBar* menuBar, QAction* before, QWidget* window) : QObject(window) {
    Marks1 = new QMenu(QStringLiteral("Marks"), menuBar);
    Marks1->setObjectName(QStringLiteral("Marks1"));
    if (before != nullptr)
        menuBar->insertMenu(before, Marks1);
    else
        menuBar->addMenu(Marks1);
    AddMark1 = Item(Marks1, "AddMark1", QKeySequence(Qt::Key_M));
    Marks1->addSeparator();
    RenameMark1 = Item(Marks1, "RenameMark1");
    DeleteMark1 = Item(Marks1, "DeleteMark1");
    PastEnd1 = new QMenu(Marks1);
    PastEnd1->setObjectName(QStringLiteral("PastEnd1"));
    Marks1->addMenu(PastEnd1);
    PastEnd1->menuAction()->setVisible(false);
    DeletePastEnd1 = Item(PastEnd1, "DeletePastEnd1");
    PastEnd1->addSeparator();

    PopupMenu6 = Popup(window, "PopupMenu6");
    RenameMark2 = Item(PopupMenu6, "RenameMark2");
    DeleteMark2 = Item(PopupMenu6, "DeleteMark2");
    PopupMenu7 = Popup(window, "PopupMenu7");
    AddMarkHere1 = Item(PopupMenu7, "AddMarkHere1");
}

void TMarksMenu::ApplyTexts(Language language) {
    auto tr = [language](int entry) { return Text(TextTable::MarksText, entry, language); };
    Marks1->setTitle(tr(MarksText::Menu));
    AddMark1->setText(tr(MarksText::AddMark));
    RenameMark1->setText(tr(MarksText::RenameMark));
    DeleteMark1->setText(tr(MarksText::DeleteMark));
    PastEnd1->setTitle(Text(TextTable::FileText, FileText::PastEndMenu, language));
    DeletePastEnd1->setText(Text(TextTable::FileText, FileText::DeletePastEnd, language));
    RenameMark2->setText(tr(MarksText::Rename));
    DeleteMark2->setText(tr(MarksText::Delete));
    AddMarkHere1->setText(tr(MarksText::AddMarkHere));
}

} // namespace lumivox
