// The texts of deleting locked tracks and of the Undo Levels dialog: present and translated
// in every language, each with the placeholders its callers fill.
#include "core/LanguageTables.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <array>

namespace lumivox {
namespace {

QSet<QString> Placeholders(const QString& text) {
    static const QRegularExpression placeholder(QStringLiteral("%[1-9]"));
    QSet<QString> found;
    for (auto it = placeholder.globalMatch(text); it.hasNext();)
        found.insert(it.next().captured());
    return found;
}

TEST(HistoryTextTest, EveryEntryIsTranslatedWithThePlaceholdersItsCallersFill) {
    ASSERT_EQ(EntryCount(TextTable::HistoryText), HistoryText::Count);
    const QSet<QString> none;
    const QSet<QString> one{QStringLiteral("%1")};
    const QSet<QString> two{QStringLiteral("%1"), QStringLiteral("%2")};
    const QSet<QString> three{QStringLiteral("%1"), QStringLiteral("%2"), QStringLiteral("%3")};
    const std::array<QSet<QString>, HistoryText::Count> expected{one, one,   two, none,
                                                                 two, three, two, none};
    for (int entry = 1; entry <= HistoryText::Count; ++entry) {
        const QString english = Text(TextTable::HistoryText, entry, Language::English);
        for (Language language :
             {Language::French, Language::English, Language::Spanish, Language::German}) {
            const QString text = Text(TextTable::HistoryText, entry, language);
            EXPECT_FALSE(text.isEmpty()) << entry;
            EXPECT_EQ(Placeholders(text), expected[static_cast<std::size_t>(entry - 1)])
                << "entry " << entry << " language " << static_cast<int>(language);
            if (language != Language::English) {
                EXPECT_NE(text, english) << "entry " << entry;
            }
        }
    }
    EXPECT_EQ(Text(TextTable::HistoryText, HistoryText::HistoryHolds, Language::English)
                  .arg(QStringLiteral("12"), QStringLiteral("85"), QStringLiteral("512")),
              QStringLiteral("The history holds 12 steps, 85 MB of 512 MB."));
    EXPECT_EQ(Text(TextTable::HistoryText, HistoryText::UndoLevelsTitle, Language::German),
              QString::fromUtf8("Rückgängig-Stufen"));
}

} // namespace
} // namespace lumivox
