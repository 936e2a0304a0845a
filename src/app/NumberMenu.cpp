// Number menus laid out in columns: each group is one widget of flat buttons, each button
// showing the item's action, so enabling an item greys its button.
#include "app/NumberMenu.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QIcon>
#include <QMenu>
#include <QToolButton>
#include <QWidget>
#include <QWidgetAction>

namespace lumivox {

namespace {

QString ThreeDigits(int number) {
    return QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0'));
}

// Closes the whole chain of open pop-up menus once an item was picked from a grid.
void CloseOpenPopups() {
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
}

} // namespace

TNumberMenu::TNumberMenu(QMenu* parent, const QString& namePrefix) : QObject(parent) {
    constexpr int PerGroup = 32;
    constexpr int PerColumn = 8;
    for (int g = 0; g < 8; ++g) {
        QMenu* group = parent->addMenu(ThreeDigits(g * PerGroup) + QStringLiteral(" ... ") +
                                       ThreeDigits(g * PerGroup + PerGroup - 1));
        group->setObjectName(namePrefix + QString::number(g + 1));
        group->menuAction()->setData(g + 1);
        Groups[static_cast<std::size_t>(g)] = group;

        auto* grid = new QWidget(group);
        auto* layout = new QGridLayout(grid);
        layout->setContentsMargins(2, 2, 2, 2);
        layout->setSpacing(0);
        for (int i = 0; i < PerGroup; ++i) {
            const int number = g * PerGroup + i;
            auto* item = new QAction(ThreeDigits(number), group);
            item->setObjectName(namePrefix + QStringLiteral("Item") + QString::number(number));
            item->setData(number);
            connect(item, &QAction::triggered, this, [this, item, number] {
                CloseOpenPopups();
                Q_EMIT Picked(number, item->text());
            });
            Items[static_cast<std::size_t>(number)] = item;

            auto* button = new QToolButton(grid);
            button->setDefaultAction(item);
            button->setAutoRaise(true);
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
            button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
            layout->addWidget(button, i % PerColumn, i / PerColumn);
        }
        auto* holder = new QWidgetAction(group);
        holder->setDefaultWidget(grid);
        group->addAction(holder);
    }
}

void TNumberMenu::SetIcon(const QIcon& icon) {
    for (QMenu* group : Groups)
        group->setIcon(icon);
    for (QAction* item : Items)
        item->setIcon(icon);
}

} // namespace lumivox
