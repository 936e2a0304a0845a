// Construction of the menus and their captions in the four languages.
#include "app/MainMenus.h"

#include "dialogs/Glyphs.h"
#include "model/TrackRules.h"
#include "timeline/TimelineStyle.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <utility>

namespace lumivox {

namespace {

QAction* Item(QMenu* menu, const char* name, const QKeySequence& shortcut = {}, bool enabled = true,
              int tag = 0) {
    auto* action = menu->addAction(QString::fromLatin1(name));
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    action->setEnabled(enabled);
    action->setData(tag);
    return action;
}

QMenu* SubMenu(QMenu* parent, const char* name) {
    QMenu* menu = parent->addMenu(QString::fromLatin1(name));
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Action"));
    return menu;
}

QAction* Radio(QMenu* menu, QActionGroup* group, const char* name, int tag, bool checked) {
    QAction* action = Item(menu, name, {}, true, tag);
    action->setCheckable(true);
    action->setChecked(checked);
    group->addAction(action);
    return action;
}

// A swatch of `colour` framed in grey, the image of a colour menu item.
QIcon Swatch(TColor colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.setBrush(ToQColor(colour));
    painter.drawRect(1, 1, 13, 13);
    return QIcon(pixmap);
}

} // namespace

TMainMenus::TMainMenus(QMenuBar* menuBar, QWidget* window) : QObject(window) {
    File1 = menuBar->addMenu(QStringLiteral("File"));
    File1->setObjectName(QStringLiteral("File1"));
    New2 = Item(File1, "New2", QKeySequence(Qt::CTRL | Qt::Key_N));
    Property1 = Item(File1, "Property1", QKeySequence(Qt::CTRL | Qt::Key_P), false);
    File1->addSeparator();
    Open1 = Item(File1, "Open1", QKeySequence(Qt::CTRL | Qt::Key_O));
    RecentProjects1 = SubMenu(File1, "RecentProjects1");
    Save1 = Item(File1, "Save1", QKeySequence(Qt::CTRL | Qt::Key_S), false);
    SaveAs1 = Item(File1, "SaveAs1", {}, false);
    File1->addSeparator();
    CreateSeqFile1 = Item(File1, "CreateSeqFile1", QKeySequence(Qt::Key_F9), false);
    ExportTo1 = Item(File1, "ExportTo1", QKeySequence(Qt::SHIFT | Qt::Key_F9), false);
    File1->addSeparator();
    ReplaceMP3File1 = Item(File1, "ReplaceMP3File1", {}, false);
    File1->addSeparator();
    Exit1 = Item(File1, "Exit1", QKeySequence(Qt::CTRL | Qt::Key_Q));

    Edit1 = menuBar->addMenu(QStringLiteral("Edit"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Undo1 = Item(Edit1, "Undo1", QKeySequence(Qt::CTRL | Qt::Key_Z), false);
    Redo1 = Item(Edit1, "Redo1", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z), false);
    // The keys other desktop programs redo with work too; the menu shows the first.
    Redo1->setShortcuts({QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z),
                         QKeySequence(Qt::CTRL | Qt::Key_Y),
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    Edit1->addSeparator();
    New1 = Item(Edit1, "New1", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_N));
    Delete1 = Item(Edit1, "Delete1", QKeySequence(Qt::Key_Delete), false);
    Edit1->addSeparator();
    Couper1 = Item(Edit1, "Couper1", QKeySequence(Qt::CTRL | Qt::Key_X), false);
    Copier1 = Item(Edit1, "Copier1", QKeySequence(Qt::CTRL | Qt::Key_C), false);
    Coller1 = Item(Edit1, "Coller1", QKeySequence(Qt::CTRL | Qt::Key_V), false);
    // Ctrl+X, C and V act on the block while a time range is selected (see the window), so
    // the block's own entries carry no shortcut.
    Block1 = SubMenu(Edit1, "Block1");
    BlockCopy1 = Item(Block1, "BlockCopy1", {}, false);
    BlockCut1 = Item(Block1, "BlockCut1", {}, false);
    BlockPaste1 = Item(Block1, "BlockPaste1", {}, false);
    Block1->addSeparator();
    BlockClear1 = Item(Block1, "BlockClear1", QKeySequence(Qt::Key_Backspace), false);
    BlockFill1 = Item(Block1, "BlockFill1", QKeySequence(Qt::Key_F), false);
    BlockRamp1 = Item(Block1, "BlockRamp1", {}, false);
    BlockInvert1 = Item(Block1, "BlockInvert1", QKeySequence(Qt::Key_I), false);
    BlockScale1 = Item(Block1, "BlockScale1", {}, false);
    Block1->addSeparator();
    BlockShiftEarlier1 = Item(Block1, "BlockShiftEarlier1", {}, false);
    BlockShiftLater1 = Item(Block1, "BlockShiftLater1", {}, false);
    BlockRepeat1 = Item(Block1, "BlockRepeat1", {}, false);
    BlockChase1 = Item(Block1, "BlockChase1", {}, false);
    BlockFlashBeats1 = Item(Block1, "BlockFlashBeats1", {}, false);
    BlockChaseBeats1 = Item(Block1, "BlockChaseBeats1", {}, false);
    Block1->addSeparator();
    Deselect1 = Item(Block1, "Deselect1", QKeySequence(Qt::Key_Escape), false);
    Edit1->addSeparator();
    SelectAll1 = Item(Edit1, "SelectAll1", QKeySequence(Qt::CTRL | Qt::Key_A));
    Edit1->addSeparator();
    EditorTools1 = SubMenu(Edit1, "EditorTools1");
    Drawmode1 = Item(EditorTools1, "Drawmode1", {}, true, 1);
    Rubbermode1 = Item(EditorTools1, "Rubbermode1", {}, true, 2);
    Drawvaluemode1 = Item(EditorTools1, "Drawvaluemode1", {}, true, 3);
    Selectionmode1 = Item(EditorTools1, "Selectionmode1", QKeySequence(Qt::Key_S), true, 0);

    Play1 = menuBar->addMenu(QStringLiteral("Play"));
    Play1->setObjectName(QStringLiteral("Play1"));
    PlaySelection1 = Item(Play1, "PlaySelection1", QKeySequence(Qt::SHIFT | Qt::Key_Space), false);
    Loop1 = Item(Play1, "Loop1", QKeySequence(Qt::Key_L));
    Loop1->setCheckable(true);
    PlayFromPointer1 = Item(Play1, "PlayFromPointer1", QKeySequence(Qt::Key_P), false);
    Play1->addSeparator();
    PreviousMark1 = Item(Play1, "PreviousMark1", QKeySequence(Qt::CTRL | Qt::Key_Left), false);
    NextMark1 = Item(Play1, "NextMark1", QKeySequence(Qt::CTRL | Qt::Key_Right), false);

    View1 = menuBar->addMenu(QStringLiteral("View"));
    View1->setObjectName(QStringLiteral("View1"));
    HorizontalZoomIn1 = Item(View1, "HorizontalZoomIn1", QKeySequence(Qt::CTRL | Qt::Key_Plus));
    HorizontalZoomOut1 = Item(View1, "HorizontalZoomOut1", QKeySequence(Qt::CTRL | Qt::Key_Minus));
    ZoomToFit1 = Item(View1, "ZoomToFit1", QKeySequence(Qt::CTRL | Qt::Key_0));
    ZoomToSelection1 = Item(View1, "ZoomToSelection1", QKeySequence(Qt::Key_Z), false);
    View1->addSeparator();
    Snap1 = Item(View1, "Snap1", QKeySequence(Qt::Key_G));
    Snap1->setCheckable(true);

    Options1 = menuBar->addMenu(QStringLiteral("Options"));
    Options1->setObjectName(QStringLiteral("Options1"));
    Language1 = SubMenu(Options1, "Language1");
    auto* languages = new QActionGroup(this);
    English1 = Radio(Language1, languages, "English1", 2, true);
    French1 = Radio(Language1, languages, "French1", 1, false);
    Espaol1 = Radio(Language1, languages, "Espaol1", 3, false);
    Deutsch1 = Radio(Language1, languages, "Deutsch1", 4, false);
    RS2321 = SubMenu(Options1, "RS2321");
    RealTimeMode1 = Item(RS2321, "RealTimeMode1", QKeySequence(Qt::CTRL | Qt::Key_R));
    RealTimeMode1->setCheckable(true);
    RS2321->addSeparator();
    OutputPortCOM1 = SubMenu(RS2321, "OutputPortCOM1");
    PortGroup = new QActionGroup(this);
    for (int n = 1; n <= 6; ++n) {
        const QByteArray name = "COM" + QByteArray::number(n) + "1";
        ComPorts[static_cast<std::size_t>(n - 1)] =
            Radio(OutputPortCOM1, PortGroup, name.constData(), n, n == 1);
    }
    MIDIInput1 = SubMenu(Options1, "MIDIInput1");
    MidiGroup = new QActionGroup(this);
    None1 = Radio(MIDIInput1, MidiGroup, "None1", 0, true);
    Options1->addSeparator();
    AutosaveInterval1 = Item(Options1, "AutosaveInterval1");
    UndoDepth1 = Item(Options1, "UndoDepth1");
    Options1->addSeparator();
    SoundDevice1 = SubMenu(Options1, "SoundDevice1");
    SoundDeviceGroup = new QActionGroup(this);
    OutputLatency1 = Item(Options1, "OutputLatency1");
    Outputs1 = Item(Options1, "Outputs1");

    Help1 = menuBar->addMenu(QStringLiteral("Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Shortcuts1 = Item(Help1, "Shortcuts1");
    About1 = Item(Help1, "About1", QKeySequence(Qt::Key_F1));

    PopupMenu1 = new QMenu(window);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Drawmode2 = Item(PopupMenu1, "Drawmode2", {}, true, 1);
    Rubbermode2 = Item(PopupMenu1, "Rubbermode2", {}, true, 2);
    Drawvaluemode2 = Item(PopupMenu1, "Drawvaluemode2", {}, true, 3);
    Selectionmode2 = Item(PopupMenu1, "Selectionmode2", {}, true, 0);

    PopupMenu2 = new QMenu(window);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    Type1 = SubMenu(PopupMenu2, "Type1");
    // The type of the track the menu opens for is checked, the other cleared.
    TypeGroup = new QActionGroup(this);
    Proportional1 = Radio(Type1, TypeGroup, "Proportional1", 0, true);
    OnOff1 = Radio(Type1, TypeGroup, "OnOff1", 1, false);
    OutputMenu = new TNumberMenu(PopupMenu2, QStringLiteral("OutputGroup"));
    OutputMenu->SetIcon(GlyphIcon(Glyph::Output));
    OutputMenu->Item(0)->setText(QStringLiteral("..."));

    PopupMenu3 = new QMenu(window);
    PopupMenu3->setObjectName(QStringLiteral("PopupMenu3"));
    Mute1 = Item(PopupMenu3, "Mute1");
    Mute1->setVisible(false);
    Solo1 = Item(PopupMenu3, "Solo1");
    Solo1->setVisible(false);
    Cut1 = Item(PopupMenu3, "Cut1", QKeySequence(Qt::CTRL | Qt::Key_X), false);
    Copy1 = Item(PopupMenu3, "Copy1", QKeySequence(Qt::CTRL | Qt::Key_C), false);
    Paste1 = Item(PopupMenu3, "Paste1", QKeySequence(Qt::CTRL | Qt::Key_V), false);
    Delete2 = Item(PopupMenu3, "Delete2", QKeySequence(Qt::Key_Delete));
    MoveUp1 = Item(PopupMenu3, "MoveUp1", QKeySequence(Qt::ALT | Qt::Key_Up));
    MoveDown1 = Item(PopupMenu3, "MoveDown1", QKeySequence(Qt::ALT | Qt::Key_Down));
    // The keys work wherever the window has the keyboard, not only in the open menu.
    window->addAction(MoveUp1);
    window->addAction(MoveDown1);
    PopupMenu3->addSeparator();
    Color1 = SubMenu(PopupMenu3, "Color1");
    for (int n = 1; n <= 11; ++n) {
        const QByteArray name = "ColorEntry" + QByteArray::number(n);
        QAction* colour = Item(Color1, name.constData(), {}, true, n);
        colour->setIcon(Swatch(TrackPalette.at(static_cast<std::size_t>(n - 1)).Strong));
        Colors[static_cast<std::size_t>(n - 1)] = colour;
    }
    Properties1 = Item(PopupMenu3, "Properties1");
    Properties1->setVisible(false);
    PopupMenu3->addSeparator();
    MIDIMap1 = Item(PopupMenu3, "MIDIMap1", {}, false);

    PopupMenu5 = new QMenu(window);
    PopupMenu5->setObjectName(QStringLiteral("PopupMenu5"));
    PopupMenu5->addAction(BlockCopy1);
    PopupMenu5->addAction(BlockCut1);
    BlockPaste2 = Item(PopupMenu5, "BlockPaste2", {}, false);
    PopupMenu5->addSeparator();
    for (QAction* action : {BlockClear1, BlockFill1, BlockRamp1, BlockInvert1, BlockScale1})
        PopupMenu5->addAction(action);
    PopupMenu5->addSeparator();
    for (QAction* action : {BlockShiftEarlier1, BlockShiftLater1, BlockRepeat1, BlockChase1,
                            BlockFlashBeats1, BlockChaseBeats1})
        PopupMenu5->addAction(action);
    PopupMenu5->addSeparator();
    PopupMenu5->addAction(PlaySelection1);
    PopupMenu5->addAction(Deselect1);

    PopupMenu4 = new QMenu(window);
    PopupMenu4->setObjectName(QStringLiteral("PopupMenu4"));
    ValueMenu = new TNumberMenu(PopupMenu4, QStringLiteral("ValueGroup"));
    ValueMenu->SetIcon(GlyphIcon(Glyph::Value));
}

QAction* TMainMenus::AddMidiDevice(const QString& name, int id) {
    // The device's name as it is: an '&' in it is no accelerator.
    QAction* action =
        MIDIInput1->addAction(QString(name).replace(QLatin1Char('&'), QLatin1String("&&")));
    action->setObjectName(QStringLiteral("MidiDevice%1").arg(id + 1));
    action->setData(id + 1);
    action->setCheckable(true);
    MidiGroup->addAction(action);
    return action;
}

QAction* TMainMenus::AddSerialDevice(const QString& path) {
    QAction* action = OutputPortCOM1->addAction(path);
    action->setObjectName(QStringLiteral("SerialDevice:") + path);
    action->setData(path);
    action->setCheckable(true);
    PortGroup->addAction(action);
    return action;
}

void TMainMenus::ApplyTexts(Language language) {
    auto set = [language](QAction* action, TextTable table, int entry) {
        action->setText(Text(table, entry, language));
    };
    auto setMenu = [language](QMenu* menu, TextTable table, int entry) {
        menu->setTitle(Text(table, entry, language));
    };

    setMenu(File1, TextTable::FileMenu, 1);
    set(New2, TextTable::FileMenu, 2);
    set(Property1, TextTable::FileMenu, 3);
    set(Open1, TextTable::FileMenu, 4);
    set(Save1, TextTable::FileMenu, 5);
    set(SaveAs1, TextTable::FileMenu, 6);
    set(CreateSeqFile1, TextTable::FileMenu, 7);
    set(ExportTo1, TextTable::FileText, FileText::ExportTo);
    set(Exit1, TextTable::FileMenu, 8);
    set(ReplaceMP3File1, TextTable::FileMenu, 9);
    setMenu(RecentProjects1, TextTable::Extra, ExtraText::RecentProjects);

    setMenu(Edit1, TextTable::EditMenu, 1);
    set(New1, TextTable::EditMenu, 2);
    set(Delete1, TextTable::EditMenu, 3);
    set(Couper1, TextTable::EditMenu, 4);
    set(Copier1, TextTable::EditMenu, 5);
    set(Coller1, TextTable::EditMenu, 6);
    set(SelectAll1, TextTable::EditMenu, 7);
    setMenu(EditorTools1, TextTable::EditMenu, 8);
    set(Drawmode1, TextTable::EditMenu, 9);
    set(Rubbermode1, TextTable::EditMenu, 10);
    set(Drawvaluemode1, TextTable::EditMenu, 11);
    set(Selectionmode1, TextTable::ToolBarHints, 11);
    setMenu(Block1, TextTable::BlockText, BlockText::BlockMenu);
    const std::array<std::pair<QAction*, int>, 17> blockItems{{
        {BlockCopy1, BlockText::Copy},
        {BlockCut1, BlockText::Cut},
        {BlockPaste1, BlockText::Paste},
        {BlockPaste2, BlockText::Paste},
        {BlockClear1, BlockText::Clear},
        {BlockFill1, BlockText::Fill},
        {BlockRamp1, BlockText::Ramp},
        {BlockInvert1, BlockText::Invert},
        {BlockScale1, BlockText::Scale},
        {BlockShiftEarlier1, BlockText::ShiftEarlier},
        {BlockShiftLater1, BlockText::ShiftLater},
        {BlockRepeat1, BlockText::Repeat},
        {BlockChase1, BlockText::Chase},
        {Deselect1, BlockText::Deselect},
        {PlaySelection1, BlockText::PlaySelection},
        {Loop1, BlockText::Loop},
        {PlayFromPointer1, BlockText::PlayFromPointer},
    }};
    for (const auto& [action, entry] : blockItems)
        set(action, TextTable::BlockText, entry);
    setMenu(Play1, TextTable::BlockText, BlockText::PlayMenu);
    set(Undo1, TextTable::EditMenu, 12);
    set(Redo1, TextTable::EditMenu, 13);

    setMenu(View1, TextTable::ViewText, ViewText::ViewMenu);
    set(HorizontalZoomIn1, TextTable::ToolBarHints, 12);
    set(HorizontalZoomOut1, TextTable::ToolBarHints, 13);
    set(ZoomToFit1, TextTable::ViewText, ViewText::ZoomToFit);
    set(ZoomToSelection1, TextTable::ViewText, ViewText::ZoomToSelection);
    set(Snap1, TextTable::SnapText, SnapText::Snap);
    set(PreviousMark1, TextTable::SnapText, SnapText::PreviousMark);
    set(NextMark1, TextTable::SnapText, SnapText::NextMark);
    set(BlockFlashBeats1, TextTable::SnapText, SnapText::FlashOnBeats);
    set(BlockChaseBeats1, TextTable::SnapText, SnapText::ChaseOnBeats);

    setMenu(Options1, TextTable::OptionsMenu, 1);
    setMenu(RS2321, TextTable::RS232Menu, 1);
    set(RealTimeMode1, TextTable::RS232Menu, 2);
    setMenu(OutputPortCOM1, TextTable::RS232Menu, 3);
    for (int n = 1; n <= 6; ++n)
        set(ComPorts[static_cast<std::size_t>(n - 1)], TextTable::RS232Menu, 3 + n);
    setMenu(Language1, TextTable::LanguageMenu, 1);
    set(English1, TextTable::LanguageMenu, 2);
    set(French1, TextTable::LanguageMenu, 3);
    set(Espaol1, TextTable::LanguageMenu, 4);
    set(Deutsch1, TextTable::LanguageMenu, 5);
    setMenu(MIDIInput1, TextTable::OptionsMenu, 2);
    set(None1, TextTable::OptionsMenu, 3);
    set(AutosaveInterval1, TextTable::Extra, ExtraText::AutosaveInterval);
    set(UndoDepth1, TextTable::TrackEditing, TrackEditingText::UndoDepth);
    setMenu(SoundDevice1, TextTable::AudioOptions, AudioOptionsText::SoundDeviceMenu);
    set(OutputLatency1, TextTable::AudioOptions, AudioOptionsText::OutputOffsetMenu);
    set(Outputs1, TextTable::DmxText, DmxText::OutputsItem);
    setMenu(Help1, TextTable::HelpMenu, 1);
    set(About1, TextTable::HelpMenu, 2);
    set(Shortcuts1, TextTable::ShellText, ShellText::ShortcutsItem);

    set(Drawmode2, TextTable::EditMenu, 9);
    set(Rubbermode2, TextTable::EditMenu, 10);
    set(Drawvaluemode2, TextTable::EditMenu, 11);
    set(Selectionmode2, TextTable::ToolBarHints, 11);

    setMenu(Type1, TextTable::TypeOutputMenu, 1);
    set(Proportional1, TextTable::TypeOutputMenu, 2);
    set(OnOff1, TextTable::TypeOutputMenu, 3);
    set(OutputMenu->Item(0), TextTable::TypeOutputMenu, 4);

    set(Mute1, TextTable::TrackMenu, 1);
    set(Solo1, TextTable::TrackMenu, 2);
    set(Cut1, TextTable::TrackMenu, 3);
    set(Copy1, TextTable::TrackMenu, 4);
    set(Paste1, TextTable::TrackMenu, 5);
    set(Delete2, TextTable::TrackMenu, 6);
    set(MoveUp1, TextTable::TrackEditing, TrackEditingText::MoveUp);
    set(MoveDown1, TextTable::TrackEditing, TrackEditingText::MoveDown);
    setMenu(Color1, TextTable::TrackMenu, 7);
    for (int n = 1; n <= 11; ++n)
        set(Colors[static_cast<std::size_t>(n - 1)], TextTable::TrackMenu, 7 + n);
    set(Properties1, TextTable::TrackMenu, 19);
    set(MIDIMap1, TextTable::TrackMenu, 20);
}

} // namespace lumivox
