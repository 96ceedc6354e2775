#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "views/CertFixture.h"
#include "views/CertChainViewForm.h"
#include "dialogs/MessageView.h"
#include "components/CAdvancedListView.h"
#include "platform/framework/Graphics.h"
#include "platform/framework/MsgCtrls.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCStringList.h"
#include "views/VZrX509BaseForm.h"

// Qt last (pictures).
#include "support/ToolBarPictures.h"

namespace {

// The print form ends with the time it was made; two forms made a second
// apart are the same form.
std::u16string withoutMakingTime(std::u16string html) {
    const size_t at = html.rfind(u"<p align=\"right\"><small>");
    if (at != std::u16string::npos) html.erase(at);
    return html;
}

using zrxtest::CertMaker;

// Answers the program's windows: the chain window goes to `onChain`, message
// windows are recorded and closed, file and print dialogs get `fileName` and
// `printRange`.
struct Answers {
    std::function<int(TChainViewForm*)> onChain;
    std::vector<std::string> messages;
    std::vector<std::string> files;  // handed out in order; none left: cancel
    TPrintRange printRange = prAllPages;
    int fromPage = 0, toPage = 0;
    int confirmViews = 0;

    void install() {
        SetModalHook([this](TObject* w) -> int {
            if (auto* m = dynamic_cast<TMessageViewForm*>(w)) {
                messages.push_back(m->message());
                return mrOk;
            }
            if (auto* d = dynamic_cast<TOpenDialog*>(w)) {
                if (files.empty()) return mrCancel;
                d->SetFileName(files.front());
                files.erase(files.begin());
                return mrOk;
            }
            if (auto* p = dynamic_cast<TPrintDialog*>(w)) {
                p->PrintRange = printRange;
                p->FromPage = fromPage;
                p->ToPage = toPage;
                return mrOk;
            }
            if (dynamic_cast<TCViewZrX509BaseForm*>(w)) {
                ++confirmViews;
                return mrOk;
            }
            if (auto* f = dynamic_cast<TChainViewForm*>(w)) return onChain ? onChain(f) : mrCancel;
            return mrCancel;
        });
    }
    ~Answers() { SetModalHook(nullptr); }
};

std::u16string utf16(const std::string& s) {
    std::u16string out;
    for (size_t i = 0; i < s.size();) {
        char32_t cp = zrx_utf8::decode(s, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
    }
    return out;
}

class ChainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        ASSERT_TRUE(certs.threeLevels());
    }
    TCXCertsChain threeLevelChain() {
        TCXCertsChain chain;
        for (const char* n : {"Leaf", "Inter", "Root"}) EXPECT_TRUE(certs.add(chain, n));
        return chain;
    }
    static std::vector<std::string> visibleToolButtons(TChainViewForm* f) {
        std::vector<std::string> out;
        for (int i = 0; i < f->tlb1->ButtonCount(); ++i) {
            TToolButton* b = f->tlb1->Buttons(i);
            if (b->Visible()) out.push_back(b->Style() == tbsSeparator ? "|" : b->Caption());
        }
        return out;
    }
    CertMaker certs;
};

}  // namespace

TEST(ChainTables, TypeTextAndPictureFollowTheUsageFlags) {
    struct Case {
        uint32_t flags;
        const char* type;
        int image;
    } cases[] = {
        {0, "-", -1},
        {zfCA | zfStart, "CA", 10},
        {zfCA | zfSignature, "CA", 7},
        {zfOCSP | zfSignature, "OCSP", -1},
        {zfTimeStamping, "TSP", -1},
        {zfCMP | zfKeyAgreement, "CMP", 8},
        {zfVpnServer, "VPN Server", -1},
        {zfVpnClient, "VPN Client", -1},
        {zfTlsClient | zfSignature, "VPN Client", 0},
        {zfEmail, "-", 0},
        {zfKeyAgreement | zfSignature, "-", 8},
        {zfSignature, "-", 9},
        {zfOCSP | zfTimeStamping | zfCMP, "OCSP", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_STREQ(certificateTypeText(c.flags), c.type);
        EXPECT_EQ(certificateImageIndex(c.flags), c.image);
    }
}

TEST(ChainTables, RowColours) {
    struct Case {
        uint32_t flags, status;
        bool selected;
        TColor background, text;
    } cases[] = {
        {zfKeyAgreement, zsExpired, true, 0xE8DACC, clNone},
        {zfKeyAgreement, zsValid, false, 0xF8EADC, clNone},
        {zfKeyAgreement | zfSignature, zsValid, false, clNone, clNone},
        {zfKeyAgreement | zfOCSP, zsExpired, false, 0xF8EADC, 0x000080},
        {zfOCSP | zfCMP, zsValid, false, clNone, 0x800000},
        {zfCMP | zfTimeStamping, zsValid, false, clNone, 0x008000},
        {zfTimeStamping, zsNotYetValid, false, clNone, 0x808000},
        {zfSignature, zsValid, false, clNone, clNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        const TChainRowColors colors = chainRowColors(c.flags, c.status, c.selected);
        EXPECT_EQ(colors.background, c.background);
        EXPECT_EQ(colors.text, c.text);
    }
}

TEST(ChainTables, SignerWalkEndsAtTheRootAndInCycles) {
    CertMaker certs;
    ASSERT_TRUE(certs.threeLevels());
    TCXCertsChain rootOnly;
    ASSERT_TRUE(certs.add(rootOnly, "Root"));
    EXPECT_EQ(chainSignerPath(rootOnly, rootOnly.at(0)).size(), 1u);

    TCXCertsChain chain;
    for (const char* n : {"Root", "Leaf", "Inter"}) ASSERT_TRUE(certs.add(chain, n));
    std::vector<std::string> owners;
    for (TZrX509* c : chainSignerPath(chain, chain.at(1))) owners.push_back(c->ownerName().c_str());
    EXPECT_EQ(owners, (std::vector<std::string>{"Leaf", "Inter", "Root"}));

    // Two authorities that each signed the other: B0 (self-signed, key of B)
    // signs A; A signs a second B with the same name and key.
    const char* ca = "basicConstraints=critical,CA:true\nkeyUsage=keyCertSign";
    ASSERT_TRUE(certs.root("B0"));
    ASSERT_TRUE(certs.issue("A", "B0", ca, "/CN=B0"));
    ASSERT_TRUE(certs.issue("B", "A", ca, "/CN=B0", "B0"));
    // A carries the name B0 as its own: give it another subject instead.
    ASSERT_TRUE(certs.issue("A", "B0", ca, "/CN=A"));
    ASSERT_TRUE(certs.issue("B", "A", ca, "/CN=B0", "B0"));
    TCXCertsChain cycle;
    ASSERT_TRUE(certs.add(cycle, "A"));
    ASSERT_TRUE(certs.add(cycle, "B"));
    ASSERT_EQ(cycle.findSigner(*cycle.at(0)), cycle.at(1));
    ASSERT_EQ(cycle.findSigner(*cycle.at(1)), cycle.at(0));
    EXPECT_EQ(chainSignerPath(cycle, cycle.at(0)).size(), 2u);
    EXPECT_EQ(chainSignerPath(cycle, nullptr).size(), 0u);
}

TEST_F(ChainWindow, ReadOnlyOnAnEmptyChainOffersCloseAndDisabledPrintAndVerify) {
    TCXCertsChain empty;
    Answers a;
    a.onChain = [&](TChainViewForm* f) {
        f->actlst1->UpdateActions();
        EXPECT_EQ(visibleToolButtons(f), (std::vector<std::string>{"Закрыть", "|", "Печатать", "|", "Проверить"}));
        EXPECT_EQ(f->actCancel->Hint(), "Закрыть окно");
        for (TAction* act : {f->actPrint, f->actVerify, f->actSaveHTML}) EXPECT_FALSE(act->Enabled()) << act->Name();
        EXPECT_EQ(f->lv1->Items()->Count(), 0);
        EXPECT_EQ(f->tv1->Items()->Count(), 0);
        EXPECT_EQ(f->htmlvwrLite1->LoadCount(), 0);
        return mrCancel;
    };
    a.install();
    EXPECT_EQ(viewCertsChain(&empty), mrCancel);
}

// Every button the bar shows has its picture, in each way the window opens.
TEST_F(ChainWindow, EveryShownToolButtonHasAPicture) {
    TCXCertsChain chain = threeLevelChain();
    Answers a;
    int opened = 0;
    a.onChain = [&](TChainViewForm* f) {
        ++opened;
        zrxtest::expectEveryButtonPictured(f->tlb1);
        return mrCancel;
    };
    a.install();
    viewCertsChain(&chain);
    execCertsChainDialog(&chain, true);
    execCertsChainDialog(&chain, false);
    EXPECT_EQ(3, opened);
}

// Below the list: a thin bar, then the issuer tree over the whole rest of the
// panel.
TEST_F(ChainWindow, IssuerTreeTakesTheRestOfThePanel) {
    TCXCertsChain chain = threeLevelChain();
    Answers a;
    a.onChain = [&](TChainViewForm* f) {
        f->SetBounds(0, 0, 1000, 600);
        f->Show();
        Application->ProcessMessages();
        EXPECT_LE(f->spl1->Height(), 5);
        EXPECT_EQ(f->spl1->Top(), f->lv1->Top() + f->lv1->Height());
        EXPECT_EQ(f->tv1->Top(), f->spl1->Top() + f->spl1->Height());
        EXPECT_EQ(f->tv1->Top() + f->tv1->Height(), f->pnl2->ClientHeight());
        EXPECT_GT(f->tv1->Height(), 150);
        return mrCancel;
    };
    a.install();
    EXPECT_EQ(viewCertsChain(&chain), mrCancel);
}

TEST_F(ChainWindow, EditingLoadsAndSavesAChainAndShowsItsIssuerTree) {
    TCXCertsChain source = threeLevelChain();
    const std::string p7b = certs.dir().file("chain.p7b"), saved = certs.dir().file("saved.p7b");
    ASSERT_FALSE(isFailure(source.writeP7(p7b.c_str(), false)));

    TCXCertsChain chain;
    Answers a;
    a.onChain = [&](TChainViewForm* f) {
        f->actlst1->UpdateActions();
        EXPECT_TRUE(f->actAdd->Enabled());
        EXPECT_FALSE(f->actSave->Enabled());
        EXPECT_FALSE(f->actOk->Visible());

        // A file that does not read leaves everything as it was.
        zrxtest::writeFile(certs.dir().file("bad.p7b"), "not a chain");
        a.files = {certs.dir().file("bad.p7b")};
        f->actLoad->Execute();
        EXPECT_EQ(a.messages.size(), 1u);
        if (!a.messages.empty()) {
            EXPECT_NE(a.messages[0].find("Ошибка чтения цепочки из файла"), std::string::npos);
        }
        EXPECT_EQ(f->lv1->Items()->Count(), 0);

        a.files = {p7b};
        f->actLoad->Execute();
        f->actlst1->UpdateActions();
        EXPECT_FALSE(f->actAdd->Enabled());
        EXPECT_TRUE(f->actSave->Enabled());
        EXPECT_EQ(f->Caption(), "Цепочка сертификатов \"" + p7b + "\"");
        EXPECT_EQ(f->lv1->Items()->Count(), 3);
        // The end-entity certificate is selected: its tree runs down to the root.
        TZrX509* leaf = f->selectedCertificate();
        EXPECT_EQ(leaf->ownerName(), "Leaf");
        EXPECT_EQ(f->lbl1->Caption(), "  Цепочка сертификатов ключей владельца \"Leaf\"");
        TTreeNode* node = f->tv1->Items()->GetFirstNode();
        std::vector<int> levels;
        for (; node; node = node->Count() ? node->Item(0) : nullptr) levels.push_back(node->Level());
        EXPECT_EQ(levels, (std::vector<int>{0, 1, 2}));
        EXPECT_EQ(static_cast<TZrX509*>(f->tv1->Items()->Item(2)->Data())->ownerName(), "Root");
        if (TListItem* row = f->findObjectRow(leaf)) {
            EXPECT_EQ(row->SubItems()->Strings(2), "-");
            EXPECT_EQ(row->ImageIndex(), 9);
        } else {
            ADD_FAILURE() << "no row for the leaf";
        }

        EXPECT_TRUE(f->saveChainFile(saved.c_str()));
        EXPECT_EQ(f->Caption(), "Цепочка сертификатов \"" + saved + "\"");
        EXPECT_FALSE(f->saveChainFile(certs.dir().file("no/such/dir/x.p7b").c_str()));
        EXPECT_EQ(a.messages.size(), 2u);
        if (a.messages.size() == 2) {
            EXPECT_NE(a.messages[1].find("Ошибка записи цепочки в файл"), std::string::npos);
        }

        // A picture of the window for a look (ZRX_SNAPSHOT_DIR keeps it).
        if (const char* dir = std::getenv("ZRX_SNAPSHOT_DIR")) {
            f->SetBounds(0, 0, 1000, 600);
            f->Show();
            Application->ProcessMessages();
            EXPECT_TRUE(SaveControlImage(f, std::string(dir) + "/chain-window.png"));
        }
        return mrCancel;
    };
    a.install();
    EXPECT_FALSE(execCertsChainDialog(&chain, false));
    EXPECT_EQ(chain.count(), 3);
    TCXCertsChain reread;
    ASSERT_FALSE(isFailure(reread.readP7(saved.c_str())));
    EXPECT_EQ(reread.count(), 3);
}

TEST_F(ChainWindow, AddingAFirstCertificateShowsTheBuiltChain) {
    TCXCertsChain chain;
    Answers a;
    a.onChain = [&](TChainViewForm* f) {
        a.files = {certs.crt("Leaf")};
        f->actAdd->Execute();
        EXPECT_EQ(a.confirmViews, 1);
        EXPECT_EQ(f->lv1->Items()->Count(), 1);
        EXPECT_EQ(f->tv1->Items()->Count(), 1);
        EXPECT_EQ(f->selectedCertificate()->ownerName(), "Leaf");
        return mrCancel;
    };
    a.install();
    execCertsChainDialog(&chain, false);
    EXPECT_EQ(chain.count(), 1);
}

TEST_F(ChainWindow, OkVerifiesTheChainAndStaysOpenWhenItFails) {
    TCXCertsChain good = threeLevelChain();
    Answers a;
    a.onChain = [&](TChainViewForm* f) {
        EXPECT_TRUE(f->actOk->Visible());
        EXPECT_EQ(f->actCancel->Caption(), "Отменить");
        f->actOk->Execute();
        return f->ModalResult();
    };
    a.install();
    EXPECT_TRUE(execCertsChainDialog(&good, true));
    EXPECT_TRUE(a.messages.empty());

    // The leaf without the intermediate authority that issued it.
    TCXCertsChain broken;
    ASSERT_TRUE(certs.add(broken, "Leaf"));
    ASSERT_TRUE(certs.add(broken, "Root"));
    int resultAfterOk = -1;
    a.onChain = [&](TChainViewForm* f) {
        f->actOk->Execute();
        resultAfterOk = f->ModalResult();
        return mrCancel;
    };
    EXPECT_FALSE(execCertsChainDialog(&broken, true));
    EXPECT_EQ(resultAfterOk, mrNone);
    ASSERT_EQ(a.messages.size(), 1u);
    EXPECT_EQ(a.messages[0].rfind("Проверка ", 0), 0u) << a.messages[0];
    EXPECT_NE(a.messages[0].find("-того сертификата цепочки !\n "), std::string::npos) << a.messages[0];
}

TEST_F(ChainWindow, VerifyReportsTheSelectedCertificate) {
    TCXCertsChain chain = threeLevelChain();
    Answers a;
    a.onChain = [&](TChainViewForm* f) {
        f->actVerify->Execute();
        return mrCancel;
    };
    a.install();
    viewCertsChain(&chain);
    ASSERT_EQ(a.messages.size(), 1u);
    EXPECT_EQ(a.messages[0], "Цепочка сертификатов ключей владельца \"Leaf\" проверена успешно.");
}

TEST_F(ChainWindow, HistoryIsSavedInTheOrderShownAndPrintingUsesThePrintForm) {
    TCXCertsChain chain = threeLevelChain();
    const std::string html = certs.dir().file("history.html");
    Answers a;
    a.onChain = [&](TChainViewForm* f) {
        // Leaf is shown on opening; then the root and the intermediate authority.
        f->selectObjectRow(chain.at(2));
        f->selectObjectRow(chain.at(1));
        EXPECT_EQ(f->displayHistory().count(), 3);

        TCString print;
        chain.at(1)->htmlView(print, 1);
        EXPECT_EQ(withoutMakingTime(f->htmlv33->LoadedText()), withoutMakingTime(utf16(print.c_str())));

        f->actPrint->Execute();
        EXPECT_EQ(f->htmlv33->LastPrintFrom(), 1);
        EXPECT_EQ(f->htmlv33->LastPrintTo(), 9999);
        a.printRange = prPageNums;
        a.fromPage = 2;
        a.toPage = 3;
        f->actPrint->Execute();
        EXPECT_EQ(f->htmlv33->LastPrintFrom(), 2);
        EXPECT_EQ(f->htmlv33->LastPrintTo(), 3);

        // A folder that does not exist is said; the second answer saves.
        a.files = {certs.dir().file("no/such/dir/h.html"), html};
        f->actSaveHTML->Execute();
        EXPECT_EQ(a.messages.size(), 1u);
        return mrCancel;
    };
    a.install();
    viewCertsChain(&chain);
    TCStringList expected;
    for (int i : {0, 2, 1}) {
        TCString screen;
        chain.at(i)->htmlView(screen, 0);
        expected.add(screen);
    }
    const std::string want = expected.text('\n').c_str();
    EXPECT_EQ(zrxtest::readFile(html), want + "\n");
}
