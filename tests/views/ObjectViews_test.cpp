// The HTML text window and the object views, driven through the modal hook
// with objects made by OpenSSL at test time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/core/x509/RevReq.h"
#include "platform/framework/Clipbrd.h"
#include "platform/framework/MsgCtrls.h"
#include "platform/framework/QtTestApp.h"
#include "platform/runtime/FileUtils.h"
#include "views/ViewFixtures.h"
#include "views/VZrX509BaseForm.h"

// Qt last: what a label shows.
#include <QLabel>

namespace {

std::string utf8(const std::u16string& s) { return wc2ch(s.c_str(), int(s.size())).c_str(); }

std::string render(const TZrX509Base& o, int mode) {
    TCString t;
    o.htmlView(t, mode);
    return t.c_str();
}

// The print form ends with the time it was made; compare what comes before.
std::string withoutStamp(const std::string& html) {
    const size_t at = html.rfind("<p align=\"right\"><small>");
    return at == std::string::npos ? html : html.substr(0, at);
}

std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// Installs a hook for one test and removes it again.
class HookScope {
public:
    explicit HookScope(TModalHook h) : old_(SetModalHook(std::move(h))) {}
    ~HookScope() { SetModalHook(old_); }

private:
    TModalHook old_;
};

class ObjectViews : public ::testing::Test {
protected:
    void SetUp() override { ensureQtApp(); }
    void TearDown() override { setViewFlags(0); }
};

TEST_F(ObjectViews, SetModeButtonSets) {
    struct Case {
        int mode;
        std::vector<std::pair<std::string, int>> shown;  // right to left
        int defaultIndex;
    };
    const Case cases[] = {
        {0, {{"Прекратить", mrCancel}, {"Выполнить", mrOk}}, 1},
        {4, {{"Прекратить", mrCancel}, {"Нет", mrNo}, {"Выполнить", mrOk}}, 2},
        {5, {{"Прекратить", mrCancel}, {"Все", mrAll}, {"Пропустить", mrNo}, {"Выполнить", mrOk}}, 3},
        {3, {{"Закрыть", mrCancel}}, 0},
        {7, {{"Закрыть", mrCancel}}, 0},
    };
    auto* form = CreateComponent<TKeyViewFormEx>(Application);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        form->setMode(4);  // a previous set must not leak into the next
        form->setMode(c.mode);
        TButton* buttons[] = {form->Button1, form->Button2, form->Button3, form->Button4};
        int visible = 0;
        for (TButton* b : buttons) visible += b->Visible();
        EXPECT_EQ(int(c.shown.size()), visible);
        for (size_t i = 0; i < c.shown.size(); ++i) {
            EXPECT_TRUE(buttons[i]->Visible());
            EXPECT_EQ(c.shown[i].first, buttons[i]->Caption());
            EXPECT_EQ(c.shown[i].second, buttons[i]->ModalResult());
            EXPECT_EQ(int(i) == c.defaultIndex, buttons[i]->Default());
            if (i > 0) {
                EXPECT_LT(buttons[i]->Left(), buttons[i - 1]->Left());
            }
        }
        EXPECT_TRUE(form->Button1->Cancel());
        EXPECT_TRUE(form->Button5->Visible());
        EXPECT_TRUE(form->Button6->Visible());
    }
    form->Free();
}

TEST_F(ObjectViews, ViewHtmlTextAnswers) {
    struct Case {
        bool execute;
        const char* press;
        bool result;
    };
    for (const Case c :
         {Case{false, "Закрыть", false}, Case{true, "Выполнить", true}, Case{true, "Прекратить", false}}) {
        SCOPED_TRACE(c.press);
        std::string seenCaption, seenLabel, seenHtml, seenPrint;
        int visibleButtons = 0;
        HookScope hook([&](TObject* w) {
            auto* f = dynamic_cast<TKeyViewFormEx*>(w);
            if (!f) return int(mrCancel);
            seenCaption = f->Caption();
            seenLabel = f->lbl1->Visible() ? f->lbl1->Caption() : "";
            seenHtml = utf8(f->htmlView1->LoadedText());
            seenPrint = f->printCopy().c_str();
            for (TButton* b : {f->Button1, f->Button2, f->Button3, f->Button4}) {
                visibleButtons += b->Visible();
                if (b->Visible() && b->Caption() == c.press) b->Click();
            }
            return int(mrNone);
        });
        const char* html = "<p>Обновление <b>1.2</b></p>";
        EXPECT_EQ(c.result, viewHtmlText(html, c.execute, "Информация", "Сведения:"));
        EXPECT_EQ("Сведения: Информация", seenCaption);
        EXPECT_EQ(c.execute ? " \nСведения: Информация \n" : "", seenLabel);
        EXPECT_EQ(html, seenHtml);
        EXPECT_EQ(html, seenPrint);
        EXPECT_EQ(c.execute ? 2 : 1, visibleButtons);
    }
}

TEST_F(ObjectViews, SeparatePrintCopyIsPrinted) {
    viewfx::PdfPrinter pdf;
    int printed = -1;
    std::u16string printedText;
    HookScope hook([&](TObject* w) {
        if (auto* d = dynamic_cast<TPrintDialog*>(w)) {
            d->PrintRange = prPageNums;
            d->FromPage = 1;
            d->ToPage = 1;
            return int(mrOk);
        }
        auto* f = dynamic_cast<TKeyViewFormEx*>(w);
        if (!f) return int(mrCancel);
        f->PrintAction->Execute();
        printed = f->htmlv33->LastPrintTo();
        printedText = f->htmlv33->LastPrintedText();
        return int(mrCancel);
    });
    EXPECT_EQ(mrCancel, execKeyViewForm("<p>экран</p>", 3, "t", "p", "<p>печать</p>"));
    EXPECT_EQ(1, printed);
    EXPECT_EQ("<p>печать</p>", utf8(printedText));
    EXPECT_EQ(1, pdf.pages());
}

TEST_F(ObjectViews, ViewFlagsWord) {
    setViewFlags(56);
    EXPECT_TRUE(testViewFlags(32));
    EXPECT_TRUE(testViewFlags(16 | 8));
    EXPECT_FALSE(testViewFlags(32 | 1));
    setViewFlags(24);
    EXPECT_FALSE(testViewFlags(32));
    EXPECT_TRUE(testViewFlags(8));
}

TEST_F(ObjectViews, TwoSignersGiveThreeTabsAndTheActiveTabIsPrintedAndSaved) {
    x509fx::Pki pki;
    auto req = viewfx::twiceSignedRequest(pki);
    ASSERT_EQ(2, req->signerCount());
    viewfx::PdfPrinter pdf;
    zrxtest::TempDir dir;
    const std::string saved = dir.file("signer.html");
    std::vector<std::string> captions;
    std::u16string printedText;
    int from = 0, to = 0;
    bool settingsCopied = true, keyHandlerCopied = true;
    HookScope hook([&](TObject* w) {
        if (dynamic_cast<TPrintDialog*>(w)) return int(mrOk);
        if (auto* s = dynamic_cast<TSaveDialog*>(w)) {
            s->SetFileName(saved);
            return int(mrOk);
        }
        auto* f = dynamic_cast<TCViewZrX509BaseForm*>(w);
        if (!f) return int(mrCancel);
        EXPECT_TRUE(f->pgc1->Visible());
        EXPECT_EQ(f->ts1, dynamic_cast<TTabSheet*>(f->htmlView1->Parent()));
        for (int i = 0; i < f->pgc1->PageCount(); ++i) captions.push_back(f->pgc1->Pages(i)->Caption());
        for (int i = 1; i < f->pgc1->PageCount(); ++i) {
            auto* v = dynamic_cast<TWindowHtmlViewer*>(f->pgc1->Pages(i)->Controls(0));
            settingsCopied = settingsCopied && v && v->DefFontName() == "Tahoma" && v->DefFontSize() == 8 &&
                             v->DefPreFontName() == "Courier New" && v->DefBackground() == 0xFCFFFF &&
                             v->BorderStyle() == htSingle && v->CharSet() == 204;
            keyHandlerCopied = keyHandlerCopied && v && bool(v->OnKeyDown);
        }
        EXPECT_EQ(static_cast<TZrX509Base*>(req.get()), f->currentObject());
        f->pgc1->SetActivePageIndex(1);
        EXPECT_EQ(req->getSigner(0), f->currentObject());
        f->PrintAction->Execute();
        from = f->htmlv33->LastPrintFrom();
        to = f->htmlv33->LastPrintTo();
        printedText = f->htmlv33->LastPrintedText();
        f->SaveHTMLAction->Execute();
        return int(mrCancel);
    });
    EXPECT_EQ(mrCancel, viewX509Object(req.get(), 3, "Запрос", "Просмотр:"));
    ASSERT_EQ(3u, captions.size());
    EXPECT_NE(std::string::npos, captions[0].find("владельца  \"Петренко Иван\""));
    // One tab per signer, in the object's signer order.
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ("Удостоверитель: \"" + std::string(req->getSigner(i)->ownerName().c_str()) + "\"", captions[1 + i]);
    EXPECT_NE(captions[1], captions[2]);
    EXPECT_TRUE(settingsCopied);
    EXPECT_TRUE(keyHandlerCopied);
    const std::string signerPrint = render(*req->getSigner(0), zhPrint);
    EXPECT_EQ(withoutStamp(signerPrint), withoutStamp(utf8(printedText)));
    EXPECT_EQ(1, from);
    EXPECT_EQ(9999, to);
    EXPECT_GE(pdf.pages(), 1);
    EXPECT_EQ(withoutStamp(signerPrint), withoutStamp(readFile(saved)));
    EXPECT_NE(std::string::npos, signerPrint.find("<table"));
}

TEST_F(ObjectViews, ObjectWithoutSignersHasNoTabs) {
    x509fx::Pki pki;
    TZrX509 cert(pki.root);
    bool tabs = true;
    std::string shown, tabCaption;
    HookScope hook([&](TObject* w) {
        auto* f = dynamic_cast<TCViewZrX509BaseForm*>(w);
        if (!f) return int(mrCancel);
        tabs = f->pgc1->Visible();
        shown = utf8(f->htmlView1->LoadedText());
        tabCaption = f->ts1->Caption();
        return int(mrOk);
    });
    EXPECT_EQ(mrOk, viewX509Object(&cert, 0, "Сертификат", ""));
    EXPECT_FALSE(tabs);
    EXPECT_EQ(render(cert, zhScreen), shown);
    EXPECT_NE(std::string::npos, tabCaption.find("Корневой ЦСК"));
}

// What a tab or a label shows of a caption that marks accelerators: "&x"
// shows x, "&&" shows '&'.
std::string shownOfMarked(const std::string& caption) {
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

// An owner name is shown whole in the tabs, the label and the view: past an
// embedded NUL, and with its '&'.
TEST_F(ObjectViews, AnOwnerNameIsShownWhole) {
    struct Case {
        std::string cn, shown;
    } cases[] = {
        {std::string("www.bank.ua\0.evil.example", 25), "www.bank.ua\\00.evil.example"},
        {"AT&T Services", "AT&T Services"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        EVP_PKEY* key = x509fx::newKey();
        X509* x = x509fx::makeCert(x509fx::CertSpec{}, key, nullptr, nullptr);
        for (X509_NAME* n : {X509_get_subject_name(x), X509_get_issuer_name(x)})
            X509_NAME_add_entry_by_txt(n, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(c.cn.data()),
                                       int(c.cn.size()), -1, 0);
        X509_sign(x, key, EVP_sha256());
        TZrX509 cert(x);
        ASSERT_FALSE(zrx::x509::failed(cert.attachSigner(cert)));
        std::string shown, tabs, label;
        HookScope hook([&](TObject* w) {
            auto* f = dynamic_cast<TCViewZrX509BaseForm*>(w);
            if (!f) return int(mrCancel);
            shown = utf8(f->htmlView1->LoadedText());
            for (int i = 0; i < f->pgc1->PageCount(); ++i) tabs += shownOfMarked(f->pgc1->Pages(i)->Caption()) + "|";
            label = qobject_cast<QLabel*>(f->lbl1->Handle())->text().toStdString();
            return int(mrOk);
        });
        const std::string caption = "Сертификат, владелец - \"" + c.shown + "\"";
        EXPECT_EQ(mrOk, viewX509Object(&cert, 0, caption.c_str(), ""));
        // The object's own tab and its issuer's.
        EXPECT_NE(std::string::npos, tabs.find("\"" + c.shown + "\"|")) << tabs;
        EXPECT_NE(std::string::npos, tabs.find("Издатель: \"" + c.shown + "\"")) << tabs;
        EXPECT_NE(std::string::npos, label.find(caption)) << label;
        EXPECT_NE(std::string::npos, shown.find(c.cn[0] == 'w' ? c.shown : "AT&amp;T Services"));
        X509_free(x);
        EVP_PKEY_free(key);
    }
}

TEST_F(ObjectViews, RevocationListsUpToAThousandEntriesAreShownWhole) {
    x509fx::Pki pki;
    for (int n : {1000, 1001}) {
        SCOPED_TRACE(n);
        auto crl = viewfx::crlWith(pki, n);
        ASSERT_EQ(n, crl->numRev());
        TCString full;
        crl->htmlView(full, false);
        bool actionVisible = false, enabledAfter = true;
        std::string first, after;
        HookScope hook([&](TObject* w) {
            auto* f = dynamic_cast<TCViewZrX509BaseForm*>(w);
            if (!f) return int(mrCancel);
            actionVisible = f->actViewCRLElements->Visible();
            first = utf8(f->htmlView1->LoadedText());
            if (actionVisible) {
                f->actViewCRLElements->Execute();
                after = utf8(f->htmlView1->LoadedText());
                enabledAfter = f->actViewCRLElements->Enabled();
            }
            return int(mrCancel);
        });
        viewX509Object(crl.get(), 3, "Список", "");
        if (n <= 1000) {
            EXPECT_FALSE(actionVisible);
            EXPECT_EQ(full.c_str(), first);
        } else {
            EXPECT_TRUE(actionVisible);
            EXPECT_EQ(render(*crl, zhScreen), first);
            EXPECT_NE(first, after);
            EXPECT_EQ(full.c_str(), after);
            EXPECT_FALSE(enabledAfter);
        }
    }
}

TEST_F(ObjectViews, RevocationRequestPrintsWhatItShows) {
    x509fx::Pki pki;
    TZrX509 ee(pki.ee);
    std::unique_ptr<TZrXRevokedCert> entry(ee.makeRev(1, 0, 0, true));
    ASSERT_TRUE(entry);
    TZrXRevReq rr(*entry);
    TZrX509 signer(pki.ee);
    ASSERT_FALSE(zrx::x509::failed(rr.sign(signer, pki.eeKey)));
    viewfx::PdfPrinter pdf;
    std::string shown, printed;
    HookScope hook([&](TObject* w) {
        if (dynamic_cast<TPrintDialog*>(w)) return int(mrOk);
        auto* f = dynamic_cast<TCViewZrX509BaseForm*>(w);
        if (!f) return int(mrCancel);
        shown = utf8(f->htmlView1->LoadedText());
        f->pgc1->SetActivePageIndex(0);
        f->PrintAction->Execute();
        printed = utf8(f->htmlv33->LastPrintedText());
        return int(mrCancel);
    });
    viewX509Object(&rr, 3, "Запрос на отзыв", "");
    const std::string own = render(rr, zhScreen);
    EXPECT_EQ(0u, shown.find(own));
    EXPECT_NE(std::string::npos, shown.find("<hr>", own.size()));
    EXPECT_GT(shown.size(), own.size() + 4);
    EXPECT_EQ(shown, printed);
}

TEST_F(ObjectViews, PrintWithoutRangePrintsTheWholeDocument) {
    x509fx::Pki pki;
    auto crl = viewfx::crlWith(pki, 300);
    viewfx::PdfPrinter pdf;
    int expected = 0, printedPages = 0;
    HookScope hook([&](TObject* w) {
        if (dynamic_cast<TPrintDialog*>(w)) return int(mrOk);
        auto* f = dynamic_cast<TCViewZrX509BaseForm*>(w);
        if (!f) return int(mrCancel);
        f->PrintAction->Execute();
        expected = f->htmlv33->PrintPageCount();
        printedPages = f->htmlv33->LastPagesPrinted();
        return int(mrCancel);
    });
    viewX509Object(crl.get(), 3, "Список", "");
    EXPECT_GT(expected, 1);
    EXPECT_EQ(expected, printedPages);
    EXPECT_EQ(expected, pdf.pages());
}

TEST_F(ObjectViews, CtrlInsertCopiesTheSelection) {
    auto* form = CreateComponent<TKeyViewFormEx>(Application);
    form->setHtml("<p>копия <b>текста</b></p>", nullptr);
    Clipboard()->Clear();
    uint16_t key = VK_INSERT;
    form->htmlView1->OnKeyDown(form->htmlView1, key, ssCtrl);
    EXPECT_EQ("", Clipboard()->AsText());  // nothing selected: nothing copied
    form->htmlView1->SelectAll();
    form->htmlView1->OnKeyDown(form->htmlView1, key, ssCtrl);
    EXPECT_EQ("копия текста", Clipboard()->AsText());
    EXPECT_NE(std::string::npos, Clipboard()->AsHtml().find("текста"));
    Clipboard()->Clear();
    form->Free();
}

// Long values break where the view marks it, yet the text copied out of the
// view carries each value exactly as it is: nothing inserted into it.
TEST_F(ObjectViews, CopiedTextCarriesTheValuesAsTheyAre) {
    x509fx::Pki pki;
    TZrX509 cert(pki.ee);
    const std::string values[] = {cert.fingerprint(EVP_sha256()).str(), cert.fingerprint(EVP_sha1()).str(),
                                  cert.keyID().toHex(true).str()};
    std::string text, html, plain;
    HookScope hook([&](TObject* w) {
        auto* f = dynamic_cast<TCViewZrX509BaseForm*>(w);
        if (!f) return int(mrCancel);
        Clipboard()->Clear();
        f->htmlView1->SelectAll();
        f->htmlView1->CopyToClipboard();
        text = Clipboard()->AsText();
        html = Clipboard()->AsHtml();
        plain = f->htmlView1->PlainText();
        Clipboard()->Clear();
        return int(mrOk);
    });
    EXPECT_EQ(mrOk, viewX509Object(&cert, 3, "Сертификат", ""));
    // The view marks where the long values may break.
    EXPECT_NE(std::string::npos, render(cert, zhScreen).find("<wbr>"));
    for (const std::string& v : values) {
        SCOPED_TRACE(v);
        EXPECT_NE(std::string::npos, text.find(v));
        EXPECT_NE(std::string::npos, plain.find(v));
        EXPECT_NE(std::string::npos, html.find(v));
    }
    for (const std::string& copy : {text, html, plain}) {
        EXPECT_EQ(std::string::npos, copy.find("\u200B"));
        EXPECT_EQ(std::string::npos, copy.find("zrx-wbr"));
    }
}

TEST_F(ObjectViews, CertificateViewSnapshot) {
    x509fx::Pki pki;
    TZrX509 cert(pki.ee);
    TZrX509 issuer(pki.inter);
    ASSERT_FALSE(zrx::x509::failed(cert.attachSigner(issuer)));
    const char* dirEnv = std::getenv("ZRX_VIEW_SNAPSHOT_DIR");
    zrxtest::TempDir tmp;
    const std::string png = (dirEnv && *dirEnv ? std::string(dirEnv) : tmp.str()) + "/certificate-view.png";
    bool saved = false;
    HookScope hook([&](TObject* w) {
        auto* f = dynamic_cast<TCViewZrX509BaseForm*>(w);
        if (!f) return int(mrCancel);
        Application->ProcessMessages();
        saved = SaveControlImage(f, png);
        return int(mrOk);
    });
    EXPECT_EQ(mrOk, viewX509Object(&cert, 0, "сертификата", "Загрузка"));
    EXPECT_TRUE(saved);
    EXPECT_GT(fileSize(png.c_str()), 1000);
}

}  // namespace
