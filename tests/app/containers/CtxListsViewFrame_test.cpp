// The content tree over real file containers: branches, texts and pictures,
// the detail texts, the backgrounds, and deletions that are written or, when
// the write fails, undone.
#include <gtest/gtest.h>

#include "app/containers/KeyContainerFixture.h"
#include "locations/LocationTestSupport.h"
#include "app/containers/CtxListsViewFrame.h"
#include "platform/core/keys/PrivateEVPKey.h"
#include "platform/runtime/Utf16.h"

using zrxtest::kContainerPassword;
using zrxtest::kDay;
using zrxtest::KeyContainers;
using zrxtest::nowSeconds;
using zrxtest::ScriptedWindows;

namespace {

bool contains(const std::u16string& text, const std::string& part) {
    return text.find(zrx_utf8::toUtf16(part)) != std::u16string::npos;
}

class ContentTree : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        form = CreateComponent<TForm>(Application);
        form->SetBounds(0, 0, 900, 500);
        path = keys.dir().file("tree.zrx");
    }
    void TearDown() override {
        form->Free();
        zrxtest::forgetStoredState({"ZI509"});
    }
    // A signature key and a key-agreement key, both certified.
    void makeCertified() {
        const int64_t now = nowSeconds();
        ASSERT_TRUE(keys.generate(csp, path, 0x30000));
        ASSERT_TRUE(KeyContainers::certifyAll(csp, now - kDay, now + 30 * kDay));
    }
    TCtxListsViewFrame* makeTree() {
        auto* f = new TCtxListsViewFrame(form, &csp);
        f->SetParent(form);
        return f;
    }
    static std::vector<std::string> texts(TTreeNode* parent) {
        std::vector<std::string> out;
        for (int i = 0; parent && i < parent->Count(); ++i) out.push_back(parent->Item(i)->Text());
        return out;
    }
    static std::vector<TTreeNode*> roots(TCtxListsViewFrame* f) {
        std::vector<TTreeNode*> out;
        for (int i = 0; i < f->tv1->Items()->Count(); ++i)
            if (TTreeNode* n = f->tv1->Items()->Item(i); !n->Parent()) out.push_back(n);
        return out;
    }

    KeyContainers keys;
    std::string path;
    TZrX509Csp csp;
    TForm* form = nullptr;
};

}  // namespace

TEST_F(ContentTree, BranchesTextsAndPictures) {
    makeCertified();
    TCBaseUserKeysContext* ctx = csp.container();
    // A start-up key is shown with "@".
    TCPrivateEVPKey* ka = ctx->activeKey(kfKeyAgreement);
    ka->addFlags(kfStartup);
    TCtxListsViewFrame* f = makeTree();

    const std::vector<TTreeNode*> top = roots(f);
    ASSERT_EQ(top.size(), 2u);  // no storage keys: no third root
    EXPECT_EQ(top[0]->Text(), "Открытые ключи");
    EXPECT_EQ(top[1]->Text(), "Личные ключи");
    EXPECT_EQ(f->storageKeysNode, nullptr);
    EXPECT_EQ(f->requestsNode, nullptr);
    ASSERT_NE(f->certificatesNode, nullptr);
    EXPECT_EQ(f->certificatesNode->ImageIndex(), kCertificatesImage);
    ASSERT_NE(f->activeKeysNode, nullptr);
    EXPECT_EQ(f->activeKeysNode->Text(), "Действующие");
    EXPECT_EQ(f->activeKeysNode->ImageIndex(), kActiveKeysImage);

    const std::string owner = "Петренко Петро";
    std::vector<std::string> certs = texts(f->certificatesNode);
    ASSERT_EQ(certs.size(), 2u);
    for (const std::string& t : certs) EXPECT_EQ(t.rfind(owner + " (", 0), 0u) << t;

    // Private keys: pictures 9 (signature) and 8 (key agreement), "@" for the start-up key.
    ASSERT_EQ(f->activeKeysNode->Count(), 2);
    for (int i = 0; i < 2; ++i) {
        TTreeNode* n = f->activeKeysNode->Item(i);
        auto* object = static_cast<TZrX509Base*>(n->Data());
        ASSERT_NE(object, nullptr);
        const bool isKa = object->isForKeyAgreement() == 1;
        EXPECT_EQ(n->ImageIndex(), isKa ? kKeyAgreementKeyImage : kSignatureKeyImage);
        const TCPrivateEVPKey* key = isKa ? ka : ctx->activeKey(kfSignature);
        EXPECT_EQ(n->Text(), std::string(isKa ? "@" : "") + key->getKeyIDStr().str());
        // The key's certificate is the very object of its certificate node.
        EXPECT_NE(f->findTwinNode(n), nullptr);
        // Key-agreement objects get their own background; the selection without focus another.
        EXPECT_EQ(f->nodeBackground(n, false, false), isKa ? kKeyAgreementItemColor : clNone);
        EXPECT_EQ(f->nodeBackground(n, true, false), kUnfocusedSelectionColor);
        EXPECT_EQ(f->nodeBackground(n, true, true), clNone);
    }

    // Only items may be deleted; an item shows its object.
    struct Pick {
        TTreeNode* node;
        bool deletable;
    } picks[] = {{top[0], false},
                 {top[1], false},
                 {f->certificatesNode, false},
                 {f->activeKeysNode, false},
                 {f->certificatesNode->Item(0), true},
                 {f->activeKeysNode->Item(1), true}};
    for (const Pick& p : picks) {
        SCOPED_TRACE(p.node->Text());
        f->tv1->SetSelected(p.node);
        EXPECT_EQ(f->canDeleteSelected(), p.deletable);
        EXPECT_EQ(f->selectedObject, p.deletable ? p.node->Data() : nullptr);
    }
    EXPECT_TRUE(contains(f->htmlvwr1->LoadedText(), owner));
    f->tv1->SetSelected(top[1]);
    EXPECT_TRUE(contains(f->htmlvwr1->LoadedText(), "Для просмотра выделите требуемый объект"));

    // Without content the tree is empty and says so.
    f->setContent(nullptr);
    EXPECT_EQ(f->tv1->Items()->Count(), 0);
    EXPECT_TRUE(contains(f->htmlvwr1->LoadedText(), "Отсутствует связанный PKI-объект"));
}

TEST_F(ContentTree, RequestsAndAKeyWithoutRelatedObject) {
    ASSERT_TRUE(keys.generate(csp, path, 0x20000));
    TCBaseUserKeysContext* ctx = csp.container();
    // The request is the key's related object; once gone, the key has none.
    TCtxListsViewFrame* f = makeTree();
    ASSERT_NE(f->requestsNode, nullptr);
    EXPECT_EQ(f->requestsNode->ImageIndex(), kRequestsImage);
    EXPECT_EQ(f->certificatesNode, nullptr);
    ctx->ctx_RequestsList.removeAt(0);
    f->rebuildTree();
    ASSERT_NE(f->activeKeysNode, nullptr);
    TTreeNode* key = f->activeKeysNode->Item(0);
    EXPECT_EQ(key->Data(), nullptr);
    f->tv1->SetSelected(key);
    EXPECT_EQ(f->selectedObject, nullptr);
    EXPECT_TRUE(contains(f->htmlvwr1->LoadedText(), "Отсутствует связанный PKI-объект"));
}

TEST_F(ContentTree, StorageKeyDetailAndItsDeletion) {
    ASSERT_TRUE(keys.generate(csp, path, 0x20000));
    KeyContainers::addStorageKey(csp, std::string(20, '\x11'), 32);
    ASSERT_EQ(csp.container()->update(), 0u);
    TCtxListsViewFrame* f = makeTree();
    ASSERT_NE(f->storageKeysNode, nullptr);
    EXPECT_EQ(f->storageKeysNode->Text(), "Ключи хранения");
    EXPECT_EQ(roots(f).size(), 3u);
    TTreeNode* key = f->storageKeysNode->Item(0);
    EXPECT_EQ(key->Text(), std::string(40, '1'));
    f->tv1->SetSelected(key);
    EXPECT_TRUE(f->canDeleteSelected());
    EXPECT_TRUE(contains(f->htmlvwr1->LoadedText(), "256 бит"));
    EXPECT_TRUE(contains(f->htmlvwr1->LoadedText(), "width=25%>"));

    // The last storage key goes, and its root with it; the file no longer holds it.
    ScriptedWindows windows([](TObject*) { return int(mrYes); });
    EXPECT_TRUE(f->deleteSelected());
    EXPECT_EQ(f->storageKeysNode, nullptr);
    EXPECT_EQ(roots(f).size(), 2u);
    EXPECT_TRUE(windows.shown("успешно удален из контейнера."));
    TZrX509Csp reread;
    ASSERT_EQ(reread.load(path.c_str(), kContainerPassword), 0u);
    EXPECT_TRUE(reread.container()->ctx_StorageKeysList.isEmpty());
}

TEST(ContentTreeTexts, StorageKeyIdentifierIsEscaped) {
    const std::u16string text = TCtxListsViewFrame::storageKeyText("<b>&\"x\"", 16);
    EXPECT_TRUE(contains(text, "&lt;b&gt;&amp;&quot;x&quot;"));
    EXPECT_FALSE(contains(text, "<b>&"));
    EXPECT_TRUE(contains(text, "128 бит"));
}

TEST_F(ContentTree, CertificateWithItsKeyNodeAsksTwiceAndNoKeepsTheKey) {
    makeCertified();
    TCtxListsViewFrame* f = makeTree();
    TCPrivateEVPKey* sign = csp.container()->activeKey(kfSignature);
    const std::string keyId = sign->getKeyIDStr().str();
    TTreeNode* certNode = nullptr;
    for (int i = 0; i < f->certificatesNode->Count(); ++i)
        if (static_cast<TZrX509Base*>(f->certificatesNode->Item(i)->Data())->isForSign())
            certNode = f->certificatesNode->Item(i);
    ASSERT_NE(certNode, nullptr);
    f->tv1->SetSelected(certNode);
    int questions = 0;
    ScriptedWindows windows([&](TObject* w) {
        if (auto* m = dynamic_cast<TMessageViewForm*>(w); m && m->message().find("Подтвердите") == 0) {
            ++questions;
            return int(mrYes);
        }
        if (auto* m = dynamic_cast<TMessageViewForm*>(w); m && m->message().find("Удалить личные ключи") == 0) {
            ++questions;
            return int(mrNo);
        }
        return int(mrOk);
    });
    EXPECT_TRUE(f->deleteSelected());
    EXPECT_EQ(questions, 2);
    EXPECT_TRUE(windows.shown("успешно удален из контейнера."));
    TZrX509Csp reread;
    ASSERT_EQ(reread.load(path.c_str(), kContainerPassword), 0u);
    EXPECT_NE(reread.container()->findPrivateKey(keyId.c_str()), nullptr);
    EXPECT_EQ(reread.getSelfCrt(), nullptr);
    EXPECT_EQ(reread.container()->ctx_CertificatesList.count(), 1);
}

TEST_F(ContentTree, FailedWritesUndoTheDeletion) {
    ASSERT_TRUE(keys.generate(csp, path, 0x30000));
    KeyContainers::addStorageKey(csp, std::string(20, '\x22'), 32);
    ASSERT_EQ(csp.container()->update(), 0u);
    TCBaseUserKeysContext* ctx = csp.container();
    TCtxListsViewFrame* f = makeTree();
    // The container's folder is gone: every write fails.
    ctx->setFileName(keys.dir().file("gone/tree.zrx").c_str());
    ScriptedWindows windows([](TObject*) { return int(mrYes); });
    struct Case {
        const char* name;
        std::function<TTreeNode*()> node;
        const char* failure;
    } cases[] = {
        {"storage key", [&] { return f->storageKeysNode->Item(0); }, "Удаление ключа хранения владельца"},
        {"private key", [&] { return f->activeKeysNode->Item(0); }, "Удаление личного ключа"},
        {"request", [&] { return f->requestsNode->Item(0); }, "Удаление запроса"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        windows.messages.clear();
        f->tv1->SetSelected(c.node());
        EXPECT_FALSE(f->deleteSelected());
        EXPECT_TRUE(windows.shown(c.failure));
        EXPECT_EQ(ctx->ctx_StorageKeysList.count(), 1);
        EXPECT_EQ(ctx->ctx_ActKeysList.count(), 2);
        EXPECT_EQ(ctx->ctx_RequestsList.count(), 2);
        EXPECT_FALSE(ctx->isModified());
        EXPECT_FALSE(ctx->inUpdate());
        EXPECT_NE(f->storageKeysNode, nullptr);
    }
    // Written later, the container still holds everything.
    ctx->setFileName(path.c_str());
    ASSERT_EQ(ctx->update(), 0u);
    TZrX509Csp reread;
    ASSERT_EQ(reread.load(path.c_str(), kContainerPassword), 0u);
    EXPECT_EQ(reread.container()->ctx_StorageKeysList.count(), 1);
    EXPECT_EQ(reread.container()->ctx_ActKeysList.count(), 2);
}

TEST_F(ContentTree, ChangeKeyActionOnlyForActiveKeys) {
    makeCertified();
    ASSERT_TRUE(keys.generate(csp, "", 0x20000));
    TCtxListsViewFrame* f = makeTree();
    TAction action(nullptr);
    f->tv1->SetSelected(f->activeKeysNode->Item(0));
    f->updateChangeKeyAction(&action);
    EXPECT_TRUE(action.Visible());
    EXPECT_EQ(action.Caption(), "Сменить ключ");
    f->tv1->SetSelected(f->newKeysNode->Item(0));
    f->updateChangeKeyAction(&action);
    EXPECT_FALSE(action.Visible());
    // Private keys are found by their identifier text and kind.
    const TCPrivateEVPKey* next = csp.container()->nextKey(kfSignature);
    EXPECT_EQ(f->findPrivateKey(next->getKeyIDStr().c_str(), csp.container()->ctx_NewKeysList, false), next);
    EXPECT_EQ(f->findPrivateKey(next->getKeyIDStr().c_str(), csp.container()->ctx_NewKeysList, true), nullptr);
    EXPECT_EQ(f->findPrivateKey("not hex", csp.container()->ctx_NewKeysList, false), nullptr);
}

TEST_F(ContentTree, TreeWidthIsKeptForTheNextRun) {
    TCtxListsViewFrame* f = makeTree();
    EXPECT_EQ(f->tv1->Width(), 295);
    f->tv1->SetWidth(333);
    form->Free();
    form = CreateComponent<TForm>(Application);
    form->SetBounds(0, 0, 900, 500);
    EXPECT_EQ(makeTree()->tv1->Width(), 333);
}
