// The program's own translation tables in one of its languages, for a scope.
#pragma once

#include <string>

#include "platform/runtime/Translation.h"

namespace zrxtest {

class ProgramLanguage {
public:
    explicit ProgramLanguage(int id) {
        zrnSetTranslationDir((std::string(ZRX_SOURCE_DIR) + "/app/data/lang").c_str());
        zrnSetLanguage(id);
    }
    ~ProgramLanguage() { zrnResetTranslation(); }
    ProgramLanguage(const ProgramLanguage&) = delete;
    ProgramLanguage& operator=(const ProgramLanguage&) = delete;
};

inline constexpr int kProgramLanguages[] = {ZRN_LANG_RUSSIAN, ZRN_LANG_ENGLISH, ZRN_LANG_UKRAINIAN};

}  // namespace zrxtest
