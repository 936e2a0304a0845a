// Loading and switching Qt's own translations.
#include "dialogs/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace lumivox {

TQtTranslations::TQtTranslations() = default;

TQtTranslations::~TQtTranslations() {
    if (Installed)
        QCoreApplication::removeTranslator(Installed.get());
}

bool TQtTranslations::Apply(Language language) {
    if (Installed) {
        QCoreApplication::removeTranslator(Installed.get());
        Installed.reset();
    }
    if (language == Language::English)
        return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(LocaleOf(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    Installed = std::move(translator);
    return true;
}

} // namespace lumivox
