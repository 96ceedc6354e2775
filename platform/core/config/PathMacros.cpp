#include "platform/core/config/PathMacros.h"

#include "platform/core/config/CfgMacros.h"
#include "platform/runtime/FileUtils.h"

void registerPathMacros(const char* applName) {
    const bool named = applName && *applName;
    if (!getCFGMacroValue("APPL").isEmpty() && !named) return;
    registerCFGMacro("PROGRAMDIR", getMainPathName().c_str());
    const TCString file = getModuleFileName();
    registerCFGMacro("APPLFILENAME", file.c_str());
    const TCString name = named ? TCString(applName) : (file.lastPos('.') >= 0 ? file.beforeLast('.') : file);
    registerAppDataMacros(name.c_str());
}

void registerAppDataMacros(const char* applName) {
    const TCString name(applName ? applName : "");
    if (name.isEmpty()) return;
    if (getCFGMacroValue("APPL").compareIC(name) == 0) return;
    const TCString oldAppData = getCFGMacroValue("APPLDATA");
    registerCFGMacro("APPL", name.c_str());
    TCString base = getCFGMacroValue("APPLDATA_NAME");
    if (base.isEmpty()) base = name;
    TCString text = TCString::format("$ALLUSERS$/zoren/%s", base.c_str());
    substCFGMacroValues(text, CFGM_BUILTIN);
    registerCFGMacro("APPLDATA", text.c_str());
    // DATA follows the application's folder unless the settings named another.
    const TCString data = getCFGMacroValue("DATA");
    if (data.isEmpty() || data == oldAppData) registerCFGMacro("DATA", text.c_str());
    registerCFGMacro("XCFG", makePathName(text.c_str(), "xcfg").c_str());
    registerCFGMacro("PFT", makePathName(text.c_str(), "nctx").c_str());
    registerCFGMacro("UPDATES", makePathName(text.c_str(), "updates").c_str());
}
