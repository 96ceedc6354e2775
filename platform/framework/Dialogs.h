// The framework's message dialog. Common dialogs (open/save, print ...) are
// added here as the windows need them; each runs through the modal hook
// (RunModalHook in Forms.h) before it shows anything real.
#pragma once

#include "platform/framework/Forms.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp, mbClose };
using TMsgDlgButtons = uint32_t;
template <class... B> constexpr TMsgDlgButtons mbSet(B... b) { return ((1u << b) | ... | 0u); }
constexpr TMsgDlgButtons mbOKCancel = (1u << mbOK) | (1u << mbCancel);
constexpr TMsgDlgButtons mbYesNoCancel = (1u << mbYes) | (1u << mbNo) | (1u << mbCancel);
constexpr TMsgDlgButtons mbYesNo = (1u << mbYes) | (1u << mbNo);

// A modal form with the message (plain text, label "Message") and one button
// per member of the set, named "Yes", "No", "OK", "Cancel", ...; returns the
// modal result of the button pressed (Escape and closing give mrCancel).
TCustomForm* CreateMessageDialog(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons);
int MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
void ShowMessage(const String& Msg);
