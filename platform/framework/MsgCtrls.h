// Controls of the message, result and progress windows: a stock icon
// picture, a scrolling plain-text view, a list of coloured lines, a spinning
// "busy" picture, and wrapped-text measurement.
#pragma once

#include <vector>

#include "platform/framework/Controls.h"

// The pictures of message windows.
enum TIconKind { ikNone, ikQuestion, ikInformation, ikWarning, ikError };
extern const TEnumInfo IconKindInfo;

// A picture of one of the stock message icons, scaled to the control.
class TIconImage : public TControl {
    DECLARE_CLASS(TIconImage)
    explicit TIconImage(TComponent* AOwner);
    TIconKind Kind() const { return FKind; }
    void SetKind(TIconKind v);

private:
    TIconKind FKind = ikNone;
};

// Read-only plain text (never rich text), word-wrapped; a text taller than
// the control scrolls. Without a frame it looks like a label.
class TScrollText : public TWinControl {
    DECLARE_CLASS(TScrollText)
    explicit TScrollText(TComponent* AOwner);
    String GetText() const override { return FText; }
    // True while the text does not fit and a scroll bar is offered.
    bool Scrolling() const;
    // The width left to the text in a control `width` pixels wide, with room
    // kept for the scroll bar (so that a text measured to it never needs one).
    int TextAreaWidth(int width) const;

protected:
    void ApplyText() override;
    void ApplyColor() override;
};

// A read-only list of lines, each in its own colour; texts are plain.
// No caret is shown.
class TLinesView : public TWinControl {
    DECLARE_CLASS(TLinesView)
    explicit TLinesView(TComponent* AOwner);
    void AddLine(const String& text, TColor color);
    void Clear();
    int LineCount() const { return int(FLines.size()); }
    String LineText(int i) const { return FLines.at(size_t(i)).text; }
    TColor LineColor(int i) const { return FLines.at(size_t(i)).color; }
    bool Scrolling() const;
    // The width and height that the list's frame, margins and scroll bar take
    // from a control of the given width / around its text.
    int TextAreaWidth(int width) const;
    int ExtraHeight() const;

protected:
    void ApplyColor() override;

private:
    struct Line {
        String text;
        TColor color;
    };
    std::vector<Line> FLines;
};

// A picture that turns while it is active (the "busy" animation).
class TBusyPicture : public TControl {
    DECLARE_CLASS(TBusyPicture)
    explicit TBusyPicture(TComponent* AOwner);
    ~TBusyPicture() override;
    bool Active() const { return FActive; }
    void SetActive(bool v);
    int Frame() const { return FFrame; }

private:
    bool FActive = false;
    int FFrame = 0;
    class QTimer* FTimer;
};

// Size of a text word-wrapped to `width` pixels in `font` (null: the
// application font), laid out as the text views do: a word wider than the
// line breaks inside, so cx stays within the width.
TSize MeasureWrappedText(const String& text, const TFont* font, int width);
// The primary screen's area available to windows.
TRect AvailableScreenArea();
// Saves a control's current picture (the window with its children) as PNG.
bool SaveControlImage(TControl* c, const String& fileName);
