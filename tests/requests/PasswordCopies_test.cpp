// The owner-parameter dialog keeps the typed password in wiped memory only:
// while it updates its accept button and validates, no copy of the password
// is freed without being overwritten first. This program's allocator looks
// at every block freed while a case watches it.
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "locations/LocationTestSupport.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/framework/QtTestApp.h"
#include "platform/x509api/ZrX509Csp.h"
#include "requests/DefaultProfiles.h"
#include "requests/EditUserParmsForm.h"
#include "requests/RequestParamMaker.h"

namespace {

std::atomic<bool> g_watching{false};
std::atomic<int> g_copies{0};
char g_needle[64];
size_t g_needleLength = 0;

void noteFreed(void* p) {
    if (!p || !g_watching.load(std::memory_order_relaxed)) return;
    const size_t size = malloc_usable_size(p);
    if (size >= g_needleLength && memmem(p, size, g_needle, g_needleLength)) ++g_copies;
}

}  // namespace

// Plain malloc and free underneath every form, so that the sanitizers pair
// them too.
void* operator new(size_t n) {
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t n) { return operator new(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void operator delete(void* p) noexcept {
    noteFreed(p);
    std::free(p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { operator delete(p); }

namespace {

using zrxtest::ScriptedWindows;

// Counts the copies of a password freed unwiped while it lives.
class CopyWatch {
public:
    explicit CopyWatch(const std::string& password) {
        std::memcpy(g_needle, password.data(), password.size());
        g_needleLength = password.size();
        g_copies = 0;
        g_watching = true;
    }
    ~CopyWatch() { g_watching = false; }
    int copies() const { return g_copies.load(); }
};

TEST(OwnerDialogPassword, NoUnwipedCopyOnIdleTicksOrValidation) {
    ensureQtApp();
    registerCFGMacro("APPLDATA", (std::string(ZRX_SOURCE_DIR) + "/app/data").c_str());
    ScriptedWindows windows;  // the validation's refusals answer themselves
    zrxtest::DefaultProfiles profiles;
    TZrX509Csp csp;
    csp.prepareUpdate();
    TCRequestParamMaker maker(profiles.byId(1), &csp);
    ASSERT_EQ(0u, maker.initCryptoPars(profiles.byId(1)));
    maker.flags().set(kRpmAskPassword);
    maker.nameList().addAttribute("CN", "", false);
    auto* f = CreateComponent<TEditUserParmsForm>(Application);
    ASSERT_TRUE(f->initFromMaker(&maker));
    // Long enough that no string keeps it inside itself.
    const std::string password = "  Секретний-пароль-для-перевірки  ";
    f->PasswordEdit->SetText(password);
    f->PasswordConfirm->SetText(password);
    const std::string core = password.substr(2, password.size() - 4);
    {
        CopyWatch watch(core);
        for (int tick = 0; tick < 3; ++tick) f->act1Update(f->act1);
        EXPECT_TRUE(f->act1->Enabled());
        EXPECT_FALSE(f->validate());  // refused further on: the owner's name is empty
        EXPECT_EQ(0, watch.copies());
    }
    f->Free();
    registerCFGMacro("APPLDATA", "");
    zrxtest::forgetStoredState({"ZrXForms", "ZI509", "ZrXCreator", "X509Editors"});
}

}  // namespace
