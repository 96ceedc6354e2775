// Calls posted to the user-interface thread: they wait for the event loop,
// run in order, carry what they captured, and are dropped with their
// component.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/framework/Forms.h"
#include "platform/framework/PostedCalls.h"
#include "platform/framework/QtTestApp.h"

namespace {

// Counts its own destruction, to see captured data freed.
struct Tracked {
    explicit Tracked(int& Freed) : freed(Freed) {}
    ~Tracked() { ++freed; }
    int& freed;
};

class PostedCalls : public ::testing::Test {
protected:
    void SetUp() override {
        ensureQtApp();
        target = new TComponent(nullptr);
    }
    void TearDown() override {
        delete target;
        Application->OnException = nullptr;
    }
    TComponent* target = nullptr;
};

TEST_F(PostedCalls, RunLaterInOrder) {
    std::vector<int> ran;
    PostCall(target, [&] { ran.push_back(1); });
    PostCall(target, [&] {
        ran.push_back(2);
        // Posted from a posted call: after the ones already waiting.
        PostCall(target, [&] { ran.push_back(4); });
    });
    PostCall(target, [&] { ran.push_back(3); });
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(PendingPostedCalls(target), 3);
    Application->ProcessMessages();
    Application->ProcessMessages();
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(PendingPostedCalls(target), 0);
}

TEST_F(PostedCalls, DroppedWithTheirComponentAndTheirDataFreed) {
    int freed = 0, ran = 0;
    auto data = std::make_shared<Tracked>(freed);
    PostCall(target, [&ran, data] { ++ran; });
    data.reset();
    delete target;
    target = nullptr;
    EXPECT_EQ(freed, 1);
    Application->ProcessMessages();
    EXPECT_EQ(ran, 0);
}

TEST_F(PostedCalls, AnExceptionReachesTheApplication) {
    std::vector<std::string> seen;
    Application->OnException = [&](TObject* Sender, const std::exception& e) {
        EXPECT_EQ(Sender, target);
        seen.push_back(e.what());
    };
    bool next = false;
    PostCall(target, [] { throw std::runtime_error("failed"); });
    PostCall(target, [&] { next = true; });
    Application->ProcessMessages();
    EXPECT_EQ(seen, (std::vector<std::string>{"failed"}));
    EXPECT_TRUE(next);
}

}  // namespace
