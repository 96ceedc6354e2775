#include "html/text/Lengths.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "html/text/HtmlText.h"
#include "html/text/PropertyIndex.h"
#include "platform/framework/Forms.h"

using namespace htmltext;

namespace {
int gPixelsPerInch = 0;
}

int ScreenPixelsPerInch() {
    if (gPixelsPerInch > 0) return gPixelsPerInch;
    return Screen ? Screen->PixelsPerInch() : 96;
}

int SetScreenPixelsPerInch(int Value) {
    const int old = gPixelsPerInch;
    gPixelsPerInch = Value;
    return old;
}

bool SplitNumberAndUnit(std::u16string_view Str, double& Number, std::u16string& UnitText) {
    size_t used = 0;
    const auto whole = scanFloat(Str, used);
    if (!whole) return false;
    size_t pos = used;
    const size_t e = Str.find(u'e');
    if (e != std::u16string_view::npos && e < pos) pos = e;
    if (pos >= Str.size()) {
        Number = *whole;
        UnitText.clear();
        return true;
    }
    const auto head = toFloat(Str.substr(0, pos));
    if (!head) return false;
    Number = *head;
    UnitText = trim(Str.substr(pos));
    return true;
}

int32_t LengthToPixels(std::u16string_view Str, bool Relative, int32_t Base, int32_t EmSize, int32_t ExSize,
                       int32_t Default) {
    double n;
    std::u16string unit;
    if (!SplitNumberAndUnit(Str, n, unit)) return Default;
    const long double v = n;
    const long double ppi = ScreenPixelsPerInch();
    long double px;
    if (unit.empty()) px = Relative ? v * Base : v;
    else if (unit == u"%") px = v * Base * 0.01L;
    else if (unit == u"in") px = v * ppi;
    else if (unit == u"cm") px = v * ppi * 0.3937007874015748L;
    else if (unit == u"mm") px = v * ppi * 0.03937007874015748L;
    else if (unit == u"pt") px = v * ppi / 72;
    else if (unit == u"px") px = v;
    else if (unit == u"pc") px = v * ppi / 6;
    else if (unit == u"em") px = v * EmSize;
    else if (unit == u"ex") px = v * ExSize;
    else return Default;
    // Truncation toward zero, saturated.
    const long double t = truncl(px);
    if (t != t) return Default;
    if (t >= MaxLengthPixels) return MaxLengthPixels;
    if (t <= -MaxLengthPixels) return -MaxLengthPixels;
    return int32_t(t);
}

int32_t ClampLength(int64_t Value) {
    if (Value == AutoSentinel || Value == NoValueSentinel || Value == DefaultParagraphSpace) return int32_t(Value);
    return int32_t(std::clamp<int64_t>(Value, -MaxLengthPixels, MaxLengthPixels));
}

int32_t LengthFromVariant(const ThtVariant& Value, bool Relative, int32_t Base, int32_t EmSize, int32_t ExSize,
                          int32_t Default) {
    if (VarIsStr(Value)) return LengthToPixels(VarStr(Value), Relative, Base, EmSize, ExSize, Default);
    if (VarIsOrdinal(Value) && VarInt(Value) != AutoSentinel) return ClampLength(VarInt(Value));
    return Default;
}

bool VarIsAuto(const ThtVariant& Value) { return VarIsOrdinal(Value) && VarInt(Value) == AutoSentinel; }
bool VarIsIntNull(const ThtVariant& Value) { return VarIsOrdinal(Value) && VarInt(Value) == NoValueSentinel; }
