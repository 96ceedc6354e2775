// The container view's rules that need no window: request file names, the
// key change's flags, where new requests go, and what a sweep came to.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/containers/CtxKeyViewExFrame.h"
#include "jCmp/ZrXCspJCMPClient.h"
#include "platform/x509api/ZrX509Csp.h"

TEST(ContainerViewRules, RequestFileBaseName) {
    struct Case {
        const char* location;
        const char* base;
    } cases[] = {
        {"/home/u/keys/Петренко.zrx", "/home/u/keys/Петренко"},
        {"/home/u/keys/two.dots.zrx", "/home/u/keys/two.dots"},
        {"/home/u/keys/noext", "/home/u/keys/noext"},
        {"/home/u/ke.ys/noext", "/home/u/ke.ys/noext"},  // a dot of a folder is no extension
        // Devices: after the media prefix, with nothing a shell reads specially.
        {"$:SoftHSM v2#c39ad1c769840fc4", "SoftHSM_v2_c39ad1c769840fc4"},
        {"$:Токен $(rm)`x`;&|'\"*?", "Токен___rm__x________"},
        {"$:", "noname"},
    };
    for (const Case& c : cases) {
        TZrX509Csp csp;
        csp.container()->setFileName(c.location);
        EXPECT_EQ(requestFileBaseName(&csp).str(), c.base) << c.location;
    }
    EXPECT_TRUE(requestFileBaseName(nullptr).isEmpty());
}

TEST(ContainerViewRules, ChangeKeyRequestFlags) {
    struct Case {
        uint32_t generation;
        bool passwordGiven;
        uint32_t flags;
    } cases[] = {
        {0x20000, true, 0x80},
        {0x20000 | 0x100, true, 0xA0},
        {0x10000, false, 0x88},
        {0x30000 | 0x100, false, 0xA8},
    };
    for (const Case& c : cases)
        EXPECT_EQ(changeKeyRequestFlags(c.generation, c.passwordGiven), c.flags) << std::hex << c.generation;
}

TEST(ContainerViewRules, NewRequestsGoToTheMainWindowElseTheServiceElseFiles) {
    EXPECT_EQ(newRequestsRoute(true, true), TNewRequestsRoute::mainWindow);
    EXPECT_EQ(newRequestsRoute(true, false), TNewRequestsRoute::mainWindow);
    EXPECT_EQ(newRequestsRoute(false, true), TNewRequestsRoute::service);
    EXPECT_EQ(newRequestsRoute(false, false), TNewRequestsRoute::files);

    EXPECT_EQ(serviceRequestKinds(0x20000), JCMP_KIND_SIGN | JCMP_KIND_ISSUE_AT_ONCE);
    EXPECT_EQ(serviceRequestKinds(0x10000), JCMP_KIND_KA | JCMP_KIND_ISSUE_AT_ONCE);
    EXPECT_EQ(serviceRequestKinds(0x30000 | 0x100), 0x103u);

    // Files: the signature request first; a failed or cancelled first save
    // skips the key-agreement one.
    struct Case {
        uint32_t kinds;
        bool firstSaves;
        std::vector<int> asked;
        bool result;
    } cases[] = {
        {0x30000, true, {2, 8}, true}, {0x30000, false, {2}, false}, {0x10000, false, {8}, false},
        {0x20000, true, {2}, true},    {0, true, {}, true},
    };
    for (const Case& c : cases) {
        std::vector<int> asked;
        const bool ok = saveRequestsInOrder(c.kinds, [&](int kind) {
            asked.push_back(kind);
            return asked.size() == 1 ? c.firstSaves : true;
        });
        EXPECT_EQ(asked, c.asked) << std::hex << c.kinds;
        EXPECT_EQ(ok, c.result) << std::hex << c.kinds;
    }
}

TEST(ContainerViewRules, KeyChangeStepsByAnalysis) {
    struct Case {
        uint32_t flags;
        KResult status;
        std::vector<uint32_t> generations;
        std::vector<std::string> texts;
    } cases[] = {
        {0x20000, 0, {0x20000}, {"ключа ЭП"}},
        {0x10000, 0, {0x10000}, {"ключа связи"}},
        {0x30000, 0, {0x20000, 0x10000}, {"ключа ЭП", "ключа связи"}},
        // Start-up keys: both in one generation.
        {0x30000, kStartupKeysStatus, {0x30000}, {"стартовых ключей"}},
        {0x30100, kStartupKeysStatus, {0x30100}, {"стартовых ключей"}},
        // A start-up signature key alone is changed by itself.
        {0x20000, kStartupKeysStatus, {0x20000}, {"ключа ЭП"}},
        {0x30100, 0, {0x20100, 0x10100}, {"ключа ЭП", "ключа связи"}},
        {0x100, 0, {}, {}},
        {0, 0, {}, {}},
    };
    for (const Case& c : cases) {
        TZrNDefKeysChkInfo info;
        info.flags = c.flags;
        info.status = c.status;
        TKeyChangeStep steps[2];
        const int n = keyChangeSteps(info, steps);
        std::vector<uint32_t> generations;
        std::vector<std::string> texts;
        for (int i = 0; i < n; ++i) generations.push_back(steps[i].generationFlags), texts.push_back(steps[i].kindText);
        EXPECT_EQ(generations, c.generations) << std::hex << c.flags;
        EXPECT_EQ(texts, c.texts) << std::hex << c.flags;
        EXPECT_EQ(keyChangeDue(info), n > 0) << std::hex << c.flags;
    }
}

TEST(ContainerViewRules, SweepOutcome) {
    EXPECT_EQ(sweepOutcome(0, 0), TSweepOutcome::nothingToRemove);
    EXPECT_EQ(sweepOutcome(3, 0), TSweepOutcome::removed);
    // A failed write is never "removed", whatever the count.
    EXPECT_EQ(sweepOutcome(3, 0xC0800026), TSweepOutcome::writeFailed);
    EXPECT_EQ(sweepOutcome(0, 0xC0800026), TSweepOutcome::writeFailed);
    // A warning is no failure.
    EXPECT_EQ(sweepOutcome(2, 0x80800003), TSweepOutcome::removed);
}
