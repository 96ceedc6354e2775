#pragma once
// The progress window: a borderless window with a turning picture and a
// text, shown and hidden by the device-progress callbacks while the
// libraries work.
#include <cstdint>

#include "platform/framework/ComCtrls.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/MsgCtrls.h"
#include "platform/framework/StdCtrls.h"
#include "platform/runtime/TCStringList.h"

// Flags of TCProgressForm::progress.
constexpr uint32_t PRF_TEXT = 0x1;      // show the given text
constexpr uint32_t PRF_POSITION = 0x2;  // set the bar's position
constexpr uint32_t PRF_MAXIMUM = 0x4;   // set the bar's maximum
constexpr uint32_t PRF_SAVE = 0x10;     // keep the current text
constexpr uint32_t PRF_RESTORE = 0x20;  // show the oldest kept text
constexpr uint32_t PRF_NOBAR = 0x40;    // hide the bar

class TCProgressForm : public TForm {
    DECLARE_CLASS(TCProgressForm)
    explicit TCProgressForm(TComponent* AOwner);

    TPanel* Panel1;
    TLabel* CAnimText;
    TBusyPicture* img1;
    TProgressBar* ProgressBar1;

    int FStayOnTop = 0;  // positive: brought back to the top when deactivated
    TCStringList savedTexts;
    bool hideOnDeactivate = true;

    void showText(const char* text);
    virtual bool progress(const char* text, int position, uint32_t flags, int maximum);
    virtual void fitText(const char* text);

protected:
    void DoShow() override;
    void DoHide() override;
    void Activate() override;
    void Deactivate() override;

private:
    void placeCentred();
};
