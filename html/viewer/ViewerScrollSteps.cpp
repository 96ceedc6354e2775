#include "html/viewer/ViewerScrollSteps.h"

#include <algorithm>

int32_t ClampScrollPosition(int32_t Pos, int32_t Range) { return std::max(0, std::min(Pos, std::max(0, Range))); }

int32_t WheelScrollPixels(int WheelDelta, int Lines, int& Remainder) {
    // Pixels per notch: 16 a line, or half a notch's delta for page scrolling.
    const int64_t perNotch = Lines > 0 ? 16 * int64_t(Lines) : WHEEL_DELTA / 2;
    const int64_t total = int64_t(Remainder) - int64_t(WheelDelta) * perNotch;
    const int64_t pixels = total / WHEEL_DELTA;
    Remainder = int(total - pixels * WHEEL_DELTA);
    return int32_t(std::clamp<int64_t>(pixels, INT32_MIN / 2, INT32_MAX / 2));
}

int32_t KeyScrollTarget(uint16_t Key, TShiftState Shift, int32_t Pos, int32_t SmallChange, int32_t LargeChange,
                        int32_t MaxVertical, int32_t PanelHeight) {
    const TShiftState mods = Shift & (ssShift | ssCtrl | ssAlt);
    int64_t p = Pos;
    switch (Key) {
    case VK_SPACE:
        if (mods == 0) p += LargeChange;
        else if (mods == ssShift) p -= LargeChange;
        break;
    case VK_PRIOR:
        if (mods == 0) p -= LargeChange;
        break;
    case VK_NEXT:
        if (mods == 0) p += LargeChange;
        break;
    case VK_UP:
        if (mods == 0) p -= SmallChange;
        break;
    case VK_DOWN:
        if (mods == 0) p += SmallChange;
        break;
    case VK_HOME:
        if (mods == ssCtrl) p = 0;
        break;
    case VK_END:
        if (mods == ssCtrl) p = MaxVertical;
        break;
    default: break;
    }
    p = std::clamp<int64_t>(p, 0, INT32_MAX);
    return ClampScrollPosition(int32_t(p), MaxVertical - PanelHeight);
}

int32_t DragScrollTarget(int Y, int Height, int32_t Pos, int32_t SmallChange) {
    if (Y < -15) return Pos - 8 * SmallChange;
    if (Y <= 0) return Pos - SmallChange;
    if (Y > Height + 15) return Pos + 8 * SmallChange;
    return Pos + SmallChange;
}

int32_t MiddleScrollTarget(int Y, int MiddleY, int32_t Pos, bool& Down) {
    int D = Y - MiddleY;
    Down = D > 0;
    D = Down ? D - 16 : D + 16;
    return Pos + D / 4;
}

ThvBackgroundArea BackgroundArea(bool Fixed, int32_t PanelWidth, int32_t PanelHeight, int32_t HPosition,
                                 int32_t YOffset, int32_t HMax, int32_t MaxVertical) {
    if (Fixed) return {0, 0, PanelWidth, PanelHeight};
    return {HPosition, YOffset, HMax, std::max(MaxVertical, PanelHeight)};
}

bool IsWordChar(char16_t Ch) {
    return (Ch >= u'0' && Ch <= u'9') || (Ch >= u'A' && Ch <= u'Z') || (Ch >= u'a' && Ch <= u'z') || Ch > 191;
}
