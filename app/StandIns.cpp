#include "app/StandIns.h"

#include "platform/framework/AppStyle.h"
#include "platform/runtime/Translation.h"

void applyStoredStyle(const char* defaultStyle) {
    if (defaultStyle && *defaultStyle) ApplyAppStyle(defaultStyle);
}

bool viewHtmlText(const char*, bool, const char*, const char*) { return false; }
