// Qt's own texts (the file and print dialogs, standard buttons and context
// menus) in the program's interface language.
#pragma once

#include "platform/framework/Classes.h"

// Installs Qt's translation for a language code ("ru", "en", "uk"), in place
// of the one installed before; false when Qt ships none for it (Qt then
// speaks English).
bool InstallFrameworkTranslations(const String& languageCode);
// The code installed last (empty when none is).
String FrameworkTranslationsLanguage();
