#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/runtime/TCCollection.h"
#include "platform/runtime/TCFlags.h"
#include "platform/runtime/TCMutex.h"

namespace {
int g_alive = 0;
struct Item {
    Item() { ++g_alive; }
    explicit Item(const char* n) : name(n) { ++g_alive; }
    ~Item() { --g_alive; }
    const char* name = "";
};

class NamedItems : public TCSortedCollection<Item> {
protected:
    const void* keyOf(const Item* i) const override { return i->name; }
    int compare(const void* a, const void* b) const override {
        return strcasecmp(static_cast<const char*>(a), static_cast<const char*>(b));
    }
};

// A collection that counts its hooks.
class Tracked : public TCCollection<Item> {
public:
    ~Tracked() override { shutDown(); }
    int freed = 0;

protected:
    void freeItem(void* p) override {
        ++freed;
        TCCollection<Item>::freeItem(p);
    }
};
}  // namespace

TEST(Collections, OwningCollectionFreesItems) {
    g_alive = 0;
    {
        TCCollection<Item> c(8, 8);
        c.add(new Item("a"));
        Item* b = c.addNew();
        ASSERT_NE(b, nullptr);
        c.add(new Item("c"));
        EXPECT_EQ(c.count(), 3);
        EXPECT_EQ(c.indexOf(b), 1);
        c.free(b);
        EXPECT_EQ(g_alive, 2);
        Item* a = c.at(0);
        c.remove(a);  // detached, not freed
        EXPECT_EQ(g_alive, 2);
        delete a;
        EXPECT_EQ(c.at(5), nullptr);
    }
    EXPECT_EQ(g_alive, 0);
    {
        Tracked t;
        t.add(new Item);
        t.add(new Item);
        t.atFree(0);
        EXPECT_EQ(t.freed, 1);
    }
    EXPECT_EQ(g_alive, 0);
}

TEST(Collections, SortedCollectionOrdersAndFinds) {
    g_alive = 0;
    {
        NamedItems n;
        for (const char* s : {"UserExPars", "alpha", "Zeta", "beta"}) n.add(new Item(s));
        ASSERT_EQ(n.count(), 4);
        EXPECT_STREQ(n.at(0)->name, "alpha");
        EXPECT_STREQ(n.at(3)->name, "Zeta");
        ASSERT_NE(n.find("userexpars"), nullptr);
        EXPECT_EQ(n.find("gamma"), nullptr);
        n.add(new Item("ALPHA"));  // an equal key is not added twice
        EXPECT_EQ(n.count(), 4);
        EXPECT_EQ(g_alive, 4);
        n.put(new Item("ZETA"));  // replaces the equal one
        EXPECT_EQ(n.count(), 4);
        EXPECT_STREQ(n.at(3)->name, "ZETA");
        EXPECT_EQ(g_alive, 4);
    }
    EXPECT_EQ(g_alive, 0);
}

TEST(Collections, Flags) {
    TCFlags<unsigned int> f;
    static_assert(sizeof(f) == 4);
    EXPECT_EQ(f.value(), 0u);
    f.set(0x20000 | 0x10000);
    EXPECT_TRUE(f.isSet(0x30000));
    f.set(0x10000, false);
    EXPECT_FALSE(f.isSet(0x30000));
    EXPECT_TRUE(f.isSet(0x20000));
    f.clear(0x20000);
    EXPECT_EQ(f.value(), 0u);
    f = 0xFFFFFFFFu;
    EXPECT_TRUE(f.isSet(0x80000001u));
    f.clear();
    EXPECT_EQ(f.value(), 0u);
}

TEST(Collections, MutexTimesOut) {
    TCMutex m;
    ASSERT_TRUE(m.lock(10));
    EXPECT_TRUE(m.lock(0));  // recursive for the owner
    m.unlock();
    bool got = true;
    std::thread t([&] { got = m.lock(50); });
    t.join();
    EXPECT_FALSE(got);
    m.unlock();
    std::thread t2([&] {
        got = m.lock(50);
        if (got) m.unlock();
    });
    t2.join();
    EXPECT_TRUE(got);
}
