#pragma once
// The whole content of a key container as a tree (public keys, private keys,
// storage keys) with an HTML detail of the selected item, and the deletion
// of single items from the container.
#include <cstdint>
#include <string>

#include "html/viewer/WindowViewer.h"
#include "platform/framework/ActnList.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"
#include "platform/framework/Splitter.h"
#include "platform/framework/TreeView.h"
#include "platform/runtime/TCString.h"

class TCBaseUserKeysContext;
class TCCompStorage;
class TCPrivateEVPKey;
class TCSBaseKeysList;
class TResImageList;
class TZrX509Base;
class TZrX509Csp;

// Pictures of the page strip used by the tree.
constexpr int kCertificatesImage = 2, kRequestsImage = 7, kActiveKeysImage = 0, kNewKeysImage = 6,
              kPreviousKeysImage = 10, kKeyAgreementKeyImage = 8, kSignatureKeyImage = 9;
// Backgrounds: key-agreement-only items, and the selection while the tree has no focus.
constexpr TColor kKeyAgreementItemColor = 0xF8EADC;
constexpr TColor kUnfocusedSelectionColor = 0xE8DACC;

class TCtxListsViewFrame : public TFrame {
    DECLARE_CLASS(TCtxListsViewFrame)
public:
    TCtxListsViewFrame(TComponent* AOwner, TZrX509Csp* csp);
    explicit TCtxListsViewFrame(TComponent* AOwner) : TCtxListsViewFrame(AOwner, nullptr) {}
    // Keeps the tree's width for the next run.
    ~TCtxListsViewFrame() override;

    // ---- components
    TResImageList* rsmglstPage;
    TTreeView* tv1;
    TSplitter* spl1;
    TPanel* pnl1;
    TWindowHtmlViewer* htmlvwr1;
    TPopupMenu* pm1;
    TMenuItem* saveMI;
    TMenuItem* statusMI;
    TMenuItem* deleteMI;
    TMenuItem* ChangeMI;
    TMenuItem* addEncodeMI;
    TMenuItem* ActLockMI;
    TCCompStorage* cmpstrg1;

    // ---- state (the container window writes treePageActive)
    TCBaseUserKeysContext* content = nullptr;
    TTreeNode* certificatesNode = nullptr;
    TTreeNode* requestsNode = nullptr;
    TTreeNode* activeKeysNode = nullptr;
    TTreeNode* newKeysNode = nullptr;
    TTreeNode* previousKeysNode = nullptr;
    TTreeNode* storageKeysNode = nullptr;
    uint8_t treePageActive = 0;
    TZrX509Base* selectedObject = nullptr;

    // ---- operations
    void setContent(TCBaseUserKeysContext* c);
    void rebuildTree();
    bool canDeleteSelected() const;
    bool deleteSelected();
    void updateChangeKeyAction(TAction* action);
    TZrX509Base* relatedObject(const TCPrivateEVPKey* key) const;
    void tv1Change(TObject* Sender, TTreeNode* Node);
    void tv1AdvancedCustomDrawItem(TObject* Sender, TTreeNode* Node, TCustomDrawState State, TCustomDrawStage Stage,
                                   bool& PaintImages, bool& DefaultDraw);
    // The background a node is drawn with (clNone: the tree's own); focused
    // tells whether the tree has the focus.
    TColor nodeBackground(TTreeNode* node, bool selected, bool focused) const;

    bool deleteNode(TTreeNode* node);
    bool deleteObject(TTreeNode* node);
    bool deleteStorageKey(TTreeNode* node, TCSBaseKeysList& list);
    bool deletePrivateKey(TTreeNode* node, TCSBaseKeysList& list);
    // The key of the list whose identifier is the text and whose
    // key-agreement flag is keyAgreement; null when none or the text is bad.
    TCPrivateEVPKey* findPrivateKey(const char* idText, const TCSBaseKeysList& list, bool keyAgreement) const;
    // Another node that carries the node's object, or null.
    TTreeNode* findTwinNode(TTreeNode* node) const;

    // The detail texts.
    static std::u16string noObjectText();
    static std::u16string selectPromptText();
    static std::u16string storageKeyText(const TCString& id, size_t lengthBytes);

protected:
    void addListItems(TTreeNode* parent, const TCSBaseKeysList& list, int image);
    // The stored width comes back once the frame sits on its window.
    void FormAssigned(TCustomForm* form) override;

private:
    bool FStateRestored = false;
};
