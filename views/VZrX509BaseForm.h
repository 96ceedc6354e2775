#pragma once
// The view of one X.509 object of the core library, with a tab sheet for
// every certificate that signed it.
#include "platform/core/x509/Asn1Base.h"
#include "platform/framework/ComCtrls.h"
#include "views/KeyViewFrmEx.h"

class TCViewZrX509BaseForm : public TKeyViewFormEx {
    DECLARE_CLASS(TCViewZrX509BaseForm)
    explicit TCViewZrX509BaseForm(TComponent* AOwner);

    // Shows the object (not owned: it must outlive the window).
    void setObject(TZrX509Base* object);
    // A tab sheet with its own viewer, set up like htmlView1.
    TWindowHtmlViewer* addViewerPage(const char* caption, int pageIndex, TZrX509Base* tag);
    TWindowHtmlViewer* addObjectPage(const TZrX509Base* object, const char* captionPrefix, int pageIndex);
    void addSignerPages(const TZrX509Base* object);
    // The object of the active tab, else the shown object.
    TZrX509Base* currentObject() const;
    bool printObject(const TZrX509Base* object, bool askDialog, int copies);
    // The HTML that printing and saving of the object use.
    TCString objectPrintHtml(const TZrX509Base* object) const;

    virtual void PrintActionExecute(TObject* Sender);
    virtual void SaveHTMLActionExecute(TObject* Sender);
    void actViewCRLElementsExecute(TObject* Sender);

    TPageControl* pgc1;
    TTabSheet* ts1;
    TAction* actViewCRLElements;

protected:
    TCString FObjectHtml;
    TZrX509Base* FObject = nullptr;
};

// Shows the object modally with the answer buttons of the mode; answers the modal result.
int viewX509Object(TZrX509Base* object, int mode, const char* text, const char* prefix);
