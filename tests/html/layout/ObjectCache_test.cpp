#include "html/layout/ObjectCache.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct Probe : ThtCachable {
    explicit Probe(bool* alive) : alive(alive) { *alive = true; }
    ~Probe() override { *alive = false; }
    bool* alive;
};

}  // namespace

TEST(ObjectCache, AgesAndRemovesOnlyWhatNobodyUses) {
    struct Case {
        const char* name;
        std::function<void(ThtCache&)> steps;  // on a cache holding "A" (in use once, age 0)
        bool survives;
    } cases[] = {
        {"never released, aged far past the limit",
         [](ThtCache& c) {
             for (int i = 0; i < 300; ++i) c.BumpAndCheck();
             c.SetCacheCount(0);
             c.PurgeCache();
         },
         true},
        {"MaxCache 2: two agings kept",
         [](ThtCache& c) {
             c.SetCacheCount(2);
             c.DecUsage("a");
             c.BumpAndCheck();
             c.BumpAndCheck();
         },
         true},
        {"MaxCache 2: the third ageing removes",
         [](ThtCache& c) {
             c.SetCacheCount(2);
             c.DecUsage("A");
             for (int i = 0; i < 3; ++i) c.BumpAndCheck();
         },
         false},
        {"UseObject resets the age of a stale entry",
         [](ThtCache& c) {
             c.SetCacheCount(2);
             c.DecUsage("A");
             c.BumpAndCheck();
             c.BumpAndCheck();
             c.UseObject(c.IndexOf("a"));
             c.DecUsage("A");
             c.BumpAndCheck();
             c.BumpAndCheck();
         },
         true},
        {"SetCacheCount(0) keeps a released entry of age 0",
         [](ThtCache& c) {
             c.DecUsage("A");
             c.SetCacheCount(0);
         },
         true},
        {"SetCacheCount(0) removes a released entry aged once",
         [](ThtCache& c) {
             c.DecUsage("A");
             c.BumpAndCheck();
             c.SetCacheCount(0);
         },
         false},
        {"released more often than taken counts as unused",
         [](ThtCache& c) {
             c.DecUsage("A");
             c.DecUsage("A");
             c.PurgeCache();
         },
         false},
        {"DecUsage of an unknown key does nothing",
         [](ThtCache& c) {
             c.DecUsage("B");
             c.PurgeCache();
         },
         true},
        {"IncUsage after release keeps it",
         [](ThtCache& c) {
             c.DecUsage("A");
             c.IncUsage("A");
             c.PurgeCache();
         },
         true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        bool alive = false;
        ThtCache cache;
        EXPECT_EQ(cache.MaxCache(), 100);
        cache.AddObject("A", std::make_shared<Probe>(&alive));
        k.steps(cache);
        EXPECT_EQ(cache.IndexOf("A") >= 0, k.survives);
        EXPECT_EQ(alive, k.survives);
    }
}

TEST(ObjectCache, KeepsKeysSortedWithoutRegardToCaseAndCountsUsers) {
    ThtCache cache;
    for (const char* k : {"b.gif", "Я.png", "A.gif", "c.gif", "я.PNG"})
        cache.AddObject(k, std::make_shared<ThtCachable>());
    ASSERT_EQ(cache.Count(), 4);
    EXPECT_EQ(cache.Strings(0), "A.gif");
    EXPECT_EQ(cache.Strings(3), "Я.png");
    const int i = cache.IndexOf("B.GIF");
    ASSERT_EQ(i, 1);
    auto hit = cache.UseObject(i);
    EXPECT_EQ(hit->UsageCount, 2);
    EXPECT_EQ(cache.UseObject(99), nullptr);
}

TEST(ObjectCache, ClearAndDestructionOnlyDropTheCachesHold) {
    bool alive = false, other = false;
    std::shared_ptr<ThtCachable> shown;
    {
        ThtCache cache;
        cache.AddObject("pic", std::make_shared<Probe>(&alive));
        cache.AddObject("old", std::make_shared<Probe>(&other));
        shown = cache.UseObject(cache.IndexOf("pic"));
        cache.Clear();
        EXPECT_EQ(cache.Count(), 0);
        EXPECT_FALSE(other);
        EXPECT_TRUE(alive);
        cache.AddObject("again", shown);
    }
    EXPECT_TRUE(alive);
    shown.reset();
    EXPECT_FALSE(alive);
}
