#pragma once
// The about box: application title, product line, the maker's notice with
// its years, the program's version and, on request, the versions of the
// modules of a table.
#include "components/UrlLabel.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/ListView.h"
#include "platform/framework/StdCtrls.h"
#include "platform/runtime/TCString.h"

// One row of the module table; a row with an empty caption ends it.
struct TAboutModule {
    const char* caption;   // shown translated
    const char* fileName;  // in the program's folder
};

// The program's version as the build records it ("a.b.c.d").
const char* programVersionText();

// The version text of a file: empty when it does not exist, "Нет данных!"
// (translated) when it carries no version record, else "a.b.c.d".
TCString fileVersionText(const char* path);

// The notice line: the first year alone when it is the current year, both
// joined by "," when the current year follows it, else a range with "-".
TCString aboutNoticeLine(int firstYear, int currentYear);

class TNAboutForm : public TForm {
    DECLARE_CLASS(TNAboutForm)
    explicit TNAboutForm(TComponent* AOwner);

    TImage* img1;              // the emblem
    TImage* img2;              // the animated emblem (1 April)
    TStaticText* StaticText1;  // application title
    TStaticText* StaticText3;  // product line
    TStaticText* txt1;         // notice line
    TStaticText* txt2;         // "v " + version
    TPanel* Panel2;            // the versions, collapsible
    TListView* ListView1;
    TButton* Button1;  // "Закрыть"
    TButton* Button2;  // "Версии >>"
    TPanel* pnlLinks;
    TUrlLabel* urlWeb;
    TUrlLabel* urlMail;

    // Fills the versions: the program's first, then each module of the table
    // found in `folder` (rows of missing files are left out).
    void fillVersions(const TAboutModule* modules, const String& folder);
    // Shows the normal or (on 1 April) the animated emblem.
    void showEmblem(int month, int day);
    bool expanded() const { return FExpanded; }
    void setExpanded(bool on);
    void Button2Click(TObject* Sender);

private:
    bool FExpanded = true;
};

// Shows the about box modally (the third argument is not used).
void showAboutBox(int firstYear, const TAboutModule* modules, void* unused = nullptr);

// The about box of the key generator's windows: the program's libraries since 2020.
void showProgramAboutBox();
