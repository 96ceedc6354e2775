// Following links: the order of the link action, in-page jumps, local
// files loaded by their type, the visited list, actions and form
// submissions delivered later, and the page's META refresh.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "html/layout/FontRuns.h"
#include "html/viewer/SiteFixture.h"
#include "platform/framework/Forms.h"

namespace viewertest {
namespace {

using ViewerLinks = SiteTest;

std::string u8(const std::u16string& s) { return std::string(wc2ch(s.data(), int(s.size())).str()); }

TEST_F(ViewerLinks, UrlActionRoutesByAddress) {
    struct Case {
        const char* what;
        std::u16string url;
        std::string wantFile;  // in the site's folder
        THtmlFileType wantType;
        int wantParses;   // loads after the first page
        int wantHistory;  // entries afterwards
        bool wantScrolled;
        bool handledByEvent;
    };
    const Case cases[] = {
        {"a place in the page", u"#far", "a.htm", HTMLType, 0, 2, true, false},
        {"a place that is not there", u"#nowhere", "a.htm", HTMLType, 0, 1, false, false},
        {"the same page with a place", u"a.htm#far", "a.htm", HTMLType, 0, 2, true, false},
        {"the same page again", u"a.htm", "a.htm", HTMLType, 0, 1, false, false},
        {"another page", u"b.htm", "b.htm", HTMLType, 1, 2, false, false},
        {"a text file", u"t.txt", "t.txt", TextType, 1, 2, false, false},
        {"a picture", u"p.png", "p.png", HTMLType, 1, 2, false, false},
        {"a web address", u"http://example.com/x.htm", "a.htm", HTMLType, 0, 1, false, false},
        {"an address the application takes", u"b.htm", "a.htm", HTMLType, 0, 1, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        THtmlViewer* v = makeRealViewer();
        v->SetHistoryMaxCount(10);
        v->LoadFromFile(path("a.htm"));
        int parses = 0;
        v->SetOnParseBegin([&](TObject*, std::unique_ptr<TBuffer>&) { ++parses; });
        std::u16string offered;
        v->OnHotSpotClick = [&](TObject* Sender, const std::u16string& SRC, bool& Handled) {
            EXPECT_EQ(Sender, v);
            offered = SRC;
            Handled = c.handledByEvent;
        };
        v->UrlAction(c.url);
        EXPECT_EQ(offered, c.url);
        EXPECT_EQ(u8(v->CurrentFile()), dir.file(c.wantFile));
        EXPECT_EQ(v->CurrentFileType(), c.wantType);
        EXPECT_EQ(parses, c.wantParses);
        EXPECT_EQ(v->History()->Count(), c.wantHistory);
        EXPECT_EQ(v->VScrollBarPosition() > 0, c.wantScrolled);
        v->Free();
    }
}

TEST_F(ViewerLinks, AnotherPageIsVisitedAndMarkedOnTheWayBack) {
    THtmlViewer* v = makeRealViewer();
    v->LoadFromFile(path("a.htm"));
    v->UrlAction(u"b.htm");
    ASSERT_FALSE(v->Visited().empty());
    EXPECT_EQ(u8(v->Visited().front()), dir.file("b.htm"));
    // b.htm's link back to a.htm: a was loaded directly, so it is not in the list.
    ASSERT_EQ(v->LinkList()->Count(), 1);
    EXPECT_FALSE(v->LinkList()->Items(0)->Visited());
    v->UrlAction(u"a.htm");
    // On a.htm the link to b.htm is marked when the page is built; "#far" is not.
    ASSERT_EQ(v->LinkList()->Count(), 2);
    EXPECT_TRUE(v->LinkList()->Items(0)->Visited());
    EXPECT_FALSE(v->LinkList()->Items(1)->Visited());
    // Adding an address marks the links to it at once.
    v->AddVisitedLink(v->CurrentFile() + u"#far");
    EXPECT_TRUE(v->LinkList()->Items(1)->Visited());
}

TEST_F(ViewerLinks, VisitedAddressesCompareExactly) {
    THtmlViewer* v = makeRealViewer();
    std::u16string upper = path("b.htm");
    upper.replace(upper.size() - 5, 5, u"B.HTM");
    v->AddVisitedLink(upper);
    v->LoadFromFile(path("a.htm"));
    EXPECT_FALSE(v->LinkList()->Items(0)->Visited());
    v->AddVisitedLink(path("b.htm"));
    EXPECT_TRUE(v->LinkList()->Items(0)->Visited());
}

TEST_F(ViewerLinks, VisitedListKeepsTheNewestFirstUpToItsMaximum) {
    THtmlViewer* v = makeRealViewer();
    v->SetVisitedMaxCount(3);
    for (const char16_t* page : {u"/p1", u"/p2", u"/p3", u"/p4"}) v->AddVisitedLink(page);
    EXPECT_EQ(v->Visited(), (std::vector<std::u16string>{u"/p4", u"/p3", u"/p2"}));
    v->AddVisitedLink(u"/p2");  // visited again: the newest
    EXPECT_EQ(v->Visited(), (std::vector<std::u16string>{u"/p2", u"/p4", u"/p3"}));
    v->AddVisitedLink(u"/p2");
    EXPECT_EQ(v->Visited().size(), 3u);
}

TEST_F(ViewerLinks, AMissingFileRaisesAndLeavesThePage) {
    THtmlViewer* v = makeRealViewer();
    v->SetHistoryMaxCount(10);
    v->LoadFromFile(path("a.htm"));
    EXPECT_THROW(v->UrlAction(u"missing.htm"), EhtLoadError);
    EXPECT_EQ(v->CurrentFile(), path("a.htm"));
    EXPECT_EQ(v->DocumentTitle(), u"A");
    EXPECT_EQ(v->History()->Count(), 1);
    EXPECT_TRUE(v->Visited().empty());
}

TEST_F(ViewerLinks, PostedActionsRunLaterWithTheirOwnAddresses) {
    THtmlViewer* v = makeRealViewer();
    v->SetHistoryMaxCount(10);
    v->LoadFromFile(path("a.htm"));
    v->TriggerUrlAction(u"b.htm");
    v->TriggerUrlAction(u"c.htm");
    EXPECT_EQ(v->CurrentFile(), path("a.htm"));
    Application->ProcessMessages();
    EXPECT_EQ(v->CurrentFile(), path("c.htm"));
    ASSERT_EQ(v->History()->Count(), 3);
    EXPECT_EQ(v->History()->GetItem(1)->Url, path("b.htm"));
    // A viewer that goes first takes its waiting actions with it.
    v->TriggerUrlAction(u"d.htm");
    v->Free();
    Application->ProcessMessages();
}

TEST_F(ViewerLinks, FormSubmissionsArriveLaterEachWithItsOwnValues) {
    THtmlViewer* v = makeRealViewer();
    std::vector<std::string> got;
    v->SetOnFormSubmit([&](TObject* Sender, const std::u16string& Action, const std::u16string& Target,
                           const std::u16string& EncType, const std::u16string& Method,
                           std::unique_ptr<TStringList> Results) {
        EXPECT_EQ(Sender, v);
        ASSERT_TRUE(Results);
        got.push_back(u8(Action) + " " + u8(Target) + " " + u8(EncType) + " " + u8(Method) + " " +
                      (Results->Count() == 1 ? Results->Strings(0) : "?"));
    });
    auto results = [](const char* line) {
        auto list = std::make_unique<TStringList>();
        list->Add(line);
        return list;
    };
    // What the document does when a form is submitted, twice before either is handled.
    v->SectionList()->SubmitForm(v, u"/first", u"_self", u"", u"get", results("a=1"));
    v->SectionList()->SubmitForm(v, u"/second", u"", u"text/plain", u"post", results("b=2"));
    EXPECT_TRUE(got.empty());
    Application->ProcessMessages();
    EXPECT_EQ(got, (std::vector<std::string>{"/first _self  get a=1", "/second  text/plain post b=2"}));

    // Without a handler by then, the values are dropped.
    v->SectionList()->SubmitForm(v, u"/third", u"", u"", u"get", results("c=3"));
    v->SetOnFormSubmit(nullptr);
    EXPECT_FALSE(v->SectionList()->SubmitForm);
    Application->ProcessMessages();
    EXPECT_EQ(got.size(), 2u);
}

TEST_F(ViewerLinks, RefreshElementOfAPageRaisesTheEventAfterTheLoad) {
    THtmlViewer* v = makeRealViewer();
    std::vector<std::string> seen;
    v->SetOnMeta([&](TObject*, const std::u16string& HttpEq, const std::u16string& Name,
                     const std::u16string& Content) { seen.push_back(u8(HttpEq + u"|" + Name + u"|" + Content)); });
    v->OnMetaRefresh = [&](TObject*, int32_t Delay, const std::u16string& URL) {
        EXPECT_FALSE(v->IsProcessing());
        seen.push_back("refresh " + std::to_string(Delay) + " " + u8(URL));
    };
    v->LoadFromString(
        u"<head><meta name=\"author\" content=\"me\"><meta http-equiv=\"Refresh\" content=\"0; URL=next.htm\">"
        u"</head><p>x");
    EXPECT_EQ(seen, (std::vector<std::string>{"|author|me", "Refresh||0; URL=next.htm", "refresh 1 next.htm"}));
}

}  // namespace
}  // namespace viewertest
