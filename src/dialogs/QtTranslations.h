// Qt's own texts (the standard buttons of message boxes, the file choosers, the input boxes)
// in the interface's language, from the translations Qt ships.
#pragma once

#include "core/LanguageTables.h"

#include <memory>

class QTranslator;

namespace lumivox {

class TQtTranslations {
public:
    TQtTranslations();
    ~TQtTranslations();
    TQtTranslations(const TQtTranslations&) = delete;
    TQtTranslations& operator=(const TQtTranslations&) = delete;

    // Installs Qt's translation for `language` in place of the last one; English needs none.
    // False when the translation is not installed on this machine (Qt then speaks English).
    bool Apply(Language language);

private:
    std::unique_ptr<QTranslator> Installed;
};

} // namespace lumivox
