#pragma once
// What the document model asks of the viewer that shows it. The viewer sits
// above the model (html/viewer) and implements this; the document, its
// sections, links and frames reach the viewer only through it, and a
// document without an owner (a test's hand-made tree) works without it.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "html/layout/ModelTypes.h"
#include "platform/framework/Controls.h"

class TUrlTarget;
class ThtFrameViewer;
struct TTablePartRec;

class ThtDocumentOwner {
public:
    virtual ~ThtDocumentOwner() = default;

    // The viewer as the Sender of the document's events.
    virtual TObject* SenderObject() = 0;
    // The name to load for a name found in the document.
    virtual std::u16string HtmlExpandFilename(std::u16string_view Filename) = 0;
    // Focus rectangles are drawn around focused links and controls.
    virtual bool ShowFocusRect() = 0;
    // The mouse moved over a form control (the control is the Sender).
    virtual void ControlMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) = 0;
    // Layout progress in percent.
    virtual void htProgress(int32_t Percent) = 0;
    // Enter on a link's tab stop: the viewer takes the link's address,
    // target, attributes and text (the source between its first and last
    // index) and follows it.
    virtual void FollowLinkByKey(const TUrlTarget& Link) = 0;
    // Any other key on a link's tab stop.
    virtual void ViewerKeyDown(uint16_t& Key, TShiftState Shift) = 0;
    // The nested viewer of an IFRAME, a child of the paint panel; null when
    // none can be made.
    virtual std::unique_ptr<ThtFrameViewer> CreateIFrameControl() = 0;
    // What a new document takes over from its viewer.
    virtual TStyleElements StyleElements() = 0;
    virtual bool UseQuirksMode() = 0;

    // The table-part record that printing shares with the table being
    // printed (the table hands its record over here).
    TTablePartRec* TablePartRec = nullptr;
};

// The nested viewer of an inline frame as its frame object sees it.
class ThtFrameViewer {
public:
    virtual ~ThtFrameViewer() = default;
    // The window control the frame object moves and sizes.
    virtual TWinControl* Control() = 0;
    virtual void Load(const std::u16string& Url) = 0;
    virtual TColor BackgroundColor() = 0;
    // A picture of what the viewer shows (its vertical scroll position on),
    // W × H pixels, drawn onto Canvas at (X, Y); false when it cannot.
    virtual bool DrawPicture(TCanvas* Canvas, int X, int Y, int W, int H) = 0;
};
