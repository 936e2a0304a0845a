// Tests of the four-language text tables: their sizes, a sample of exact texts in every
// language (including the odd spacing and spelling users know), and the lookup edge cases.
#include "core/LanguageTables.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>

#include <array>
#include <string>
#include <utility>

namespace lumivox {
namespace {

constexpr std::array kLanguages{Language::French, Language::English, Language::Spanish,
                                Language::German};

// Every table with the number of entries one language holds.
constexpr std::array<std::pair<TextTable, int>, 29> kTableSizes{{
    {TextTable::FileMenu, 9},
    {TextTable::EditMenu, 13},
    {TextTable::RS232Menu, 9},
    {TextTable::LanguageMenu, 5},
    {TextTable::HelpMenu, 2},
    {TextTable::OptionsMenu, 3},
    {TextTable::TypeOutputMenu, 4},
    {TextTable::TrackMenu, 20},
    {TextTable::StatusLabels, 3},
    {TextTable::ToolBarHints, 16},
    {TextTable::CommonTexts, 16},
    {TextTable::Messages, 15},
    {TextTable::ProjectProperties, 10},
    {TextTable::Mp3Import, 6},
    {TextTable::ProjectFile, 8},
    {TextTable::MidiMapDialog, 12},
    {TextTable::DialogButtons, 2},
    {TextTable::AboutBox, 4},
    {TextTable::KeyNames, 12},
    {TextTable::ControllerNames, 128},
    {TextTable::Extra, ExtraText::Count},
    {TextTable::ViewText, ViewText::Count},
    {TextTable::TrackEditing, TrackEditingText::Count},
    {TextTable::BlockText, BlockText::Count},
    {TextTable::BeatText, BeatText::Count},
    {TextTable::SnapText, SnapText::Count},
    {TextTable::MarksText, MarksText::Count},
    {TextTable::AudioOptions, AudioOptionsText::Count},
    {TextTable::DmxText, DmxText::Count},
}};

// The text as UTF-8, so that a failure prints readable accents.
std::string Utf8(TextTable table, int entry, Language language) {
    return Text(table, entry, language).toStdString();
}

TEST(LanguageTablesTest, EveryTableHasItsEntryCount) {
    for (const auto& [table, count] : kTableSizes) {
        EXPECT_EQ(EntryCount(table), count) << "table " << static_cast<int>(table);
    }
}

TEST(LanguageTablesTest, LanguageNumbersOutsideOneToFourMeanEnglish) {
    EXPECT_EQ(LanguageFromNumber(1), Language::French);
    EXPECT_EQ(LanguageFromNumber(2), Language::English);
    EXPECT_EQ(LanguageFromNumber(3), Language::Spanish);
    EXPECT_EQ(LanguageFromNumber(4), Language::German);
    for (int number : {0, 5, -1, 255, 256}) {
        EXPECT_EQ(LanguageFromNumber(number), Language::English) << number;
    }
}

TEST(LanguageTablesTest, EveryEntryIsPresentInEveryLanguage) {
    for (const auto& [table, count] : kTableSizes) {
        for (int entry = 1; entry <= count; ++entry) {
            for (Language language : kLanguages) {
                EXPECT_FALSE(Text(table, entry, language).isEmpty())
                    << "table " << static_cast<int>(table) << " entry " << entry << " language "
                    << static_cast<int>(language);
            }
        }
    }
}

TEST(LanguageTablesTest, EntriesOutsideATableAreEmpty) {
    for (const auto& [table, count] : kTableSizes) {
        for (Language language : kLanguages) {
            EXPECT_TRUE(Text(table, 0, language).isEmpty());
            EXPECT_TRUE(Text(table, -1, language).isEmpty());
            EXPECT_TRUE(Text(table, count + 1, language).isEmpty());
        }
    }
    // The entry after the last English one must not run into the Spanish part of the table.
    EXPECT_TRUE(Text(TextTable::FileMenu, 10, Language::English).isEmpty());
}

TEST(LanguageTablesTest, EachLanguageReadsItsOwnPartOfATable) {
    // First and last entry of each language catch a shifted layout.
    EXPECT_EQ(Utf8(TextTable::FileMenu, 1, Language::French), "&Fichier");
    EXPECT_EQ(Utf8(TextTable::FileMenu, 1, Language::English), "&File");
    EXPECT_EQ(Utf8(TextTable::FileMenu, 1, Language::Spanish), "Archivo");
    EXPECT_EQ(Utf8(TextTable::FileMenu, 1, Language::German), "Datei");
    EXPECT_EQ(Utf8(TextTable::FileMenu, 9, Language::French), "&Remplacer le fichier MP3...");
    EXPECT_EQ(Utf8(TextTable::FileMenu, 9, Language::English), "&Replace MP3 File...");
    EXPECT_EQ(Utf8(TextTable::FileMenu, 9, Language::Spanish), "&Replace MP3 File...");
    EXPECT_EQ(Utf8(TextTable::FileMenu, 9, Language::German), "&Replace MP3 File...");
    EXPECT_EQ(Utf8(TextTable::DialogButtons, 2, Language::French), "Annuler");
    EXPECT_EQ(Utf8(TextTable::DialogButtons, 2, Language::English), "Cancel");
    EXPECT_EQ(Utf8(TextTable::DialogButtons, 2, Language::Spanish), "Cancel");
    EXPECT_EQ(Utf8(TextTable::DialogButtons, 2, Language::German), "Abbruch");
    EXPECT_EQ(Utf8(TextTable::TrackMenu, 20, Language::French), "Descripteur M&IDI");
    EXPECT_EQ(Utf8(TextTable::TrackMenu, 20, Language::German), "MIDI Mapping");
    // A language value outside the enumeration is read as English.
    EXPECT_EQ(Utf8(TextTable::FileMenu, 1, static_cast<Language>(0)), "&File");
    EXPECT_EQ(Utf8(TextTable::FileMenu, 1, static_cast<Language>(9)), "&File");
}

TEST(LanguageTablesTest, AccentsAndAcceleratorsAreKept) {
    EXPECT_EQ(Utf8(TextTable::FileMenu, 3, Language::French), "&Propriétés du Projet...");
    EXPECT_EQ(Utf8(TextTable::FileMenu, 4, Language::German), "Öffnen");
    EXPECT_EQ(Utf8(TextTable::HelpMenu, 2, Language::German), "Über...");
    EXPECT_EQ(Utf8(TextTable::EditMenu, 7, Language::German), "Alles auswählen");
    EXPECT_EQ(Utf8(TextTable::EditMenu, 12, Language::French), "&Défaire");
    EXPECT_EQ(Utf8(TextTable::EditMenu, 12, Language::Spanish), "Undo");
    for (Language language : kLanguages) {
        EXPECT_EQ(Utf8(TextTable::LanguageMenu, 4, language), "E&spañol");
    }
    EXPECT_EQ(Utf8(TextTable::LanguageMenu, 3, Language::Spanish), "&Français");
    EXPECT_EQ(Utf8(TextTable::LanguageMenu, 3, Language::German), "Français");
    EXPECT_EQ(Utf8(TextTable::CommonTexts, 3, Language::German), "Löschen der Spur(en)...");
    EXPECT_EQ(Utf8(TextTable::Messages, 4, Language::Spanish),
              "¿Desea borrar las pistas seleccionadas?");
    EXPECT_EQ(Utf8(TextTable::Messages, 8, Language::German), "Schließungsfehler am Port COM: ");
    EXPECT_EQ(Utf8(TextTable::Messages, 11, Language::German),
              "Aktuelles Projekt wurde geändert. Wünschen Sie die Änderungen zu speichern?");
    EXPECT_EQ(Utf8(TextTable::Mp3Import, 4, Language::Spanish),
              "Extrayendo y Guardando Datos Útiles de Forma de Onda");
    EXPECT_EQ(Utf8(TextTable::AboutBox, 3, Language::Spanish), "Versión V1.4");
    EXPECT_EQ(Utf8(TextTable::MidiMapDialog, 4, Language::French), " Contrôleur MIDI : ");
    EXPECT_EQ(Utf8(TextTable::MidiMapDialog, 2, Language::German), " MIDI-Möglichkeiten: ");
}

TEST(LanguageTablesTest, BlanksAreKeptExactly) {
    EXPECT_EQ(Utf8(TextTable::CommonTexts, 2, Language::French), "Piste ");
    EXPECT_EQ(Utf8(TextTable::CommonTexts, 2, Language::English), "Track ");
    EXPECT_EQ(Utf8(TextTable::CommonTexts, 2, Language::Spanish), "Pista");
    EXPECT_EQ(Utf8(TextTable::CommonTexts, 2, Language::German), "Spur");
    EXPECT_EQ(Utf8(TextTable::StatusLabels, 1, Language::English), "Time : ");
    EXPECT_EQ(Utf8(TextTable::StatusLabels, 1, Language::Spanish), "Tiempo:");
    EXPECT_EQ(Utf8(TextTable::StatusLabels, 3, Language::English), "Resolution  :");
    EXPECT_EQ(Utf8(TextTable::StatusLabels, 3, Language::French), "Résolution  :");
    EXPECT_EQ(Utf8(TextTable::StatusLabels, 3, Language::German), "Auflösung :");
    EXPECT_EQ(Utf8(TextTable::Messages, 14, Language::German), " Prozess erledigt!");
    EXPECT_EQ(Utf8(TextTable::Messages, 14, Language::English), "Process done!");
    EXPECT_EQ(Utf8(TextTable::Messages, 12, Language::French),
              " existe déjà. Voulez-vous remplacer ce fichier?");
    EXPECT_EQ(Utf8(TextTable::Messages, 12, Language::Spanish),
              "Ya existe. ¿Desea reemplazar el archivo?");
    EXPECT_EQ(Utf8(TextTable::Messages, 7, Language::English), "Opening Error on COM Port : ");
    EXPECT_EQ(Utf8(TextTable::Messages, 13, Language::Spanish),
              "Proceso realizado, pero hay demasiados eventos en el proyecto para la memoria "
              "disponible en el reproductor Vostrel, parte de la  información podría perderse.");
    EXPECT_EQ(Utf8(TextTable::ProjectProperties, 2, Language::German), " Projektname : ");
    EXPECT_EQ(Utf8(TextTable::ProjectProperties, 7, Language::German), " Copyright :");
    EXPECT_EQ(Utf8(TextTable::ProjectFile, 2, Language::English), "This project file version ");
    EXPECT_EQ(Utf8(TextTable::ProjectFile, 2, Language::Spanish),
              "Esta versión de Archivo Proyecto");
    EXPECT_EQ(Utf8(TextTable::ToolBarHints, 9, Language::Spanish), "Modo Valor- Dibujo");
}

TEST(LanguageTablesTest, MisspellingsAreKept) {
    EXPECT_EQ(Utf8(TextTable::ProjectFile, 4, Language::English), "Unkown project file version!");
    EXPECT_EQ(Utf8(TextTable::CommonTexts, 5, Language::French),
              "Tri des données exportées, veulliez patienter...");
    EXPECT_EQ(Utf8(TextTable::MidiMapDialog, 8, Language::French), "Apprendre un Contôleur MIDI");
    EXPECT_EQ(Utf8(TextTable::FileMenu, 3, Language::German), "Projekteingeschaften...");
    EXPECT_EQ(Utf8(TextTable::Messages, 6, Language::English), "No more event(s) can be create!");
    EXPECT_EQ(Utf8(TextTable::ControllerNames, 128, Language::English), "127 Ploy Mode On");
    EXPECT_EQ(Utf8(TextTable::ControllerNames, 40, Language::English),
              "039 Channel Volume (fromerly Main Volume) LSB");
    EXPECT_EQ(Utf8(TextTable::ControllerNames, 8, Language::English),
              "007 Channel Volume (formerly Main Volume)");
    EXPECT_EQ(Utf8(TextTable::ControllerNames, 67, Language::English), "066 Sustenuto On/Off");
}

TEST(LanguageTablesTest, DoubleQuotesAreRealCharacters) {
    EXPECT_EQ(Utf8(TextTable::Mp3Import, 2, Language::German), "Ladung der Datei \"Peak\"...");
    EXPECT_EQ(Utf8(TextTable::Mp3Import, 6, Language::German), "Extraktion der Daten \"Peak\"...");
    EXPECT_EQ(Utf8(TextTable::Mp3Import, 2, Language::English), "Loading Peak File...");
    EXPECT_EQ(Utf8(TextTable::ProjectFile, 7, Language::English), "MP3 file : \"");
    EXPECT_EQ(Utf8(TextTable::ProjectFile, 7, Language::French), "Le fichier MP3 : \"");
    EXPECT_EQ(Utf8(TextTable::ProjectFile, 7, Language::German), "MP3 file : \"");
    EXPECT_EQ(Utf8(TextTable::ProjectFile, 8, Language::English),
              "\" of your project was remove or does not exist any more! Please select one MP3 "
              "file for your project : ");
    EXPECT_EQ(Utf8(TextTable::ProjectFile, 8, Language::French),
              "\" de votre projet a été déplacé ou n'existe plus! Vueillez sélectionner un "
              "fichier MP3 pour de votre projet : ");
    EXPECT_EQ(Utf8(TextTable::ProjectFile, 8, Language::Spanish),
              Utf8(TextTable::ProjectFile, 8, Language::English));
}

TEST(LanguageTablesTest, AboutBoxShowsTheWebAddressInEveryLanguage) {
    for (Language language : kLanguages) {
        EXPECT_EQ(Utf8(TextTable::AboutBox, 4, language), "https://lumivox.example");
    }
    EXPECT_EQ(Utf8(TextTable::AboutBox, 1, Language::German), "Über Vostrel Lumivox Editor");
    EXPECT_EQ(Utf8(TextTable::AboutBox, 2, Language::Spanish), "Editor Vostrel Lumivox");
}

TEST(LanguageTablesTest, KeyAndControllerNamesAreTheSameInEveryLanguage) {
    for (TextTable table : {TextTable::KeyNames, TextTable::ControllerNames}) {
        for (int entry = 1; entry <= EntryCount(table); ++entry) {
            const QString english = Text(table, entry, Language::English);
            for (Language language : kLanguages) {
                EXPECT_EQ(Text(table, entry, language), english) << "entry " << entry;
            }
        }
    }
    EXPECT_EQ(Utf8(TextTable::KeyNames, 1, Language::German), "C ");
    EXPECT_EQ(Utf8(TextTable::KeyNames, 2, Language::French), "C#");
    EXPECT_EQ(Utf8(TextTable::KeyNames, 12, Language::Spanish), "B ");
    EXPECT_EQ(Utf8(TextTable::ControllerNames, 1, Language::French), "000 Bank Select");
}

TEST(LanguageTablesTest, ControllerNamesRunFromZeroTo127InOrder) {
    for (int controller = 0; controller < 128; ++controller) {
        const QString name = Text(TextTable::ControllerNames, controller + 1, Language::English);
        const QString number = QStringLiteral("%1 ").arg(controller, 3, 10, QLatin1Char('0'));
        EXPECT_TRUE(name.startsWith(number)) << name.toStdString();
    }
}

TEST(LanguageTablesTest, ExtraTextsKeepTheirPlaceholdersInEveryLanguage) {
    static const QRegularExpression placeholder(QStringLiteral("%[1-9]"));
    const auto placeholdersOf = [](const QString& text) {
        QSet<QString> found;
        for (auto it = placeholder.globalMatch(text); it.hasNext();) {
            found.insert(it.next().captured());
        }
        return found;
    };
    const QSet<QString> none;
    const QSet<QString> one{QStringLiteral("%1")};
    const QSet<QString> two{QStringLiteral("%1"), QStringLiteral("%2")};
    const QSet<QString> three{QStringLiteral("%1"), QStringLiteral("%2"), QStringLiteral("%3")};
    const std::array<QSet<QString>, ExtraText::Count> expected{
        three, none, one,  one,   one, none, two,  two, one,  one,  one,  one,
        none,  none, none, three, two, none, none, two, none, none, none, none};
    for (int entry = 1; entry <= ExtraText::Count; ++entry) {
        for (Language language : kLanguages) {
            EXPECT_EQ(placeholdersOf(Text(TextTable::Extra, entry, language)),
                      expected[static_cast<std::size_t>(entry - 1)])
                << "entry " << entry << " language " << static_cast<int>(language);
        }
    }
}

TEST(LanguageTablesTest, ExtraTextsAreTranslated) {
    EXPECT_EQ(Utf8(TextTable::Extra, ExtraText::ProjectRefused, Language::English),
              "The project file %1 cannot be read (line %2): %3");
    EXPECT_EQ(Utf8(TextTable::Extra, ExtraText::BadCommentCount, Language::English),
              "the comment count %1 is not valid.");
    for (int entry = 1; entry <= ExtraText::Count; ++entry) {
        const QString english = Text(TextTable::Extra, entry, Language::English);
        for (Language language : {Language::French, Language::Spanish, Language::German}) {
            EXPECT_NE(Text(TextTable::Extra, entry, language), english) << "entry " << entry;
        }
    }
    const QString message =
        Text(TextTable::Extra, ExtraText::ProjectRefused, Language::German)
            .arg(QStringLiteral("lied.lvx"))
            .arg(12)
            .arg(Text(TextTable::Extra, ExtraText::FileEndsEarly, Language::German));
    EXPECT_EQ(message.toStdString(),
              "Die Projektdatei lied.lvx kann nicht gelesen werden (Zeile 12): die Datei endet "
              "vorzeitig.");
}

TEST(LanguageTablesTest, TrackEditingTextsAreTranslatedAndTheMenuEntriesKeepOneShortcut) {
    EXPECT_EQ(Utf8(TextTable::TrackEditing, TrackEditingText::MoveUp, Language::English),
              "Move Up");
    EXPECT_EQ(Utf8(TextTable::TrackEditing, TrackEditingText::MoveDown, Language::French),
              "Descendre");
    for (int entry = 1; entry <= TrackEditingText::Count; ++entry) {
        const QString english = Text(TextTable::TrackEditing, entry, Language::English);
        for (Language language : {Language::French, Language::Spanish, Language::German})
            EXPECT_NE(Text(TextTable::TrackEditing, entry, language), english) << entry;
    }
    for (Language language :
         {Language::French, Language::English, Language::Spanish, Language::German}) {
        EXPECT_EQ(Text(TextTable::TrackEditing, TrackEditingText::UndoDepth, language).count('&'),
                  1);
        EXPECT_TRUE(Text(TextTable::TrackEditing, TrackEditingText::UndoDepthPrompt, language)
                        .contains(QStringLiteral("1000")));
    }
}

} // namespace
} // namespace lumivox
