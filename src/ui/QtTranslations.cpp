// Loading and switching Qt's own translations.
#include "ui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace lumivox {

namespace {

QString QtLanguageCode(Language language) {
    switch (language) {
    case Language::French:
        return QStringLiteral("fr");
    case Language::Spanish:
        return QStringLiteral("es");
    case Language::German:
        return QStringLiteral("de");
    case Language::English:
        break;
    }
    return {};
}

} // namespace

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
    const QString code = QtLanguageCode(language);
    if (code.isEmpty())
        return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_") + code,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    Installed = std::move(translator);
    return true;
}

} // namespace lumivox
