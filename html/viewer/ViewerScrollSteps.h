#pragma once
// The arithmetic of the viewer's scrolling, apart from the controls: where
// a position may go, how far the wheel, the keys and the auto-scroll move
// it, and where the background picture is anchored.
#include <cstdint>

#include "platform/framework/Controls.h"

// Pos kept within 0 … max(0, Range).
int32_t ClampScrollPosition(int32_t Pos, int32_t Range);

// Pixels the wheel moves the page (positive: down) for a delta in 1/120
// notch with the system's wheel lines (16 pixels a line; 0 or less: half
// the delta). What does not make a whole pixel stays in Remainder for the
// next event, so that fine wheels and touchpads scroll as far as notches.
int32_t WheelScrollPixels(int WheelDelta, int Lines, int& Remainder);

// The vertical position a key leads to from Pos (Space, Shift+Space, Page
// Up/Down, Up/Down, Ctrl+Home, Ctrl+End), kept within the document; other
// keys and combinations leave Pos.
int32_t KeyScrollTarget(uint16_t Key, TShiftState Shift, int32_t Pos, int32_t SmallChange, int32_t LargeChange,
                        int32_t MaxVertical, int32_t PanelHeight);

// One step of the auto-scroll while the left button drags above (Y ≤ 0) or
// below (Y > Height) the panel: one small change, eight beyond 15 pixels.
int32_t DragScrollTarget(int Y, int Height, int32_t Pos, int32_t SmallChange);
// One step of middle-button scrolling: a quarter of the distance from the
// press beyond a 16-pixel dead zone; Down tells the cursor to show.
int32_t MiddleScrollTarget(int Y, int MiddleY, int32_t Pos, bool& Down);

// The area a background picture is placed in: the panel when it is fixed,
// else the whole document, offset by the scroll positions.
struct ThvBackgroundArea {
    int32_t X = 0, Y = 0, Width = 0, Height = 0;
};
ThvBackgroundArea BackgroundArea(bool Fixed, int32_t PanelWidth, int32_t PanelHeight, int32_t HPosition,
                                 int32_t YOffset, int32_t HMax, int32_t MaxVertical);

// Letters, digits and every character above 191 make words for a double click.
bool IsWordChar(char16_t Ch);
