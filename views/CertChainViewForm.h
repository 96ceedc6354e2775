#pragma once
// The certificate-chain window: the chain's certificates as a list, the
// issuer path of the selected one as a tree and the selected certificate as
// HTML; read-only, as a confirmation, or as a small chain editor.
#include <vector>

#include "html/viewer/WindowViewer.h"
#include "platform/core/x509/CertsChain.h"
#include "platform/framework/ActnList.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"
#include "platform/framework/Printers.h"
#include "platform/framework/Splitter.h"
#include "platform/framework/StatusBar.h"
#include "platform/framework/StdCtrls.h"
#include "platform/framework/TreeView.h"
#include "platform/runtime/TCStringList.h"

class TCAdvancedListView;
class TResImageList;
class TCCompStorage;
class TCFormTranslator;

// The "Тип" column's text and the list and tree picture (-1: none) for a
// certificate's usage flags.
const char* certificateTypeText(uint32_t keyFlags);
int certificateImageIndex(uint32_t keyFlags);

// The colours a list row is painted with; clNone keeps the list's own.
struct TChainRowColors {
    TColor background = clNone;
    TColor text = clNone;
};
TChainRowColors chainRowColors(uint32_t keyFlags, uint32_t status, bool selected);

// The certificate and its signers in the chain, one after the other. The
// walk ends at a certificate without a signer in the chain, at a self-signed
// one, at a certificate met before, and after as many steps as the chain
// holds, so that certificates naming each other as signers cannot loop.
std::vector<TZrX509*> chainSignerPath(const TCXCertsChain& chain, TZrX509* cert);

class TChainViewForm : public TForm {
    DECLARE_CLASS(TChainViewForm)
    // The chain stays the caller's.
    TChainViewForm(TComponent* AOwner, TCXCertsChain* chain);
    explicit TChainViewForm(TComponent* AOwner) : TChainViewForm(AOwner, nullptr) {}
    ~TChainViewForm() override;

    void setChain(TCXCertsChain* chain);
    TCXCertsChain* chain() const { return FChain; }
    void fillCertList();
    void fillChainTree(TZrX509* cert);
    void showCertificate(TZrX509* cert);
    bool loadChainFile(const char* name);
    bool saveChainAs();
    bool saveChainFile(const char* name);
    void setChainFileName(const char* name);
    const String& chainFileName() const { return FChainFileName; }
    bool verifyCertificate(TZrX509* cert);
    bool verifyChain();
    TListItem* findObjectRow(const TZrX509* cert) const;
    void selectObjectRow(TZrX509* cert);
    // The certificate of the selected list row, or null.
    TZrX509* selectedCertificate() const;
    // Every screen HTML shown since the window opened, in order.
    const TCStringList& displayHistory() const { return FHistory; }
    // The actions' visibility for read-only viewing, confirmation or editing,
    // then the tool bar without double separators.
    void setMode(bool readOnly, bool confirm);

    void actOkExecute(TObject* Sender);
    void actOkUpdate(TObject* Sender);
    void actCancelExecute(TObject* Sender);
    void actLoadExecute(TObject* Sender);
    void actAddExecute(TObject* Sender);
    void actAddUpdate(TObject* Sender);
    void actSaveExecute(TObject* Sender);
    void actSaveUpdate(TObject* Sender);
    void actSaveCrtExecute(TObject* Sender);
    void actSaveCrtUpdate(TObject* Sender);
    void actPrintExecute(TObject* Sender);
    void actPrintUpdate(TObject* Sender);
    void actSaveHTMLExecute(TObject* Sender);
    void actSaveHTMLUpdate(TObject* Sender);
    void actVerifyExecute(TObject* Sender);
    void actVerifyUpdate(TObject* Sender);
    void tv1Change(TObject* Sender, TTreeNode* Node);
    void lv1SelectItem(TObject* Sender, TListItem* Item, bool Selected);
    void lv1AdvancedCustomDrawItem(TObject* Sender, TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage,
                                   bool& DefaultDraw);
    void tv1AdvancedCustomDrawItem(TObject* Sender, TTreeNode* Node, TCustomDrawState State, TCustomDrawStage Stage,
                                   bool& PaintImages, bool& DefaultDraw);
    void mniN32Click(TObject* Sender);

    TMainMenu* mm1;
    TToolBar* tlb1;
    TStatusBar* stat1;
    TPanel* pnl1;
    TPanel* pnl2;
    TLabel* lbl1;
    TCAdvancedListView* lv1;
    TSplitter* spl1;
    TTreeView* tv1;
    TSplitter* spl2;
    TWindowHtmlViewer* htmlvwrLite1;
    TWindowHtmlViewer* htmlv33;
    TActionList* actlst1;
    TAction *actOk, *actCancel, *actLoad, *actAdd, *actSave, *actSaveCrt, *actPrint, *actSaveHTML, *actVerify;
    TPopupMenu* pm1;  // tree
    TPopupMenu* pm2;  // viewer
    TPopupMenu* pm3;  // list
    TResImageList* ilToolBar;
    TResImageList* ilToolBarHot;
    TResImageList* ilCerts;
    TPrintDialog* dlgPrint1;
    TSaveDialog* dlgSave1;
    TCCompStorage* cmpstrg1;
    TCFormTranslator* frmtrnsltr1;

private:
    TToolButton* addToolButton(TAction* action);
    TCXCertsChain* FChain = nullptr;
    String FChainFileName;
    TCStringList FHistory;
};

// Shows the chain read-only; answers the modal result.
int viewCertsChain(TCXCertsChain* chain);
// Confirmation (confirm true) or editing; true when the window closed with OK.
bool execCertsChainDialog(TCXCertsChain* chain, bool confirm);
