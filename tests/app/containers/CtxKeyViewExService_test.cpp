// The container view's commands against a registration service on
// 127.0.0.1 through the real client: sending requests, loading the issued
// certificates back, a request's status and blocking the own certificate,
// each with what the user reads in the result window or message box.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/containers/KeyContainerFixture.h"
#include "locations/LocationTestSupport.h"
#include "app/config/ConfigBase.h"
#include "app/containers/CtxKeyViewExFrame.h"
#include "app/containers/CtxListsViewFrame.h"
#include "dialogs/LogGrabView.h"
#include "dialogs/MessageView.h"
#include "jCmp/JcmpServiceFixture.h"
#include "jCmp/ZrXCspJCMPClient.h"
#include "platform/x509api/ZrX509Api.h"

using zrxtest::CaService;
using zrxtest::kContainerPassword;
using zrxtest::kDay;
using zrxtest::KeyContainers;
using zrxtest::nowSeconds;
using zrxtest::ScriptedWindows;
using zrxtest::TestCa;

namespace {

class KeyViewService : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ca.ok);
        EnsureApplication();
        title = Application->Title();
        if (const char* p = std::getenv("PUBLIC")) hadPublic = true, savedPublic = p;
        setenv("PUBLIC", pub.str().c_str(), 1);
        savedSettings = getViewerConfig();
        savedMode = getMDMapMode();
        setViewerConfig(&settings);
        // The program composes the service's address from the base and "JCMP".
        settings.flags = kSettingsUseService;
        settings.jcmpUrl = svc.root().c_str();
        form = CreateComponent<TForm>(Application);
        form->SetBounds(0, 0, 1000, 600);
        frame = new TViewPrivatesFrameEx(form);
        frame->SetParent(form);
        lists = new TCtxListsViewFrame(form);
        lists->SetParent(form);
        frame->setListsFrame(lists);

        // Keys in service and the signed requests of their change.
        const int64_t now = nowSeconds();
        const std::string file = keys.dir().file("svc.zrx");
        TZrX509Csp c;
        ASSERT_TRUE(keys.generate(c, file, 0x30000));
        ASSERT_TRUE(KeyContainers::certifyAll(c, now - kDay, now + 100 * kDay));
        ASSERT_TRUE(keys.generate(c, "", 0x30000));
        ASSERT_EQ(0u, frame->containerObject()->load(file.c_str(), kContainerPassword));
        frame->showContainer(nullptr, false);
        ASSERT_NE(frame->serviceClient(), nullptr);
    }
    void TearDown() override {
        if (form) form->Free();
        setViewerConfig(savedSettings);
        setMDMapMode(savedMode);
        if (hadPublic) setenv("PUBLIC", savedPublic.c_str(), 1);
        else unsetenv("PUBLIC");
        zrxtest::forgetStoredState({"ZI509"});
        Application->SetTitle(title);  // the view names the container's owner there
    }
    TZrX509Csp& csp() { return *frame->containerObject(); }
    // Answers every window; keeps the result windows' lines and the messages.
    ScriptedWindows answering(int answer = mrYes) {
        return ScriptedWindows([this, answer](TObject* w) -> int {
            if (auto* g = dynamic_cast<TLogGrabViewForm*>(w)) results.push_back(g->joinedText().str());
            return answer;
        });
    }
    bool resultHas(const std::string& part) const {
        for (const std::string& r : results)
            if (r.find(part) != std::string::npos) return true;
        return false;
    }

    TestCa ca;
    CaService svc{ca, "/JCMP"};
    KeyContainers keys;
    zrxtest::TempDir pub;
    TCCtxViewerConfig settings;
    TCCtxViewerConfig* savedSettings = nullptr;
    int savedMode = 1;
    bool hadPublic = false;
    std::string savedPublic;
    String title;
    TForm* form = nullptr;
    TViewPrivatesFrameEx* frame = nullptr;
    TCtxListsViewFrame* lists = nullptr;
    std::vector<std::string> results;
};

}  // namespace

TEST_F(KeyViewService, TheShownRequestIsSentAndItsCertificateLoadedBack) {
    ScriptedWindows windows = answering();
    frame->pgc1->SetActivePage(frame->ts3);  // the next signature key's request
    frame->updateToolbar();
    ASSERT_EQ(frame->btnExportX509->Style(), tbsDropDown);
    // The drop-down button's own click sends the request.
    frame->btnExportX509->Click();
    ASSERT_EQ(svc.received().size(), 1u);
    EXPECT_EQ(svc.received()[0].operation, "register");
    EXPECT_EQ(svc.received()[0].type, JCMP_TYPE_SIGNED_REQUEST);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(resultHas("успешно передан для дальнейшей регистрации.")) << results[0];

    // Loading back: the issued certificate replaces its request; the other
    // request, never sent, is reported and stays.
    results.clear();
    frame->actImportCertHTTP->Execute();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(csp().reqCount(), 1);
    EXPECT_TRUE(resultHas("Нет такого запроса")) << results[0];
}

// A load that went well in every step still shows what it stored.
TEST_F(KeyViewService, AFullySuccessfulLoadListsWhatWasStored) {
    ScriptedWindows windows = answering();
    ASSERT_EQ(0u, frame->serviceClient()->sendRequests(JCMP_KIND_SIGN | JCMP_KIND_KA));
    ASSERT_EQ(csp().reqCount(), 2);
    results.clear();
    frame->actImportCertHTTP->Execute();
    EXPECT_EQ(csp().reqCount(), 0);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(resultHas("Сертификат ключа ЭП, владелец \"Петренко Петро\"")) << results[0];
    EXPECT_TRUE(resultHas("Сертификат ключа связи, владелец \"Петренко Петро\"")) << results[0];
    EXPECT_TRUE(resultHas("получен от службы регистрации и записан в контейнер.")) << results[0];
}

TEST_F(KeyViewService, NewRequestsAfterAChangeGoToTheServiceWithImmediateIssue) {
    ScriptedWindows windows = answering();
    svc.setRestrictions(true, false, true, true);
    frame->deliverNewRequests(0x30000);
    // Both issued at once and stored: the key-agreement request first.
    const std::vector<zrxtest::Received> got = svc.received();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].operation, "issue");
    EXPECT_EQ(got[1].operation, "issue");
    EXPECT_EQ(csp().reqCount(), 0);
    EXPECT_EQ(windows.windows, 0);  // the frame's caller shows the result
}

TEST_F(KeyViewService, StatusOfTheShownRequest) {
    frame->pgc1->SetActivePage(frame->ts3);
    frame->updateToolbar();
    TZrX509Base* request = frame->currentObject();
    ASSERT_NE(request, nullptr);
    svc.setStatus(request->getKeyIDStr().str(), 4105);
    ScriptedWindows windows = answering(mrOk);
    EXPECT_TRUE(frame->showRequestStatus());
    ASSERT_EQ(windows.messages.size(), 1u);
    const std::string& m = windows.messages[0];
    EXPECT_NE(m.find("Владелец:" + request->ownerName().str()), std::string::npos) << m;
    EXPECT_NE(m.find("ID:" + request->getKeyIDStr().str()), std::string::npos) << m;
    EXPECT_NE(m.find("статус: \"На рассмотрении\""), std::string::npos) << m;

    // A failed query is the error box with the request named.
    svc.setStatusHttp(500);
    windows.messages.clear();
    EXPECT_TRUE(frame->showRequestStatus());
    EXPECT_TRUE(windows.shown("Получение статуса запроса на сертификат ключа")) << windows.messages.size();

    // Without the service there is nothing to ask.
    settings.flags = 0;
    frame->updateServiceClient();
    windows.messages.clear();
    EXPECT_FALSE(frame->showRequestStatus());
    EXPECT_TRUE(windows.messages.empty());
}

TEST_F(KeyViewService, BlockingTheOwnCertificateSendsASignedRevocation) {
    frame->pgc1->SetActivePage(frame->ts1);
    frame->updateToolbar();
    // The change is under way (next keys exist): blocking is not offered.
    EXPECT_FALSE(frame->actLockCert->Visible());

    // A container with keys in service only.
    const int64_t now = nowSeconds();
    const std::string file = keys.dir().file("own.zrx");
    {
        TZrX509Csp c;
        ASSERT_TRUE(keys.generate(c, file, 0x30000));
        ASSERT_TRUE(KeyContainers::certifyAll(c, now - kDay, now + 100 * kDay));
    }
    ASSERT_EQ(0u, csp().load(file.c_str(), kContainerPassword));
    frame->showContainer(nullptr, false);
    frame->pgc1->SetActivePage(frame->ts1);
    frame->updateToolbar();
    ASSERT_TRUE(frame->actLockCert->Visible());

    int answer = mrNo;
    ScriptedWindows windows([&](TObject* w) -> int {
        if (auto* g = dynamic_cast<TLogGrabViewForm*>(w)) results.push_back(g->joinedText().str());
        return answer;
    });
    EXPECT_EQ(frame->blockCertificate(), 0u);
    EXPECT_TRUE(windows.shown("Сформировать запрос на блокирование сертификата ключа"));
    EXPECT_TRUE(svc.received().empty());

    answer = mrYes;
    EXPECT_EQ(frame->blockCertificate(), 0u);
    ASSERT_EQ(svc.received().size(), 1u);
    EXPECT_EQ(svc.received()[0].operation, "register");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(resultHas("Удостоверен запрос на отмену сертификата ключей владельца")) << results[0];
}
