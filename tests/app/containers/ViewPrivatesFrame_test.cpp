// The container view over real file containers (and one SoftHSM2 token):
// which pages show what, the commands' rules in both modes, opening, saving
// under a new location, changing passwords and registering certificates.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/containers/KeyContainerFixture.h"
#include "locations/LocationTestSupport.h"
#include "views/CertChainViewForm.h"
#include "locations/ContainerPrompt.h"
#include "app/containers/CtxListsViewFrame.h"
#include "dialogs/LogGrabView.h"
#include "dialogs/NewPasswordDlg.h"
#include "app/containers/ViewPrivatesFrame.h"
#include "platform/core/keys/PrivateEVPKey.h"
#include "platform/framework/Dialogs.h"
#include "platform/runtime/Passwords.h"
#include "platform/runtime/Utf16.h"
#include "platform/p11/P11Support.h"
#include "support/ToolBarPictures.h"

// Qt last: its keyword macros must not reach the headers above.
#include <QImage>
#include <QPixmap>
#include <QWidget>

using zrxtest::HsmEnvironment;
using zrxtest::kContainerPassword;
using zrxtest::kDay;
using zrxtest::KeyContainers;
using zrxtest::nowSeconds;
using zrxtest::ScriptedWindows;

namespace {

[[maybe_unused]] ::testing::Environment* const gHsm = ::testing::AddGlobalTestEnvironment(new HsmEnvironment);

const char kNewPassword[] = "Зовсім-Новий-Пароль-77";

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool contains(const std::u16string& text, const char* part) {
    return text.find(zrx_utf8::toUtf16(part)) != std::u16string::npos;
}

class ContainerView : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        initP11Lib();
        cmdLineCtxName.clear();
        title = Application->Title();
        form = CreateComponent<TForm>(Application);
        form->SetBounds(0, 0, 1000, 600);
        frame = new TViewPrivatesFrame(form);
        frame->SetParent(form);
    }
    void TearDown() override {
        form->Free();
        Application->SetTitle(title);  // the frame names the container's owner there
        zrxtest::forgetStoredState({"ZI509", "OpenNCTX"});
    }
    // The tabs on show, by page name, and the active one.
    std::string shownTabs() const {
        std::string out;
        for (TTabSheet* ts : {frame->ts1, frame->ts2, frame->ts3, frame->ts4})
            if (ts->TabVisible()) out += (out.empty() ? "" : ",") + std::string(ts->Name());
        return out;
    }
    TCtxListsViewFrame* attachLists() {
        auto* lists = new TCtxListsViewFrame(form);
        lists->SetParent(form);
        frame->setListsFrame(lists);
        return lists;
    }
    // Answers the password prompt with a location and a password.
    static int answerPrompt(TObject* w, const std::string& path, const char* password) {
        auto* p = dynamic_cast<TNctxLoadPaswordPrompt*>(w);
        if (!p) return 0;
        p->locationFrame->setLocation(path.c_str());
        if (password && p->passwordVisible()) p->PasswordEdit->SetText(password);
        p->Button1->Click();
        return 0;
    }
    static int answerNewPassword(TObject* w, const char* password) {
        auto* d = dynamic_cast<TMakePasswordForm*>(w);
        if (!d) return 0;
        d->PasswordEdit->SetText(password);
        d->PasswordConfirm->SetText(password);
        d->Button1->Click();
        return 0;
    }

    KeyContainers keys;
    TForm* form = nullptr;
    TViewPrivatesFrame* frame = nullptr;
    String title;
};

}  // namespace

TEST_F(ContainerView, PagesFollowTheObjectsOfTheContainer) {
    const int64_t now = nowSeconds();
    struct Case {
        const char* name;
        std::function<bool(TZrX509Csp&, const std::string&)> make;
        bool pages;
        const char* tabs;
        const char* active;
        std::vector<std::pair<TTabSheet * TViewPrivatesFrame::*, const char*>> titles;
    } cases[] = {
        {"empty", [](TZrX509Csp&, const std::string&) { return true; }, false, "", "", {}},
        {"requests only",
         [&](TZrX509Csp& c, const std::string& p) { return keys.generate(c, p, 0x30000); },
         true,
         "ts3,ts4",
         "ts3",
         {{&TViewPrivatesFrame::ts3, "Запрос на сертификат ключа"},
          {&TViewPrivatesFrame::ts4, "Запрос на сертификат"}}},
        {"certified",
         [&](TZrX509Csp& c, const std::string& p) {
             return keys.generate(c, p, 0x30000) && KeyContainers::certifyAll(c, now - kDay, now + 30 * kDay);
         },
         true,
         "ts1,ts2",
         "ts1",
         {{&TViewPrivatesFrame::ts1, "Действующий сертификат ключа"},
          {&TViewPrivatesFrame::ts2, "Действующий сертификат ключа"}}},
        {"expired",
         [&](TZrX509Csp& c, const std::string& p) {
             return keys.generate(c, p, 0x20000) && KeyContainers::certifyAll(c, now - 60 * kDay, now - 30 * kDay);
         },
         true,
         "ts1",
         "ts1",
         {{&TViewPrivatesFrame::ts1, "Окончивший действие сертификат"}}},
        {"certified with next requests",
         [&](TZrX509Csp& c, const std::string& p) {
             return keys.generate(c, p, 0x30000) && KeyContainers::certifyAll(c, now - kDay, now + 30 * kDay) &&
                    keys.generate(c, "", 0x30000);
         },
         true,
         "ts1,ts2,ts3,ts4",
         "ts1",
         {{&TViewPrivatesFrame::ts3, "Запрос на сертификат"}, {&TViewPrivatesFrame::ts4, "Запрос на сертификат"}}},
        {"next certificate",
         [&](TZrX509Csp& c, const std::string& p) {
             return keys.generate(c, p, 0x20000) && KeyContainers::certifyAll(c, now - kDay, now + 30 * kDay) &&
                    keys.generate(c, "", 0x20000) && KeyContainers::certifyAll(c, now + 10 * kDay, now + 60 * kDay);
         },
         true,
         "ts1,ts3",
         "ts1",
         {{&TViewPrivatesFrame::ts3, "Очередной сертификат"}}},
        {"previous certificate only",
         [&](TZrX509Csp& c, const std::string& p) {
             if (!keys.generate(c, p, 0x20000)) return false;
             const TZrX509Req request = *c.getReqAt(0);
             // Two certificates of one key: the older becomes the previous one;
             // without the key only that previous certificate is left to show.
             for (int64_t end : {now + 5 * kDay, now + 30 * kDay}) {
                 TZrX509 cert;
                 if (isFailure(cert.fromRequest(request)) || isFailure(c.mkSelfIssued(cert, now - kDay, end)) ||
                     !c.addCertificate(&cert, true))
                     return false;
             }
             c.container()->ctx_ActKeysList.removeAt(0);
             return c.getPrevX509Object() != nullptr;
         },
         true,
         "ts1",
         "ts1",
         {{&TViewPrivatesFrame::ts1, "Действующий сертификат"}}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TZrX509Csp csp;
        ASSERT_TRUE(c.make(csp, keys.dir().file("c" + std::to_string(++n) + ".zrx")));
        auto* view = new TViewPrivatesFrame(form);
        std::swap(view, frame);
        frame->SetParent(form);
        // A new frame has made no viewer: each is made when its page first shows an object.
        for (TWindowHtmlViewer* v :
             {frame->htmlvwr1, frame->htmlvwr2, frame->htmlvwr3, frame->htmlvwr4, frame->htmlv33})
            EXPECT_EQ(v, nullptr);
        frame->showContainer(&csp, false);
        EXPECT_EQ(frame->pgc1->Visible(), c.pages);
        if (c.pages) {
            EXPECT_EQ(shownTabs(), c.tabs);
            ASSERT_NE(frame->pgc1->ActivePage(), nullptr);
            EXPECT_EQ(frame->pgc1->ActivePage()->Name(), c.active);
            for (const auto& [page, title] : c.titles)
                EXPECT_EQ((frame->*page)->GetText().rfind(title, 0), 0u) << (frame->*page)->GetText();
            // The viewer of the active page shows its object, and that is the current object.
            auto* viewer = reinterpret_cast<TWindowHtmlViewer*>(frame->pgc1->ActivePage()->Tag());
            ASSERT_NE(viewer, nullptr);
            EXPECT_TRUE(contains(viewer->LoadedText(), csp.commonName().c_str()));
            EXPECT_EQ(frame->currentObject(), reinterpret_cast<TZrX509Base*>(viewer->Tag()));
            EXPECT_EQ(form->GetText(), "Работа с ключевым контейнером  владельца \"Петренко Петро\"");
        } else {
            EXPECT_EQ(frame->currentObject(), nullptr);
        }
        delete frame;
        frame = view;
    }
}

// Every button the container's tool bar shows has its picture ("Выход" and,
// as the key generator shows it, "Создать" among them).
TEST_F(ContainerView, EveryShownToolButtonHasAPicture) {
    frame->btnCreate->SetVisible(true);
    frame->actCreate->SetVisible(true);
    zrxtest::expectEveryButtonPictured(frame->tlb1);
    EXPECT_TRUE(frame->btnClose->Visible());
}

// The window's caption names the owner whole: past an embedded NUL, as the
// pages show it, and with its '&'.
TEST_F(ContainerView, CaptionNamesTheWholeOwner) {
    EXPECT_EQ(frame->captionFor(TCString(std::string_view("www.bank.ua\0.evil.example", 25))).str(),
              "Работа с ключевым контейнером  владельца \"www.bank.ua\\00.evil.example\"");
    EXPECT_EQ(frame->captionFor("AT&T").str(), "Работа с ключевым контейнером  владельца \"AT&T\"");
}

TEST_F(ContainerView, CommandRulesInTabsAndTreeMode) {
    const int64_t now = nowSeconds();
    TZrX509Csp csp;
    ASSERT_TRUE(keys.generate(csp, keys.dir().file("rules.zrx"), 0x20000));
    ASSERT_TRUE(KeyContainers::certifyAll(csp, now - kDay, now + 30 * kDay));
    ASSERT_TRUE(keys.generate(csp, "", 0x20000));
    TCtxListsViewFrame* lists = attachLists();
    frame->showContainer(&csp, false);
    auto update = [&] {
        frame->updateToolbar();
        frame->ActionList1->UpdateActions();
    };

    // Tabs mode: the page's object is current.
    update();
    EXPECT_TRUE(frame->isTabsMode());
    EXPECT_FALSE(frame->actDelete->Visible());
    EXPECT_TRUE(frame->btnLoad->Visible());
    EXPECT_TRUE(frame->btnSave->Visible());
    EXPECT_TRUE(frame->actExportX509->Enabled());
    EXPECT_EQ(frame->actExportX509->Caption(), "Сохранить сертификат");
    EXPECT_TRUE(frame->actToReq->Enabled());
    EXPECT_TRUE(frame->actSave->Enabled());
    EXPECT_TRUE(frame->actAddCert->Enabled());
    EXPECT_TRUE(frame->actChagePassword1->Enabled());
    frame->pgc1->SetActivePage(frame->ts3);  // the next request
    update();
    EXPECT_EQ(frame->actExportX509->Caption(), "Сохранить запрос");
    EXPECT_EQ(frame->actExportX509->Hint(), "Сохранить запрос в файл");
    EXPECT_FALSE(frame->actToReq->Enabled());

    TZrX509Csp empty;
    frame->showContainer(&empty, false);
    update();
    for (TAction* a : {frame->actSave, frame->actAddCert, frame->actImportSelfCertificate, frame->actExportX509})
        EXPECT_FALSE(a->Enabled()) << a->Name();
    EXPECT_FALSE(frame->actChagePassword1->Enabled());
    frame->showContainer(&csp, false);
    frame->pgc1->SetActivePage(frame->ts3);

    // Tree mode: the tree's selection is current.
    lists->treePageActive = 1;
    update();
    EXPECT_FALSE(frame->isTabsMode());
    EXPECT_TRUE(frame->actDelete->Visible());
    EXPECT_FALSE(frame->btnLoad->Visible());
    EXPECT_FALSE(frame->actExportX509->Enabled());
    EXPECT_FALSE(frame->actDelete->Enabled());
    lists->tv1->SetSelected(lists->certificatesNode);
    update();
    EXPECT_FALSE(frame->actDelete->Enabled());
    // Selecting redirects through the frame, which updates its tool bar at once.
    lists->tv1->SetSelected(lists->certificatesNode->Item(0));
    EXPECT_EQ(frame->actExportX509->Caption(), "Сохранить сертификат");
    frame->ActionList1->UpdateActions();
    EXPECT_TRUE(frame->actDelete->Enabled());
    EXPECT_TRUE(frame->actExportX509->Enabled());
    EXPECT_EQ(frame->currentObject(), lists->selectedObject);

    // Attached once: the tree's menu carries the frame's commands, the others are hidden.
    EXPECT_EQ(lists->saveMI->Action(), frame->actExportX509);
    EXPECT_EQ(lists->deleteMI->Action(), frame->actDelete);
    EXPECT_FALSE(lists->statusMI->Visible());
    EXPECT_FALSE(lists->ActLockMI->Visible());
    // The same frame again changes nothing.
    lists->saveMI->SetAction(nullptr);
    frame->setListsFrame(lists);
    EXPECT_EQ(lists->saveMI->Action(), nullptr);
}

TEST_F(ContainerView, OpenActivatesDueNextKeysAndCancelChangesNothing) {
    const int64_t now = nowSeconds();
    const std::string path = keys.dir().file("open.zrx");
    {
        TZrX509Csp csp;
        ASSERT_TRUE(keys.generate(csp, path, 0x30000));
        ASSERT_TRUE(KeyContainers::certifyAll(csp, now - 10 * kDay, now + 30 * kDay));
        ASSERT_TRUE(keys.generate(csp, "", 0x20000));
        // The next certificate is valid already: opening puts it into service.
        ASSERT_TRUE(KeyContainers::certifyAll(csp, now - kDay, now + 60 * kDay));
    }
    TCtxListsViewFrame* lists = attachLists();
    ScriptedWindows windows([&](TObject* w) { return answerPrompt(w, path, kContainerPassword); });
    EXPECT_EQ(frame->openContainer(), 0u);
    EXPECT_TRUE(windows.shown("Очередные ключи владельца \"Петренко Петро\" успешно введены в действие."));
    EXPECT_TRUE(frame->pgc1->Visible());
    EXPECT_EQ(shownTabs(), "ts1,ts2");
    EXPECT_EQ(frame->actChagePassword->Caption(), "Сменить пароль контейнера");
    EXPECT_EQ(lists->content, frame->containerObject()->container());
    EXPECT_NE(lists->activeKeysNode, nullptr);
    EXPECT_EQ(lists->newKeysNode, nullptr);

    // The window takes over the tool bar and the menu; the frame still frees the bar.
    lists->SetVisible(false);
    frame->tlb1->SetParent(form);
    frame->tlb1->SetAlign(alTop);
    frame->tlb1->SetVisible(true);
    form->SetMenu(frame->mm1);
    if (const char* dir = std::getenv("ZRX_TEST_SNAPSHOTS")) {
        form->Show();
        Application->ProcessMessages();
        std::filesystem::create_directories(dir);
        form->Handle()->grab().save(QString::fromStdString((std::filesystem::path(dir) / "view26.png").string()));
    }

    windows.setScript([](TObject*) { return int(mrCancel); });
    windows.messages.clear();
    EXPECT_EQ(frame->openContainer(), kOpenCancelled);
    EXPECT_TRUE(windows.messages.empty());
    EXPECT_TRUE(frame->pgc1->Visible());
    EXPECT_EQ(lists->content, frame->containerObject()->container());
}

TEST_F(ContainerView, SaveAsTakesTheNewPasswordTwiceAndRefusesAWeakOne) {
    TZrX509Csp csp;
    ASSERT_TRUE(keys.generate(csp, keys.dir().file("orig.zrx"), 0x20000));
    frame->showContainer(&csp, false);
    const std::string copy = keys.dir().file("copy.pfx");  // new containers are ".pfx" files
    bool promptAskedPassword = true;
    const char* typed = "12345678";
    int offers = 0;
    ScriptedWindows windows([&](TObject* w) {
        if (auto* p = dynamic_cast<TNctxLoadPaswordPrompt*>(w)) {
            promptAskedPassword = p->passwordVisible();
            return answerPrompt(w, copy, nullptr);
        }
        if (dynamic_cast<TMakePasswordForm*>(w)) {
            // A refused password keeps the dialog open; the second offer cancels.
            if (++offers > 1) return int(mrCancel);
            return answerNewPassword(w, typed);
        }
        return int(mrOk);
    });
    EXPECT_FALSE(frame->saveContainerAs());
    EXPECT_FALSE(promptAskedPassword);
    EXPECT_EQ(offers, 2);
    EXPECT_FALSE(std::filesystem::exists(copy));

    typed = kNewPassword;
    offers = 0;
    EXPECT_TRUE(frame->saveContainerAs());
    TZrX509Csp reread;
    EXPECT_EQ(reread.load(copy.c_str(), kNewPassword), 0u);
    EXPECT_EQ(reread.commonName().str(), "Петренко Петро");
    EXPECT_TRUE(isFailure(reread.load(copy.c_str(), kContainerPassword)));
}

TEST_F(ContainerView, ChangePasswordOfAFileAndOfAToken) {
    // A file container: changed, written, and only the new password opens it.
    const std::string path = keys.dir().file("pw.zrx");
    TZrX509Csp csp;
    ASSERT_TRUE(keys.generate(csp, path, 0x20000));
    frame->showContainer(&csp, false);
    ScriptedWindows windows([&](TObject* w) { return answerNewPassword(w, kNewPassword); });
    EXPECT_TRUE(frame->changePassword());
    EXPECT_TRUE(windows.shown("Пароль контейнера сменен успешно"));
    TZrX509Csp reread;
    EXPECT_EQ(reread.load(path.c_str(), kNewPassword), 0u);

    // A token container: the token's password changes.
    static int round = 0;
    TCP11Slot* slot = HsmEnvironment::newToken("Вид " + std::to_string(++round), "12345678", kContainerPassword);
    ASSERT_NE(slot, nullptr);
    initP11Lib();
    const std::string token = std::string("$:") + slot->getTokenName();
    TZrX509Csp onToken;
    ASSERT_TRUE(keys.generate(onToken, token, 0x20000));
    frame->showContainer(&onToken, false);
    windows.messages.clear();
    EXPECT_TRUE(frame->changePassword());
    EXPECT_TRUE(windows.shown("Пароль токена сменен успешно"));
    TZrX509Csp again;
    EXPECT_EQ(again.load(token.c_str(), kNewPassword), 0u);
    EXPECT_TRUE(isFailure(again.load(token.c_str(), kContainerPassword)));
}

TEST_F(ContainerView, RegistersAChainFileAndNothingTwice) {
    const std::string path = keys.dir().file("reg.zrx");
    TZrX509Csp csp;
    ASSERT_TRUE(keys.generate(csp, path, 0x20000));
    ASSERT_TRUE(keys.certs.root("Root"));
    ASSERT_TRUE(keys.issueFromRequest(keys.requestFile(csp, kObjSignRequest, "own"), "Root", "Own",
                                      "keyUsage=digitalSignature"));
    // The chain file's extension is written in capitals.
    const std::string chainFile = keys.dir().file("chain.P7B");
    ASSERT_TRUE(zrxtest::CertMaker::run("openssl crl2pkcs7 -nocrl -certfile " + keys.certs.crt("Own") + " -certfile " +
                                        keys.certs.crt("Root") + " -outform DER -out " + chainFile));
    frame->showContainer(&csp, false);
    int chainWindows = 0, fileDialogs = 0;
    ScriptedWindows windows([&](TObject* w) {
        if (auto* d = dynamic_cast<TOpenDialog*>(w)) {
            ++fileDialogs;
            d->SetFileName(chainFile);
        }
        if (dynamic_cast<TChainViewForm*>(w)) ++chainWindows;
        return int(mrOk);
    });
    EXPECT_TRUE(frame->receiveCertificate());
    EXPECT_EQ(chainWindows, 1);
    ASSERT_NE(csp.getSelfCrt(), nullptr);
    EXPECT_EQ(shownTabs(), "ts1");
    TZrX509Csp reread;
    ASSERT_EQ(reread.load(path.c_str(), kContainerPassword), 0u);
    EXPECT_NE(reread.getSelfCrt(), nullptr);

    // The same chain again: nothing is new; the container stays as written.
    const std::string before = readAll(path);
    windows.messages.clear();
    EXPECT_FALSE(frame->registerFromFile("Регистрация сертификата из файла", nullptr));
    EXPECT_EQ(frame->lastRegisterResult(), kNothingRegistered);
    EXPECT_TRUE(windows.shown("Загруженный сертификат не соответствует ни одному очередному ключу!"));
    EXPECT_FALSE(csp.inUpdate());
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(fileDialogs, 2);
}

TEST_F(ContainerView, AFailedWriteLeavesNoHalfRegisteredContainer) {
    const std::string path = keys.dir().file("nowrite.zrx");
    TZrX509Csp csp;
    ASSERT_TRUE(keys.generate(csp, path, 0x20000));
    ASSERT_TRUE(keys.certs.root("Root"));
    ASSERT_TRUE(keys.issueFromRequest(keys.requestFile(csp, kObjSignRequest, "own"), "Root", "Own",
                                      "keyUsage=digitalSignature"));
    TCXCertsChain chain;
    ASSERT_TRUE(keys.certs.add(chain, "Own"));
    ASSERT_TRUE(keys.certs.add(chain, "Root"));
    frame->showContainer(&csp, false);
    // The container's place is gone: the write at the end of the update fails.
    csp.container()->setFileName(keys.dir().file("gone/nowrite.zrx").c_str());
    ScriptedWindows windows;
    EXPECT_FALSE(frame->registerChain(chain));
    EXPECT_TRUE(isFailure(frame->lastRegisterResult()));
    EXPECT_TRUE(windows.shown("Сохранение контейнера личных ключей"));
    EXPECT_FALSE(csp.inUpdate());
    EXPECT_FALSE(csp.container()->inUpdate());
    EXPECT_EQ(csp.getSelfCrt(), nullptr);
    EXPECT_EQ(csp.reqCount(), 1);
}

TEST_F(ContainerView, ChainBuildingEndsAtSelfIssuedAndCrossCertifiedCertificates) {
    auto& certs = keys.certs;
    // Not an authority, issued to itself: its authority key identifier is its own.
    ASSERT_TRUE(zrxtest::CertMaker::run(
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout " + certs.key("Self") + " -out " +
        certs.crt("Self") +
        " -subj '/CN=Self' -days 30 -addext subjectKeyIdentifier=hash -addext authorityKeyIdentifier=keyid"));
    // B and A certify each other.
    ASSERT_TRUE(certs.root("B0"));
    ASSERT_TRUE(certs.issue("A", "B0", "basicConstraints=critical,CA:true\nkeyUsage=keyCertSign"));
    ASSERT_TRUE(certs.issue("B1", "A", "basicConstraints=critical,CA:true\nkeyUsage=keyCertSign", "/CN=B", "B0"));

    int fileDialogs = 0;
    ScriptedWindows windows([&](TObject* w) {
        if (auto* d = dynamic_cast<TOpenDialog*>(w)) {
            ++fileDialogs;
            d->SetFileName(certs.crt("A"));
        }
        return int(mrOk);
    });
    TZrX509 self;
    ASSERT_TRUE(self.loadFromFile(certs.crt("Self").c_str()));
    TCXCertsChain chain;
    EXPECT_TRUE(frame->buildChain(self, chain));
    EXPECT_EQ(chain.count(), 1);
    EXPECT_EQ(fileDialogs, 0);

    TZrX509 b1;
    ASSERT_TRUE(b1.loadFromFile(certs.crt("B1").c_str()));
    TCXCertsChain cross;
    EXPECT_TRUE(frame->buildChain(b1, cross));
    EXPECT_EQ(cross.count(), 2);
    EXPECT_EQ(fileDialogs, 1);
}

TEST_F(ContainerView, SaveHtmlReportsAFileThatCannotBeWrittenAndPrintTakesAllPages) {
    const int64_t now = nowSeconds();
    TZrX509Csp csp;
    ASSERT_TRUE(keys.generate(csp, keys.dir().file("html.zrx"), 0x20000));
    ASSERT_TRUE(KeyContainers::certifyAll(csp, now - kDay, now + 30 * kDay));
    frame->showContainer(&csp, false);
    std::vector<std::string> names = {keys.dir().file("missing/x.html"), keys.dir().file("ok.html")};
    size_t next = 0;
    ScriptedWindows windows([&](TObject* w) {
        if (auto* d = dynamic_cast<TSaveDialog*>(w)) {
            if (next >= names.size()) return int(mrCancel);
            d->SetFileName(names[next++]);
        }
        return int(mrOk);
    });
    EXPECT_TRUE(frame->saveHtml());
    EXPECT_TRUE(windows.shown("Ошибка записи в файл \"" + names[0] + "\"!"));
    EXPECT_NE(readAll(names[1]).find("Петренко Петро"), std::string::npos);

    EXPECT_TRUE(frame->print());
    EXPECT_EQ(frame->htmlv33->LastPrintFrom(), kPrintFirstPage);
    EXPECT_EQ(frame->htmlv33->LastPrintTo(), kPrintLastPage);
    EXPECT_TRUE(contains(frame->htmlv33->LastPrintedText(), "Петренко Петро"));
}

TEST_F(ContainerView, CertificateBecomesASignedRequestForReRegistration) {
    const int64_t now = nowSeconds();
    TZrX509Csp csp;
    ASSERT_TRUE(keys.generate(csp, keys.dir().file("toreq.zrx"), 0x20000));
    ASSERT_TRUE(KeyContainers::certifyAll(csp, now - kDay, now + 30 * kDay));
    frame->showContainer(&csp, false);
    const std::string out = keys.dir().file("again.p10");
    ScriptedWindows windows([&](TObject* w) {
        if (auto* d = dynamic_cast<TSaveDialog*>(w)) d->SetFileName(out);
        return int(mrOk);
    });
    EXPECT_TRUE(frame->certificateToRequest());
    EXPECT_TRUE(windows.shown("На основе действующего сертификата ключей владельца \"Петренко Петро\""));
    TZrX509Req req;
    ASSERT_TRUE(req.loadFromFile(out.c_str()));
    EXPECT_EQ(req.ownerName().str(), "Петренко Петро");
    // Signed with the certificate's own key, which the container holds.
    EXPECT_EQ(req.verifySelf(), 0u);
    EXPECT_EQ(req.getKeyIDStr().str(), csp.getSelfCrt()->getKeyIDStr().str());
}

TEST_F(ContainerView, ACertificateOfNoOwnKeyIsRefused) {
    TZrX509Csp csp;
    const std::string path = keys.dir().file("foreign.zrx");
    ASSERT_TRUE(keys.generate(csp, path, 0x20000));
    ASSERT_TRUE(keys.certs.root("Root"));
    ASSERT_TRUE(keys.certs.issue("Stranger", "Root", "keyUsage=digitalSignature"));
    frame->showContainer(&csp, false);
    const std::string before = readAll(path);
    ScriptedWindows windows([&](TObject* w) {
        if (auto* d = dynamic_cast<TOpenDialog*>(w)) d->SetFileName(keys.certs.crt("Stranger"));
        return int(mrOk);
    });
    EXPECT_FALSE(frame->receiveCertificate());
    EXPECT_TRUE(
        windows.shown("Загруженный сертификат не соответствует ни одному личному ключу, хранящемуся в контейнере!"));
    EXPECT_EQ(csp.getSelfCrt(), nullptr);
    EXPECT_EQ(readAll(path), before);
}
