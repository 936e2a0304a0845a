// TFrame2, a track's header in the left column: number, caption with its in-place editor,
// type icon and type/output button, output number, and the record-arm, Solo, Mute and Lock
// buttons. It shows the fields of its track the show announces as changed (the header column
// passes them on) and reports presses as signals; the window connects them to TrackCommands
// and the show.
#pragma once

#include "core/LanguageTables.h"
#include "editing/TrackCommands.h"
#include "model/ProjectClasses.h"

#include <QFrame>
#include <QObject>
#include <QPoint>

#include <functional>

class QLabel;
class QLineEdit;
class QToolButton;

namespace lumivox {

class TFrame2 : public QFrame, public ICaptionEditor {
    Q_OBJECT
public:
    // The header takes the client width of `parent` (the header column) and the hints of
    // `language`.
    explicit TFrame2(QWidget* parent = nullptr, Language language = Language::English);
    ~TFrame2() override;

    // Button hints from the language tables, and the output text's word for output 0.
    void ApplyLanguage(Language language);
    // The record-arm button is down.
    bool Armed() const;
    // Where the type and output menu opens: the type button's top-right corner on screen.
    QPoint TypeOutputMenuPosition() const;

    // Shows `fields` of `track`, which stands at 1-based position `number`.
    void Show(const TFullTrack& track, int number, TTrackFields fields);
    void SetHeight(int pixels);

    // Each part on its own.
    void ShowCaption(const QString& caption);
    void ShowSelected(bool selected);
    void ShowLocked(bool locked);
    void ShowMute(bool mute);
    void ShowSolo(bool solo);
    void ShowArmed(bool armed);
    void ShowTypeImage(std::uint8_t trackType);
    // Output 0 shows the language's word for all outputs, the others three digits.
    void ShowOutput(std::uint8_t output);
    void ShowNumber(int number);
    void ShowColors(TColor headerColor, TColor captionColor);

    // ICaptionEditor
    void OpenCaptionEditor(const QString& text) override;
    bool CaptionEditorOpen() const override { return Editing; }
    QString CaptionEditorText() const override;
    void CloseCaptionEditor() override;

Q_SIGNALS:
    // A press on the panel or on a part that does not take presses itself.
    void Pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void CaptionDoubleClicked();
    // Enter, Escape, or the focus leaving the open caption editor.
    void CaptionEditFinished();
    void LockClicked();
    void MuteClicked();
    void SoloClicked();
    void TypeOutputClicked();
    // A click on the record-arm button; `armed` is what the button shows now.
    void ArmToggled(bool armed);
    // The pointer moved over any part of the header.
    void PointerMoved();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TCaptionCommitFilter;

    QFrame* Panel1;
    QLabel* StaticText1;
    QLabel* StaticText2;
    QLineEdit* Edit1;
    QToolButton* SpeedButton5;
    QLabel* Image1;
    QToolButton* SpeedButton3;
    QLabel* Label1;
    QToolButton* SpeedButton4;
    QToolButton* SpeedButton2;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton7;
    bool Editing = false;
    Language Lang = Language::English;
    std::uint8_t Output = 0;
};

// An application-wide filter for left presses: before the press reaches its target it
// runs `commit`, which closes every open caption editor. A press inside an open caption
// editor is left to the editor, so the caret can be placed with the mouse.
class TCaptionCommitFilter : public QObject {
    Q_OBJECT
public:
    explicit TCaptionCommitFilter(std::function<void()> commit, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> Commit;
};

} // namespace lumivox
