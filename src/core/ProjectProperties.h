// The fields the Project Properties dialog edits, and the seam through which the project
// commands show it (the dialog in the editor, a script in tests).
#pragma once

#include "core/LanguageTables.h"

#include <QString>
#include <QStringList>

namespace lumivox {

struct TProjectPropertiesData {
    QString Name;
    QString Mp3Path;
    int ResolutionIndex = 1;       // 1 = 100 ms, 2 = 500 ms, 3 = 1000 ms
    bool ResolutionEnabled = true; // the resolution cannot change after creation
    QString Subject;
    QString Author;
    QString Copyright;
    QString Customer;
    QString CreationDate;
    QStringList Comments;
};

class IProjectPropertiesEditor {
public:
    virtual ~IProjectPropertiesEditor() = default;
    // Shows the dialog modally over `data` with its texts in `language`; true on OK, when
    // `data` holds what the user entered. On Cancel `data` is left as it was.
    virtual bool EditProjectProperties(TProjectPropertiesData& data, Language language) = 0;
};

} // namespace lumivox
