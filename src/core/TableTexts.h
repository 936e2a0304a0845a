// The texts of language tables kept in files of their own, for the table list of
// LanguageTables.cpp. Each array holds four languages (French, English, Spanish, German) of
// the table's entries, in entry order.
#pragma once

#include "core/LanguageTables.h"

namespace lumivox::texts {

extern const char* const kFileTexts[FileText::Count * 4];
extern const char* const kShellTexts[ShellText::Count * 4];

} // namespace lumivox::texts
