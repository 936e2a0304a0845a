// The progress window `TForm4` that long synchronous operations show, and its gauge `TGauge`.
#pragma once

#include <QWidget>

namespace lumivox {

// A horizontal bar from 0 to 100 filled in navy, with the percentage written in its middle.
// The text is white over the filled part and navy over the rest, so it reads over both.
class TGauge : public QWidget {
    Q_OBJECT
public:
    explicit TGauge(QWidget* parent = nullptr);

    int Progress() const { return progress_; }
    // Clamps to 0..100. When the shown percentage changes the gauge repaints at once, since
    // the operations that drive it do not return to the event loop until they end.
    void SetProgress(int percent);
    // "40%" for 40.
    QString ProgressText() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int progress_ = 0;
};

// A small tool window that stays on top, centred on the screen, whose caption names the
// operation in progress. It is created once, shown without being modal and hidden at the end.
class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);

    void SetText(const QString& text);
    void SetGauge(int percent);
    int Gauge() const;
    TGauge* Gauge1() const { return gauge_; }

    // Shows the window centred on the screen and waits briefly until the windowing system
    // has exposed it (letting non-input events through), so that it is drawn although the
    // caller keeps the event loop busy.
    void ShowProgress();
    void CloseProgress();

private:
    void CentreOnScreen();

    TGauge* gauge_;
};

} // namespace lumivox
