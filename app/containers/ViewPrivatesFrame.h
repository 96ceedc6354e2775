#pragma once
// The view of one open key container: its four main objects as HTML pages
// (active certificate, current key-agreement object, next certificate or
// request, next key-agreement object) and the container's own commands.
// The container window takes over the tool bar tlb1 and the main menu mm1;
// the frame still owns and frees both. Joined to a content tree
// (TCtxListsViewFrame) by setListsFrame, the commands work on the tree's
// selected object while the tree page is active.
#include <cstdint>
#include <functional>

#include "html/viewer/WindowViewer.h"
#include "platform/framework/ActnList.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"
#include "platform/framework/Printers.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCString.h"
#include "platform/runtime/TCStringList.h"
#include "platform/x509api/ZrX509Csp.h"
#include "views/HtmlViewSetup.h"

class TCtxListsViewFrame;
class TCXCertsChain;
class TCXProfileDescriptor;
class TResImageList;
class TTreeNode;
class TZrX509Base;

// Export-caption pictures (tool-bar strip).
constexpr int kExportCertificateImage = 15;
constexpr int kExportRequestImage = 34;
// Nothing new was registered from a file.
constexpr KResult kNothingRegistered = 0xC080002A;
// The loader's cancel code.
constexpr KResult kOpenCancelled = 0xC0800024;
// Next keys were put into service.
constexpr KResult kNewKeysActivated = 0x40800005;

class TViewPrivatesFrame : public TFrame {
    DECLARE_CLASS(TViewPrivatesFrame)
public:
    explicit TViewPrivatesFrame(TComponent* AOwner);
    ~TViewPrivatesFrame() override;

    // ---- components
    TResImageList* rsmglst1;  // the tool bar's pictures
    TResImageList* rsmglst2;  // the same, greyed, for disabled buttons
    TToolBar* tlb1;
    TToolButton* btnClose;
    TToolButton* btn1;
    TToolButton* btnCreate;
    TToolButton* btnLoad;
    TToolButton* btnSave;
    TToolButton* btnExportX509;
    TToolButton* btn4;
    TToolButton* btnPrint;
    TToolButton* btn2;
    TToolButton* btnDelete;
    TPageControl* pgc1;
    TTabSheet* ts1;
    TTabSheet* ts2;
    TTabSheet* ts3;
    TTabSheet* ts4;
    // The pages' viewers, made when a page first shows an object.
    TWindowHtmlViewer* htmlvwr1 = nullptr;
    TWindowHtmlViewer* htmlvwr2 = nullptr;
    TWindowHtmlViewer* htmlvwr3 = nullptr;
    TWindowHtmlViewer* htmlvwr4 = nullptr;
    TWindowHtmlViewer* htmlv33 = nullptr;  // hidden, for printing; made at the first print
    TPopupMenu* PopupMenu1;
    TMainMenu* mm1;
    TMenuItem* ContainerMI;        // "Контейнер"
    TMenuItem* actChagePassword1;  // the change-password item
    TMenuItem* N11;                // save object
    TMenuItem* N17;                // register own certificate
    TMenuItem* N20;                // "Зарегистрировать цепочку" (hidden, no action)
    TMenuItem* ViewMI;             // "Просмотр"
    TSaveDialog* dlgSave1;
    TPrintDialog* PrintDialog;
    TActionList* ActionList1;
    TAction* actClose;
    TAction* actCreate;
    TAction* actLoad;
    TAction* actSave;
    TAction* actChagePassword;
    TAction* actExportX509;
    TAction* actToReq;
    TAction* actImportSelfCertificate;
    TAction* actAddCert;
    TAction* actDelete;
    TAction* SaveHTMLAction;
    TAction* PrintAction;

    // ---- virtual operations
    // Takes csp (when given and another) and refreshes; with onlyIfChanged
    // only when its content changed since the pages were last filled.
    virtual void showContainer(TZrX509Csp* csp, bool onlyIfChanged);
    // Asks for a container and loads it into the shown container object.
    virtual KResult openContainer();
    virtual void setListsFrame(TCtxListsViewFrame* frame);
    virtual void updateActions();

    // ---- state
    TZrX509Csp* containerObject() const { return container; }
    TCtxListsViewFrame* attachedListsFrame() const { return listsFrame; }
    // The tree's selected object while the tree page is active, else the
    // object of the active HTML page (null when none).
    TZrX509Base* currentObject() const;
    bool isTabsMode() const;
    // The object a page shows (null when hidden or empty).
    TZrX509Base* pageObject(TTabSheet* page) const;
    TZrX509Base* activeCertificateObject() const { return activeCertificate; }
    TZrX509Base* nextCertificateObject() const { return nextCertificate; }
    TZrX509Base* keyAgreementX509Object() const { return keyAgreementObject; }
    TZrX509Base* nextKeyAgreementX509Object() const { return nextKeyAgreementObject; }

    // ---- operations
    void updateToolbar();
    void refresh();
    // Shows an object on one of the four pages (its viewer made on first use);
    // none hides the page's tab.
    void showObjectPage(TZrX509Base* object, TTabSheet* page, bool next);
    // The viewer of one of the four pages, made when first asked for.
    TWindowHtmlViewer* pageViewer(TTabSheet* page);
    // The hidden viewer prints go through, made at the first print.
    TWindowHtmlViewer* printViewer();
    bool reopen();
    void refreshLists();
    void setExportCaption(TZrX509Base* object);
    // The parent form's caption for an owner.
    TCString captionFor(const TCString& owner) const;
    // The caption's format ("%s" the owner; a source text, translated when used).
    void setCaptionFormat(const char* format) { captionFormat = format; }

    bool saveContainerAs();
    bool changePassword();
    void saveCurrentObject();
    bool certificateToRequest();
    bool receiveCertificate();
    bool registerFromFile(const char* title, const TCStringList* keyIds);
    bool registerCertificateFile(const char* fileName, const TCStringList* keyIds);
    bool registerChainFile(const char* fileName, const TCStringList* keyIds);
    // The certificate and its issuers up to a root: from the container, else
    // asked from files. Stops at a certificate that names itself, one already
    // in the chain, or after kMaxChainDepth issuers.
    bool buildChain(const TZrX509& cert, TCXCertsChain& chain);
    bool loadIssuerCertificate(TComponent* owner, TZrX509& issuer, const TZrX509& cert);
    // Stores the chain's new certificates in one update of the container.
    bool registerChain(TCXCertsChain& chain);
    // The code registerChain ended with (0 before any).
    KResult lastRegisterResult() const { return FLastRegisterResult; }
    bool saveHtml();
    bool print();

    static constexpr int kMaxChainDepth = 16;

    // ---- action handlers
    void actCloseExecute(TObject* Sender);
    void actLoadExecute(TObject* Sender);
    void actSaveExecute(TObject* Sender);
    void actSaveUpdate(TObject* Sender);
    void actChagePasswordExecute(TObject* Sender);
    void actChagePasswordUpdate(TObject* Sender);
    void actExportX509Execute(TObject* Sender);
    void actExportX509Update(TObject* Sender);
    void actToReqExecute(TObject* Sender);
    void actToReqUpdate(TObject* Sender);
    void actImportSelfCertificateExecute(TObject* Sender);
    void actImportSelfCertificateUpdate(TObject* Sender);
    void actAddCertExecute(TObject* Sender);
    void actAddCertUpdate(TObject* Sender);
    void actDeleteExecute(TObject* Sender);
    void actDeleteUpdate(TObject* Sender);
    void SaveHTMLActionExecute(TObject* Sender);
    void SaveHTMLActionUpdate(TObject* Sender);
    void PrintActionExecute(TObject* Sender);
    void PrintActionUpdate(TObject* Sender);
    void pgc1Change(TObject* Sender);
    // Ctrl+C / Ctrl+Insert copies a viewer's selection (bound to no viewer).
    void htmlvwr2KeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);

    // ---- hooks and switches
    // The key profile for a certificate that names none (set by the main window).
    std::function<TCXProfileDescriptor*(TViewPrivatesFrame* frame, TZrX509* cert)> OnSelectProfile;
    // From the application configuration (set by the container window):
    // "app\flags.startupCheckCtx" and "app\flags.cpytkn".
    bool startupCheckCtx = true;
    bool copyToken = true;

protected:
    // Builders the derived frames use for their own commands.
    TToolButton* addToolButton(const char* name, TAction* action, bool separator = false);
    TMenuItem* addMenuItem(TMenuItem* parent, const char* name, TAction* action, const char* caption = nullptr);

    void listsTreeChange(TObject* Sender, TTreeNode* Node);

    TCtxListsViewFrame* listsFrame = nullptr;
    TZrX509Base* activeCertificate = nullptr;
    TZrX509Base* nextCertificate = nullptr;
    TZrX509Base* keyAgreementObject = nullptr;
    TZrX509Base* nextKeyAgreementObject = nullptr;
    TZrX509Csp* container = nullptr;
    uint8_t passwordGiven = 0;
    const char* captionFormat = nullptr;
    TZrX509Csp ownContainer;
    int64_t shownUpdateTime = 0;

private:
    // The pages' viewers hold no object any more.
    void forgetShownObjects();

    KResult FLastRegisterResult = 0;
};
