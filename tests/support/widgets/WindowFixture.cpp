#include "support/widgets/WindowFixture.h"

#include "show/Transport.h"
#include "support/TestSongs.h"
#include "timeline/LanesView.h"

#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QToolButton>

namespace lumivox::test {

void WindowFixture::OpenWindow(const WindowSetup& setup) {
    const QString song = Dir.filePath(QStringLiteral("song.mp3"));
    if (!QFile::exists(song)) {
        ASSERT_TRUE(QFile::copy(FixturePath(setup.Song), song));
    }
    TForm1Options options = TestWindowOptions(Ui, Properties, Dir);
    if (setup.OnManualClock)
        options.NullClock = Clock.Function();
    options.OlaPort = setup.OlaPort;
    Window = std::make_unique<TForm1>(options);
    Window->resize(900, 600);
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    Ui.SongAnswers.push_back(song);
    Window->Menus().New2->trigger();
    ASSERT_TRUE(Window->Player().IsOpen());
    for (int k = 0; k < setup.Tracks; ++k)
        Window->Menus().New1->trigger();
    QCursor::setPos(Window->mapToGlobal(QPoint(2, 2)));
    QApplication::processEvents();
}

QWidget* WindowFixture::Lanes() {
    return Window->Lanes().viewport();
}

QToolButton* WindowFixture::Button(const char* name) {
    return Window->findChild<QToolButton*>(QLatin1String(name));
}

int WindowFixture::Value(int track, int slot) {
    std::uint8_t value = 0;
    EXPECT_TRUE(Window->Document().Track(track).GetValue(slot, value)) << slot;
    return value;
}

QString WindowFixture::TimeText() {
    return Window->findChild<QLabel*>(QStringLiteral("Label1"))->text();
}

void WindowFixture::PlayUntil(std::int64_t ms) {
    const std::int64_t now = Window->Player().PositionMs();
    Clock.Advance(std::chrono::microseconds((ms - now) * 1000 + 100));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Window->Player().PositionMs() >= ms; }, 20000));
    const QString shown = QStringLiteral("Time : ") + Transport::FormatTime(ms);
    ASSERT_TRUE(QTest::qWaitFor([&] { return TimeText() == shown; }, 20000))
        << TimeText().toStdString();
}

} // namespace lumivox::test
