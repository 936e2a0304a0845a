// What the window tells the user besides its message boxes: the time under the pointer, the
// file an export wrote, how to begin while no show is open, and the list of keyboard shortcuts.
#include "app/MainWindow.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <set>
#include <utility>

namespace lumivox {

namespace {

// How long a notice stays in the status bar.
constexpr int NoticeMs = 15000;

// A menu entry's caption as the list shows it: without its accelerator marks or dots.
QString PlainCaption(QString text) {
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    text.replace(QStringLiteral("&&"), QStringLiteral("&"));
    if (text.endsWith(QStringLiteral("...")))
        text.chop(3);
    return text.trimmed();
}

// Every entry of `menu` and of its submenus that has a shortcut, as (keys, "Menu > Entry").
void CollectShortcuts(const QMenu* menu, const QString& path,
                      std::vector<std::pair<QString, QString>>& rows,
                      std::set<std::pair<QString, QString>>& seen) {
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        const QString caption = PlainCaption(action->text());
        const QString where = path.isEmpty() ? caption : path + QStringLiteral(" > ") + caption;
        if (QMenu* sub = action->menu()) {
            CollectShortcuts(sub, where, rows, seen);
            continue;
        }
        QStringList keys;
        for (const QKeySequence& sequence : action->shortcuts())
            keys << sequence.toString(QKeySequence::NativeText);
        if (keys.isEmpty() || caption.isEmpty())
            continue;
        std::pair<QString, QString> row{keys.join(QStringLiteral(", ")), where};
        if (seen.insert(row).second)
            rows.push_back(std::move(row));
    }
}

} // namespace

void TForm1::BuildNotices() {
    NoticeTimer = new QTimer(this);
    NoticeTimer->setSingleShot(true);
    NoticeTimer->setInterval(NoticeMs);
    connect(NoticeTimer, &QTimer::timeout, NoticeReadOut, &QLabel::clear);
    // The time under the pointer, read where the lanes put it.
    connect(LanesArea, &LanesView::MouseMoved, this, [this](const TLanesHit& hit) {
        if (!MediaPlayer->IsOpen() || hit.ContentX < 0) {
            PointerReadOut->clear();
            return;
        }
        const auto ms = static_cast<std::int64_t>(
            TimeAxis::MsOfX(static_cast<long double>(hit.ContentX), Timeline.HorzZoom()));
        PointerReadOut->setText(Text(TextTable::ShellText, ShellText::PointerTime, Lang)
                                    .arg(Transport::FormatTime(std::max<std::int64_t>(ms, 0))));
    });
    connect(Menu->Shortcuts1, &QAction::triggered, this, &TForm1::ShowShortcuts);
}

void TForm1::ApplyNoticeTexts() {
    LanesArea->SetEmptyHint(Text(TextTable::ShellText, ShellText::EmptyHint, Lang));
    PointerReadOut->clear();
}

void TForm1::ShowNotice(const QString& text) {
    NoticeReadOut->setText(text);
    NoticeReadOut->setToolTip(text);
    NoticeTimer->start();
}

void TForm1::ExportDone(TSequenceExport::Result result) {
    const QString& written = Life->Exporter().WrittenPath();
    if (result == TSequenceExport::Result::Declined || result == TSequenceExport::Result::Failed ||
        written.isEmpty())
        return;
    ShowNotice(Text(TextTable::FileText, FileText::WrittenStatus, Lang)
                   .arg(QDir::toNativeSeparators(written)));
}

void TForm1::ShowShortcuts() {
    // Built each time from the menus as they stand, so it lists every key in the language
    // shown, the keys of later entries included.
    delete ShortcutsDialog;
    ShortcutsDialog = new QDialog(this);
    ShortcutsDialog->setObjectName(QStringLiteral("ShortcutsDialog"));
    ShortcutsDialog->setWindowTitle(Text(TextTable::ShellText, ShellText::ShortcutsTitle, Lang));
    std::vector<std::pair<QString, QString>> rows;
    std::set<std::pair<QString, QString>> seen;
    for (QAction* top : menuBar()->actions())
        if (QMenu* menu = top->menu())
            CollectShortcuts(menu, PlainCaption(menu->title()), rows, seen);
    for (QMenu* popup : findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly))
        CollectShortcuts(popup, QString(), rows, seen);
    // Keys and gestures that are no menu entry; a gesture's text names its keys before ": ".
    auto native = [](const QKeySequence& sequence) {
        return sequence.toString(QKeySequence::NativeText);
    };
    const std::pair<QString, int> others[] = {
        {native(QKeySequence(Qt::Key_Space)), ShellText::PlayPause},
        {native(QKeySequence(Qt::Key_Home)) + QStringLiteral(", ") +
             native(QKeySequence(Qt::Key_End)),
         ShellText::CursorEnds},
        {native(QKeySequence(Qt::Key_Left)) + QStringLiteral(", ") +
             native(QKeySequence(Qt::Key_Right)),
         ShellText::CursorStep},
        {native(QKeySequence(Qt::SHIFT | Qt::Key_Left)) + QStringLiteral(" ... ") +
             native(QKeySequence(Qt::SHIFT | Qt::Key_Down)),
         ShellText::GrowRange},
        {QString(), ShellText::ShiftDrag},
        {QString(), ShellText::CtrlDrag},
        {QString(), ShellText::AltDrag},
        {QString(), ShellText::CtrlWheel},
        {QString(), ShellText::ShiftWheel},
    };
    for (const auto& [keys, entry] : others) {
        QString description = Text(TextTable::ShellText, entry, Lang);
        QString shown = keys;
        if (shown.isEmpty()) {
            const qsizetype colon = description.indexOf(QStringLiteral(": "));
            shown = description.left(colon);
            description = description.mid(colon + 2);
        }
        rows.emplace_back(shown, description);
    }

    auto* table = new QTableWidget(static_cast<int>(rows.size()), 2, ShortcutsDialog);
    table->setObjectName(QStringLiteral("ShortcutsTable"));
    table->setHorizontalHeaderLabels({Text(TextTable::ShellText, ShellText::KeysColumn, Lang),
                                      Text(TextTable::ShellText, ShellText::CommandColumn, Lang)});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        const auto& [keys, command] = rows[static_cast<std::size_t>(row)];
        table->setItem(row, 0, new QTableWidgetItem(keys));
        table->setItem(row, 1, new QTableWidgetItem(command));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, ShortcutsDialog);
    connect(buttons, &QDialogButtonBox::rejected, ShortcutsDialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(ShortcutsDialog);
    layout->addWidget(table);
    layout->addWidget(buttons);
    ShortcutsDialog->resize(640, 560);
    ShortcutsDialog->show();
}

} // namespace lumivox
