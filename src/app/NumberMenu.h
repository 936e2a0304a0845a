// A menu of the numbers 0 to 255 in eight groups of 32 ("000 ... 031" to "224 ... 255"),
// each group shown as four columns of eight: the output menu and the draw-value menu.
#pragma once

#include <QObject>
#include <QString>

#include <array>

class QAction;
class QIcon;
class QMenu;

namespace lumivox {

class TNumberMenu : public QObject {
    Q_OBJECT
public:
    // Appends the eight group sub-menus to `parent`; group g is named namePrefix + g.
    TNumberMenu(QMenu* parent, const QString& namePrefix);

    // The item of `number` (0..255): its text is "%.3d", its data the number.
    QAction* Item(int number) const { return Items.at(static_cast<std::size_t>(number)); }
    // The sub-menu of group 1..8.
    QMenu* Group(int group) const { return Groups.at(static_cast<std::size_t>(group - 1)); }
    void SetIcon(const QIcon& icon);

Q_SIGNALS:
    void Picked(int number, const QString& caption);

private:
    std::array<QMenu*, 8> Groups{};
    std::array<QAction*, 256> Items{};
};

} // namespace lumivox
