#include "app/containers/CtxListsViewFrame.h"

#include "dialogs/MessageView.h"
#include "components/CCompStorage.h"
#include "components/FormsTranslation.h"
#include "components/ResImageList.h"
#include "platform/core/keys/KeysList.h"
#include "platform/core/keys/PrivateEVPKey.h"
#include "platform/core/keys/UserKeysContext.h"
#include "platform/core/x509/ZrXErrors.h"
#include "platform/runtime/MarkupEscape.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/Translation.h"
#include "platform/runtime/Utf16.h"
#include "platform/x509api/ZrX509Csp.h"
#include "views/HtmlViewSetup.h"
#include "views/HtmlViewerColor.h"

namespace {
constexpr int kItemLevel = 2;

std::u16string trW(const char* source) { return zrnTranslateStringW(zrx_utf8::toUtf16(source)); }

// The text a key is shown with: its identifier (hex), "@" first for a start-up key.
TCString keyNodeText(const TCSBaseBuff* key) {
    const TCString id = key->getKeyIDStr();
    return key->checkFlags(kfStartup) ? TCString("@") + id : id;
}

// The key a storage-key node stands for.
TCSBaseBuff* storageKeyOf(TTreeNode* node) { return static_cast<TCSBaseBuff*>(node->Data()); }

int confirm(const TCString& text) { return messageDlg(text, mtConfirmation, mbSet(mbYes) | mbSet(mbNo)); }
void inform(const TCString& text) { messageDlg(text, mtInformation, mbSet(mbOK)); }
void fail(const TCString& text) { messageDlg(text, mtError, mbSet(mbOK)); }

// One change of the content as a whole: undone unless committed, so that a
// failed write never leaves the content holding a deletion the user was
// told had failed. Inside an update begun by someone else it does nothing.
class ContentChange {
public:
    explicit ContentChange(TCBaseUserKeysContext* c) : c_(c), own_(c && !c->inUpdate()) {
        if (own_) c_->beginUpdate();
    }
    ~ContentChange() {
        if (own_ && c_->inUpdate()) c_->cancelUpdate();
    }
    void commit() {
        if (own_) c_->commitUpdate();
        own_ = false;
    }
    ContentChange(const ContentChange&) = delete;
    ContentChange& operator=(const ContentChange&) = delete;

private:
    TCBaseUserKeysContext* c_;
    bool own_;
};
}  // namespace

IMPLEMENT_CLASS(TCtxListsViewFrame, TFrame) {}

TCtxListsViewFrame::TCtxListsViewFrame(TComponent* AOwner, TZrX509Csp* csp) : TFrame(AOwner) {
    SetName("CtxListsViewFrame");
    rsmglstPage = new TResImageList(this);
    rsmglstPage->SetName("rsmglstPage");
    rsmglstPage->SetPixelFormat(pf4bit);
    rsmglstPage->LoadFromResource("BMP_RootCaMainPageControl");

    pm1 = new TPopupMenu(this);
    pm1->SetName("pm1");
    auto item = [this](const char* name, const char* caption) {
        auto* mi = new TMenuItem(this);
        if (name) mi->SetName(name);
        mi->SetCaption(caption);
        pm1->Items()->Add(mi);
        return mi;
    };
    saveMI = item("saveMI", "Save");
    item(nullptr, "-");
    statusMI = item("statusMI", "Status");
    item(nullptr, "-");
    deleteMI = item("deleteMI", "Delete");
    item(nullptr, "-");
    ChangeMI = item("ChangeMI", "Change");
    addEncodeMI = item("addEncodeMI", "Add Encode");
    ActLockMI = item("ActLockMI", "ActLock");

    tv1 = new TTreeView(this);
    tv1->SetName("tv1");
    tv1->SetParent(this);
    tv1->SetAlign(alLeft);
    tv1->SetWidth(295);
    tv1->SetImages(rsmglstPage);
    tv1->SetReadOnly(true);
    tv1->SetIndent(19);
    tv1->SetRightClickSelect(true);
    tv1->SetHideSelection(false);
    tv1->SetPopupMenu(pm1);
    tv1->OnChange = [this](TObject* s, TTreeNode* n) { tv1Change(s, n); };
    tv1->OnAdvancedCustomDrawItem = [this](TObject* s, TTreeNode* n, TCustomDrawState st, TCustomDrawStage sg, bool& pi,
                                           bool& dd) { tv1AdvancedCustomDrawItem(s, n, st, sg, pi, dd); };

    spl1 = new TSplitter(this);
    spl1->SetName("spl1");
    spl1->SetParent(this);
    spl1->SetAlign(alLeft);

    pnl1 = new TPanel(this);
    pnl1->SetName("pnl1");
    pnl1->SetParent(this);
    pnl1->SetAlign(alClient);
    pnl1->SetBevelOuter(bvNone);
    pnl1->SetCaption("");

    htmlvwr1 = new TWindowHtmlViewer(this);
    htmlvwr1->SetName("htmlvwr1");
    htmlvwr1->SetParent(pnl1);
    htmlvwr1->SetAlign(alClient);
    setupHtmlViewer(htmlvwr1);

    cmpstrg1 = new TCCompStorage(this);
    cmpstrg1->SetName("cmpstrg1");
    cmpstrg1->SetRegKey("Software\\Zoren\\ZI509");
    cmpstrg1->SetValueName("%FORMNAME%");
    cmpstrg1->GetStoredProps()->Add("tv1.Width");

    if (csp) setContent(csp->container());
    setHtmlViewerColor(htmlvwr1);
}

TCtxListsViewFrame::~TCtxListsViewFrame() {
    // The frame is no form: its storage hears of no closing, so it stores here.
    if (FStateRestored) cmpstrg1->store();
}

void TCtxListsViewFrame::FormAssigned(TCustomForm*) {
    if (FStateRestored) return;
    FStateRestored = true;
    cmpstrg1->restore();
}

// ---- texts

std::u16string TCtxListsViewFrame::noObjectText() {
    return trW("<center><font color=\"maroon\"><b>Отсутствует связанный PKI-объект</b></font></center>");
}

std::u16string TCtxListsViewFrame::selectPromptText() {
    return trW("<center><font color=\"green\"><b>Для просмотра выделите требуемый объект</b></font></center>");
}

std::u16string TCtxListsViewFrame::storageKeyText(const TCString& id, size_t lengthBytes) {
    const TCString format = tr(
        "<br><table width=25%%><tr><td><b>ID ключа:</b></td><td><font color=navy>%s</font></td></tr><tr><td><b>Длина:"
        "</b></td><td><font color=navy>%d бит</font></td></tr></table>");
    return TCFString(format.c_str(), escapeMarkup(id.str()).c_str(), int(lengthBytes * 8)).toUtf16();
}

// ---- the tree

void TCtxListsViewFrame::setContent(TCBaseUserKeysContext* c) {
    content = c;
    rebuildTree();
}

void TCtxListsViewFrame::addListItems(TTreeNode* parent, const TCSBaseKeysList& list, int image) {
    switch (list.getType()) {
    case kltActiveKeys:
    case kltNextKeys:
    case kltPrevEncodeKeys:
        for (int i = 0; i < list.count(); ++i) {
            TCPrivateEVPKey* key = list.asPrivateKey(i);
            if (!key) continue;
            TTreeNode* n = tv1->Items()->AddChildObject(parent, keyNodeText(key).c_str(), relatedObject(key));
            const int picture = key->checkFlags(kfKeyAgreementKey) ? kKeyAgreementKeyImage : kSignatureKeyImage;
            n->SetImageIndex(picture);
            n->SetSelectedIndex(picture);
        }
        break;
    case kltRequests:
    case kltCertificates:
        parent->SetSelectedIndex(image);
        for (int i = 0; i < list.count(); ++i) {
            TZrX509Base* object =
                list.getType() == kltCertificates ? static_cast<TZrX509Base*>(list.asX509(i)) : list.asTZrX509Req(i);
            if (!object) continue;
            const TCSBaseBuff* entry = list.at(i);
            const TCString text = entry->checkFlags(kfStartup) ? TCString("@") + object->ownerName()
                                                               : TCFString("%s (%s)", object->ownerName().c_str(),
                                                                           object->getKeyIDStr().c_str());
            TTreeNode* n = tv1->Items()->AddChildObject(parent, text.c_str(), object);
            n->SetImageIndex(image);
            n->SetSelectedIndex(image);
        }
        break;
    case kltStorageKeys:
        for (int i = 0; i < list.count(); ++i)
            if (TCSBaseBuff* key = list.asGOSTKey(i))
                tv1->Items()->AddChildObject(parent, keyNodeText(key).c_str(), key);
        break;
    default: break;
    }
}

void TCtxListsViewFrame::rebuildTree() {
    certificatesNode = requestsNode = activeKeysNode = newKeysNode = previousKeysNode = storageKeysNode = nullptr;
    selectedObject = nullptr;
    TTreeNodes* items = tv1->Items();
    items->BeginUpdate();
    items->Clear();
    if (!content) {
        items->EndUpdate();
        htmlvwr1->LoadFromString(noObjectText(), u"", HTMLType);
        return;
    }
    auto branch = [&](TTreeNode* parent, const char* text, int image) {
        TTreeNode* n = items->AddChild(parent, tr(text).c_str());
        n->SetImageIndex(image);
        n->SetSelectedIndex(image);
        return n;
    };
    TTreeNode* publicRoot = branch(nullptr, "Открытые ключи", -1);
    if (!content->ctx_CertificatesList.isEmpty()) {
        certificatesNode = branch(publicRoot, "Сертификаты", kCertificatesImage);
        addListItems(certificatesNode, content->ctx_CertificatesList, kCertificatesImage);
    }
    if (!content->ctx_RequestsList.isEmpty()) {
        requestsNode = branch(publicRoot, "Запросы", kRequestsImage);
        addListItems(requestsNode, content->ctx_RequestsList, kRequestsImage);
        requestsNode->Expand(false);
    }
    publicRoot->Expand(false);

    TTreeNode* privateRoot = branch(nullptr, "Личные ключи", -1);
    struct Branch {
        TTreeNode** node;
        const char* text;
        int image;
        const TCSBaseKeysList& list;
    } branches[] = {
        {&activeKeysNode, "Действующие", kActiveKeysImage, content->ctx_ActKeysList},
        {&newKeysNode, "Очередные", kNewKeysImage, content->ctx_NewKeysList},
        {&previousKeysNode, "Предыдущие", kPreviousKeysImage, content->ctx_PrevEncodeKeysList},
    };
    for (const Branch& b : branches) {
        if (b.list.isEmpty()) continue;
        *b.node = branch(privateRoot, b.text, b.image);
        addListItems(*b.node, b.list, b.image);
        (*b.node)->Expand(false);
    }
    if (!content->ctx_StorageKeysList.isEmpty()) {
        storageKeysNode = branch(nullptr, "Ключи хранения", -1);
        addListItems(storageKeysNode, content->ctx_StorageKeysList, -1);
        storageKeysNode->Expand(false);
    }
    privateRoot->Expand(false);
    items->EndUpdate();
    htmlvwr1->LoadFromString(selectPromptText(), u"", HTMLType);
}

void TCtxListsViewFrame::tv1Change(TObject*, TTreeNode* Node) {
    selectedObject = nullptr;
    if (!Node) return;
    if (Node->Level() >= kItemLevel) {
        if (Node->Data()) {
            selectedObject = static_cast<TZrX509Base*>(Node->Data());
            TCString html;
            selectedObject->htmlView(html, zhScreen);
            htmlvwr1->LoadFromString(html.toUtf16(), u"", HTMLType);
        } else {
            htmlvwr1->LoadFromString(noObjectText(), u"", HTMLType);
        }
        return;
    }
    if (Node->Data() && storageKeysNode && Node->Parent() == storageKeysNode) {
        const TCSBaseBuff* key = storageKeyOf(Node);
        const auto* symmetric = dynamic_cast<const TCSymmetricKey*>(key);
        htmlvwr1->LoadFromString(storageKeyText(Node->Text().c_str(), symmetric ? symmetric->length() : 0), u"",
                                 HTMLType);
        return;
    }
    if (!Node->Data()) htmlvwr1->LoadFromString(selectPromptText(), u"", HTMLType);
}

TColor TCtxListsViewFrame::nodeBackground(TTreeNode* node, bool selected, bool focused) const {
    if (!node) return clNone;
    if (selected) return focused ? clNone : kUnfocusedSelectionColor;
    if (!node->Data() || node->Level() < kItemLevel) return clNone;
    // Key-agreement-only objects stand out (storage keys are no such object).
    const uint32_t flags = static_cast<const TZrX509Base*>(node->Data())->keyFlags();
    if ((flags & kfKeyAgreement) && !(flags & kfSignature)) return kKeyAgreementItemColor;
    return clNone;
}

void TCtxListsViewFrame::tv1AdvancedCustomDrawItem(TObject*, TTreeNode* Node, TCustomDrawState State,
                                                   TCustomDrawStage Stage, bool&, bool&) {
    if (Stage != cdPrePaint || !Node) return;
    const bool selected = (State & cdsSelected) != 0;
    const TColor background = nodeBackground(Node, selected, tv1->Focused());
    if (background == clNone) return;
    tv1->Canvas()->Brush()->SetColor(background);
    if (selected) tv1->Canvas()->Font()->SetColor(clBtnText);
}

TZrX509Base* TCtxListsViewFrame::relatedObject(const TCPrivateEVPKey* key) const {
    return content && key ? content->findRelatedPKIObject(key) : nullptr;
}

void TCtxListsViewFrame::updateChangeKeyAction(TAction* action) {
    if (!action) return;
    TTreeNode* n = tv1->Selected();
    if (n && activeKeysNode && n->Parent() == activeKeysNode) {
        action->SetVisible(true);
        action->SetCaption(tr("Сменить ключ").c_str());
        action->SetHint(tr("Сменить ключ|Выполнить смену выбранного личного ключа").c_str());
    } else {
        action->SetVisible(false);
    }
}

// ---- deleting

bool TCtxListsViewFrame::canDeleteSelected() const {
    TTreeNode* n = tv1->Selected();
    if (!n) return false;
    return n->Level() == kItemLevel || (storageKeysNode && n->Parent() == storageKeysNode);
}

bool TCtxListsViewFrame::deleteSelected() {
    TTreeNode* n = tv1->Selected();
    if (!n) return false;
    const bool done = deleteNode(n);
    rebuildTree();
    return done;
}

bool TCtxListsViewFrame::deleteNode(TTreeNode* node) {
    if (!node || !content) return false;
    if (storageKeysNode && node->Parent() == storageKeysNode)
        return deleteStorageKey(node, content->ctx_StorageKeysList);
    if (node->Level() != kItemLevel) return false;
    TTreeNode* parent = node->Parent();
    if (parent && (parent == certificatesNode || parent == requestsNode)) return deleteObject(node);
    if (parent && parent == activeKeysNode) return deletePrivateKey(node, content->ctx_ActKeysList);
    if (parent && parent == newKeysNode) return deletePrivateKey(node, content->ctx_NewKeysList);
    if (parent && parent == previousKeysNode) return deletePrivateKey(node, content->ctx_PrevEncodeKeysList);
    return false;
}

TTreeNode* TCtxListsViewFrame::findTwinNode(TTreeNode* node) const {
    if (!node || !node->Data()) return nullptr;
    TTreeNodes* items = tv1->Items();
    for (int i = 0; i < items->Count(); ++i) {
        TTreeNode* other = items->Item(i);
        if (other != node && other->Data() == node->Data()) return other;
    }
    return nullptr;
}

bool TCtxListsViewFrame::deleteObject(TTreeNode* node) {
    auto* object = static_cast<TZrX509Base*>(node->Data());
    if (!object || !content) return false;
    const int objClass = object->getClass();
    const TCString owner = object->ownerName();
    if (confirm(TCFString(tr("Подтвердите удаление %s ключей владельца \"%s\".").c_str(), object->gi_caption().c_str(),
                          owner.c_str())) != mrYes)
        return false;
    const TCString noun = tr(objClass == zcCertificate ? "сертификатом" : "запросом на сертификат");
    bool withKeys = false;
    if (findTwinNode(node))
        withKeys = confirm(TCFString(tr("Удалить личные ключи, связанные с  %s ключей владельца \"%s\"?").c_str(),
                                     noun.c_str(), owner.c_str())) == mrYes;
    const TCIdentifier id(object->keyID());
    selectedObject = nullptr;
    KResult rc;
    {
        ContentChange change(content);
        if (withKeys) rc = content->deleteAllKeyData(id);
        else if (objClass == zcCertificate) rc = content->deleteCertificate(id);
        else rc = content->deleteRequest(id, false);
        if (!isFailure(rc)) rc = content->update();
        if (!isFailure(rc)) change.commit();
    }
    // The object may be gone now: only the copied texts are used below.
    if (isFailure(rc)) {
        fail(TCFString(tr("Удаление %s ключей владельца \"%s\". %s!").c_str(), getZrXGI_caption(objClass).c_str(),
                       owner.c_str(), ZrXGetErrorText(rc).c_str()));
        rebuildTree();
        return false;
    }
    const TCString head =
        TCFString(tr("%s, владелец - \"%s\", ").c_str(), getZrXCaption(objClass, false).c_str(), owner.c_str());
    inform(head + tr(withKeys ? "и связанные с ним личные ключи успешно удалены из контейнера."
                              : "успешно удален из контейнера."));
    return true;
}

bool TCtxListsViewFrame::deleteStorageKey(TTreeNode* node, TCSBaseKeysList& list) {
    TCSBaseBuff* key = storageKeyOf(node);
    if (!key || !content) return false;
    const TCString id = node->Text().c_str();
    TCCspBase* csp = content->getCSP();
    const TCString owner = csp ? csp->commonName() : content->commonName();
    if (confirm(TCFString(tr("Подтвердите удаление ключа хранения,ID:%s, владельца \"%s\".").c_str(), id.c_str(),
                          owner.c_str())) != mrYes)
        return false;
    KResult rc;
    {
        ContentChange change(content);
        list.remove(key);
        content->setModified(true);
        selectedObject = nullptr;
        node->Delete();
        if (storageKeysNode && !storageKeysNode->HasChildren()) {
            storageKeysNode->Delete();
            storageKeysNode = nullptr;
        }
        rc = content->update();
        if (!isFailure(rc)) change.commit();
    }
    if (isFailure(rc)) {
        // The key is back in the content: the tree shows it again.
        rebuildTree();
        fail(TCFString(tr("Удаление ключа хранения владельца \"%s\", ID:%s. %s!").c_str(), owner.c_str(), id.c_str(),
                       ZrXGetErrorText(rc).c_str()));
        return false;
    }
    inform(TCFString(tr("Ключ хранения владельца \"%s\",ID:%s, успешно удален из контейнера.").c_str(), owner.c_str(),
                     id.c_str()));
    return true;
}

TCPrivateEVPKey* TCtxListsViewFrame::findPrivateKey(const char* idText, const TCSBaseKeysList& list,
                                                    bool keyAgreement) const {
    TCIdentifier id;
    if (isFailure(id.parse(idText))) return nullptr;
    return list.enumeratePrivateKeys(
        [&](TCPrivateEVPKey* key) { return key->keyID() == id && key->checkFlags(kfKeyAgreementKey) == keyAgreement; });
}

bool TCtxListsViewFrame::deletePrivateKey(TTreeNode* node, TCSBaseKeysList& list) {
    if (!content) return false;
    std::string text = node->Text();
    if (!text.empty() && text[0] == '@') text.erase(0, 1);
    TCPrivateEVPKey* key = findPrivateKey(text.c_str(), list, node->ImageIndex() == kKeyAgreementKeyImage);
    if (!key) {
        fail(TCFString(tr("Ошибка поиска личного ключа с ID=%s в загруженном контейнере!").c_str(),
                       node->Text().c_str()));
        return false;
    }
    const TCString name = selectedObject ? selectedObject->ownerName() : TCString(node->Text().c_str());
    const TCString kind = tr(key->checkFlags(kfKeyAgreementKey) ? "связи" : "подписи");
    if (confirm(TCFString(tr("Подтвердите удаление личного ключа %s владельца \"%s\".").c_str(), kind.c_str(),
                          name.c_str())) != mrYes)
        return false;
    KResult rc;
    {
        ContentChange change(content);
        rc = content->checkPKeyDeletion(key);
        if (!isFailure(rc)) {
            list.remove(key);
            content->setModified(true);
            selectedObject = nullptr;
            node->Delete();
            rc = content->update();
        }
        if (!isFailure(rc)) change.commit();
    }
    if (isFailure(rc)) {
        rebuildTree();
        fail(TCFString(tr("Удаление личного ключа %s владельца \"%s\". %s!").c_str(), kind.c_str(), name.c_str(),
                       ZrXGetErrorText(rc).c_str()));
        return false;
    }
    inform(TCFString(tr("Личный ключ %s владельца \"%s\" успешно удален из контейнера.").c_str(), kind.c_str(),
                     name.c_str()));
    return true;
}
