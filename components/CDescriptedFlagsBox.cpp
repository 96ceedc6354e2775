#include "components/CDescriptedFlagsBox.h"

#include <cinttypes>
#include <cstdio>

#include "platform/core/config/FlagDescriptors.h"
#include "platform/runtime/Translation.h"

IMPLEMENT_CLASS(TCDescriptedFlagsBox, TCFlagsBox) {
    r.Str(
        "Name", [](TCDescriptedFlagsBox* b) { return b->Name(); }, &TCDescriptedFlagsBox::SetName);
    r.Boolean("ConvertValue", &TCDescriptedFlagsBox::ConvertValue, &TCDescriptedFlagsBox::SetConvertValue);
}

TCDescriptedFlagsBox::TCDescriptedFlagsBox(TComponent* AOwner) : TCFlagsBox(AOwner) {}

void TCDescriptedFlagsBox::SetName(const String& name) {
    TComponent::SetName(name);
    const TCFlagsBoxDescriptor* d = findFBFields(name.c_str());
    if (!d) return;
    // The configuration's captions are source texts; values travel by name.
    for (const TCFlagsBoxValue& v : d->values) AddItem(zrnTranslateString(v.caption.c_str()).c_str(), v.value, true);
}

bool TCDescriptedFlagsBox::setTextValue(const String& text) {
    if (text.empty()) {
        SetChecked(0);
        return true;
    }
    uint64_t v = 0;
    bool ok = false;
    if (FConvertValue) v = fbFlagsByText(Name().c_str(), text.c_str(), FBLT_CHECKBOXES, &ok);
    else ok = fbxParseValue(text, v);
    if (!ok) return false;
    SetChecked(v);
    return true;
}

String TCDescriptedFlagsBox::getTextValue() const {
    uint64_t v = GetChecked();
    if (v == 0) return String();
    if (FConvertValue) return fbTextByFlag(Name().c_str(), v, FBLT_CHECKBOXES).str();
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%" PRIX64, v);
    return buf;
}
