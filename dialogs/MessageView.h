#pragma once
// The program's message window: every question, warning and error is shown
// here (translated captions and buttons, the program's look) instead of the
// system box, and the runtime library shows its error boxes through it.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "platform/framework/Dialogs.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/MsgCtrls.h"
#include "platform/framework/StdCtrls.h"
#include "platform/runtime/TCString.h"

// Buttons beyond the framework's set: the answers of the message-box style
// "Cancel, Try Again, Continue".
constexpr TMsgDlgBtn mbTryAgain = TMsgDlgBtn(12);
constexpr TMsgDlgBtn mbContinue = TMsgDlgBtn(13);

// Message kinds: 0 warning, 1 error, 2 information, 3 confirmation
// (mtWarning, mtError, mtInformation, mtConfirmation).
class TMessageViewForm : public TForm {
    DECLARE_CLASS(TMessageViewForm)
    explicit TMessageViewForm(TComponent* AOwner);

    TPanel* pnl1;       // bottom: the buttons
    TPanel* pnl2;       // left: the pictures
    TIconImage* img1;   // confirmation
    TIconImage* img2;   // information
    TIconImage* img3;   // warning
    TIconImage* img4;   // error
    TPanel* pnl3;       // top margin
    TScrollText* txt1;  // the message (plain text)

    void setKind(TMsgDlgType kind);
    void setMessage(const String& text);
    String message() const { return txt1->GetText(); }
    // Sizes the window to the text: wider in 21-pixel steps until the text is
    // lower than a third of the width, never beyond the screen's available
    // area (a longer text scrolls).
    void fitText();
    // One button per member of the set, in table order, placed right to left.
    void makeButtons(TMsgDlgButtons buttons);
    // The text height that fitText found the text needs.
    int neededTextHeight() const { return FTextHeight; }

private:
    int txtWidthFor(int clientWidth) const;
    int FTextHeight = 0;
};

// One row of the button table.
struct TMessageButtonInfo {
    const char* caption;  // Russian source, shown translated
    TMsgDlgBtn button;
    TModalResult modalResult;
    int boxResult;  // the message-box answer
};
const TMessageButtonInfo* messageButtonTable(int& count);

int showMessageWindow(const char* text, TMsgDlgType kind, TMsgDlgButtons buttons, const char* caption);
int messageDlg(const char* text, TMsgDlgType kind, TMsgDlgButtons buttons, int helpContext = 0);
inline int messageDlg(const std::string& text, TMsgDlgType kind, TMsgDlgButtons buttons, int helpContext = 0) {
    return messageDlg(text.c_str(), kind, buttons, helpContext);
}
inline int messageDlg(const TCString& text, TMsgDlgType kind, TMsgDlgButtons buttons, int helpContext = 0) {
    return messageDlg(text.c_str(), kind, buttons, helpContext);
}
// Windows message-box style flags in, message-box result out; the owner is not used.
int messageBox(void* owner, const char* text, const char* caption, uint32_t style);
// The runtime library's show-message function.
int runtimeMessageHook(const char* text, int isError);
void installMessageHook();

// Places a dialog centred on the main form (or the screen) and wholly inside
// the screen's available area.
void placeDialogOnScreen(TCustomForm* form);
// The largest client area a dialog may have on this screen.
int maxDialogClientWidth();
int maxDialogClientHeight();
// Widens a dialog's client width, starting from `width`, until the content
// is lower than the width divided by `aspect`, in 21-pixel steps and never
// beyond the screen's available area; it stops as soon as the content is as
// low as it gets at the screen's width (widening would only add empty room). measure(clientWidth, overflow) answers
// the client height the content needs at that width and sets overflow to how
// much wider than its area the content is (0 or less when it fits).
// Answers the width found and the height last measured.
TSize fitDialogToText(int width, int aspect, const std::function<int(int clientWidth, int& overflow)>& measure);
// The owner of a program dialog: the active form, else the main form.
TComponent* dialogOwner();
// Shows a program dialog modally: finishes its construction, runs prepare,
// places it on screen; the dialog is freed afterwards, also on a throw.
int showProgramDialog(TCustomForm* form, const std::function<void()>& prepare);
// A borderless panel of the dialog, owned by it, aligned to one side; size is its height
// (top, bottom) or width (left, right).
TPanel* makeDialogPanel(TCustomForm* form, const char* name, TAlign align, int size);
// The dialog's pictures img1, img2, ... on parent, one per kind, hidden.
void makeDialogIcons(TComponent* owner, TWinControl* parent,
                     std::initializer_list<std::pair<TIconImage**, TIconKind>> icons);
