#pragma once
// The window that shows one HTML text with a set of answer buttons, and can
// print or save the text's print copy; the program's view-flags word.
#include "html/viewer/WindowViewer.h"
#include "platform/framework/ActnList.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"
#include "platform/framework/Printers.h"
#include "platform/framework/StdCtrls.h"
#include "platform/runtime/TCString.h"

class TCCompStorage;
class TCFormTranslator;

class TKeyViewFormEx : public TForm {
    DECLARE_CLASS(TKeyViewFormEx)
    explicit TKeyViewFormEx(TComponent* AOwner);

    // Shows the HTML; the print copy becomes printCopy, or the HTML when null.
    void setHtml(const char* html, const char* printCopy);
    // The answer buttons: 0 execute/stop, 4 execute/no/stop, 5 execute/skip/
    // all/stop, anything else (3) close only.
    void setMode(int mode);
    const TCString& printCopy() const { return FPrintCopy; }

    // Print and save of the print copy (the actions' handlers here).
    virtual void Button4Click(TObject* Sender);
    virtual void Button5Click(TObject* Sender);
    // Caption "prefix text"; unless the mode is 3, also the top label.
    void showCaption(const char* text, const char* prefix, int mode);
    // Ctrl+Insert copies the viewer's selection.
    void htmlView1KeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);

    TPanel* Panel1;
    TButton *Button1, *Button2, *Button3, *Button4, *Button5, *Button6;
    TPanel* pnl1;
    TLabel* lbl1;
    TWindowHtmlViewer* htmlView1;
    TWindowHtmlViewer* htmlv33;
    TPrintDialog* PrintDialog;
    TSaveDialog* SaveDialog1;
    TActionList* ActionList1;
    TAction* SaveHTMLAction;
    TAction* PrintAction;
    TPopupMenu* PopupMenu1;
    TCCompStorage* CompStorage;
    TCFormTranslator* FormTranslator;

protected:
    // Asks the print dialog (when askDialog), loads the HTML into the hidden
    // print viewer and prints the chosen page range or pages 1 to 9999.
    bool printHtml(const TCString& html, bool askDialog, int copies);
    // Asks for a file and writes the HTML; a failed write is shown and false.
    bool saveHtml(const TCString& html);

private:
    TCString FPrintCopy;
};

// Shows the HTML modally with the answer buttons of the mode; the caption is
// prefix and text; the print copy is printCopy or the HTML. Answers the modal result.
int execKeyViewForm(const char* html, int mode, const char* text, const char* prefix, const char* printCopy);
// View only, or with the Execute button; true when ended with OK or All.
bool viewHtmlText(const char* html, bool withExecute, const char* text, const char* prefix);

// The program's view-flags word.
void setViewFlags(uint32_t flags);
bool testViewFlags(uint32_t bits);
