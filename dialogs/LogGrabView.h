#pragma once
// The result window of an operation: the log lines a grabber collected,
// coloured by kind, with a picture and one or two buttons.
#include <cstdint>

#include "dialogs/LogGrabber.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/MsgCtrls.h"
#include "platform/framework/StdCtrls.h"

// Flag word of showLogGrabber.
constexpr uint32_t LGV_QUESTION = 2;  // the question picture
constexpr uint32_t LGV_ERROR = 4;     // the error picture whatever the last line
constexpr uint32_t LGV_YESNO = 8;     // "Да" and "Нет" (else one "Ok" button)

class TLogGrabViewForm : public TForm {
    DECLARE_CLASS(TLogGrabViewForm)
    explicit TLogGrabViewForm(TComponent* AOwner);

    TPanel* pnl1;      // top margin
    TPanel* pnl2;      // bottom: the buttons
    TPanel* pnl3;      // left: the pictures
    TLinesView* re1;   // the lines
    TLabel* lbl2;      // optional text under the lines
    TIconImage* img1;  // question
    TIconImage* img2;  // information
    TIconImage* img3;  // error
    TButton* btn1;     // "Да"
    TButton* btn2;     // "Нет" / "Ok"

    // Adds one line in the colour its code and text call for.
    void addLine(const char* text, uint32_t code);
    void setLabel(const char* text);
    // Sizes the window to the lines (see the message window), inside the
    // screen's available area; more lines than fit scroll.
    void fitText();
    const TCString& joinedText() const { return FJoined; }

private:
    int linesWidthFor(int clientWidth) const;
    TCString FJoined;
};

// The colour of a line: maroon for a failure code, navy for a line that
// starts with the translation of "Сервер", black otherwise.
TColor logLineColor(const char* text, uint32_t code);

// Shows the grabber's lines; answers 1 without a window when there are none,
// else the window's modal result.
int showLogGrabber(TCLogGrabber* grabber, uint32_t flags, const char* caption = nullptr, const char* label = nullptr);
