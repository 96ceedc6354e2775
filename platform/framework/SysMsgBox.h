// The system message box (the platform's own, not a program window): style
// flags and results keep the Windows numbers (MB_..., ID...).
#pragma once

#include <cstdint>

#include "platform/framework/Classes.h"

constexpr uint32_t MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4,
                   MB_RETRYCANCEL = 0x5, MB_CANCELTRYCONTINUE = 0x6, MB_ICONHAND = 0x10, MB_ICONERROR = 0x10,
                   MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30, MB_ICONWARNING = 0x30, MB_ICONASTERISK = 0x40,
                   MB_ICONINFORMATION = 0x40, MB_SETFOREGROUND = 0x10000, MB_TOPMOST = 0x40000;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7, IDCLOSE = 8,
              IDHELP = 9, IDTRYAGAIN = 10, IDCONTINUE = 11;

// What the modal hook receives for a system box (tests read and answer it).
class TSysMessageBox : public TObject {
    DECLARE_CLASS(TSysMessageBox)
    String Text;
    String Caption;
    uint32_t Style = 0;
};

// Shows the box (text as plain text) and answers the button pressed.
// Through the modal hook when one is set. On the offscreen platform without
// a hook no one could answer: the text goes to stderr and the first button
// answers. Without a Qt application the text goes to stderr as well.
int SysMessageBox(const String& text, const String& caption, uint32_t style);
// True on the thread that runs the user interface (or before it exists).
bool IsUserInterfaceThread();
