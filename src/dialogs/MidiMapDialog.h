// The MIDI Map dialog `TForm6`: one track's MIDI channel, key and controller, chosen from
// menus or learnt from the next incoming message, and the two options that select the mode.
#pragma once

#include "core/LanguageTables.h"
#include "midi/MidiMapping.h"
#include "model/ProjectClasses.h"

#include <QDialog>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;

namespace lumivox {

class TForm6 : public QDialog, public IMidiMapEditor, public IMidiLearner {
    Q_OBJECT
public:
    // Builds the channel, key and controller menus and an empty working map.
    explicit TForm6(QWidget* parent = nullptr);

    // Shows the dialog modally over `map` (IMidiMapEditor).
    bool EditMidiMap(TMidiMap& map, Language language) override;

    // What the next showing edits and in which language; EditMidiMap does this itself.
    // Tests use it to show the dialog without a modal loop.
    void Load(const TMidiMap& map, Language language);
    // The dialog's working copy: what OK hands back.
    const TMidiMap& WorkingMap() const { return Working; }

    // Title, band titles, options, hints and buttons in `language`.
    void ApplyLanguage(Language language);

    // IMidiLearner: learning happens only while the dialog is shown.
    bool LearningKey() const override;
    bool LearningController() const override;
    void LearnKey(std::uint8_t key, std::uint8_t channel) override;
    void LearnController(std::uint8_t controller, std::uint8_t channel) override;

protected:
    // Each showing: texts of the language, the working map's choices, learn toggles up.
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void ChannelMenuSelect(QAction* entry);
    void NoteMenuSelect(QAction* entry);
    void CtrlMenuSelect(QAction* entry);
    void CheckBox2Click(bool checked);
    void CheckBox3Click(bool checked);
    void ShowChannel();
    void ShowKey();
    void ShowController();
    void FitToTexts();

    TMidiMap Working;
    Language Lang = Language::English;

    QGroupBox* GroupBox1; // channel
    QGroupBox* GroupBox2; // options
    QGroupBox* GroupBox3; // key
    QGroupBox* GroupBox4; // controller
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton2;
    QToolButton* SpeedButton3;
    QToolButton* SpeedButton4;
    QToolButton* SpeedButton5;
    QLabel* Label1; // channel
    QLabel* Label2; // key
    QLabel* Label3; // controller
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox3;
    QPushButton* Button1;
    QPushButton* Button2;
    QMenu* ChannelMenu;
    QMenu* NoteMenu;
    QMenu* CtrlMenu;
};

} // namespace lumivox
