// The viewer's history: moves recorded as pages and places change, moves
// back and forward through it with the page's form values travelling along,
// its maximum, and a failed move.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "html/layout/FormBase.h"
#include "html/viewer/SiteFixture.h"

namespace viewertest {
namespace {

using ViewerHistory = SiteTest;

// A form of one value, standing in for a page's forms: its submission is
// "v=<value>", and saved values come back into it.
class OneValueForm : public ThtmlFormBase {
public:
    using ThtmlFormBase::ThtmlFormBase;
    std::unique_ptr<TStringList> GetFormSubmission() override {
        auto list = std::make_unique<TStringList>();
        list->Add("v=" + Value);
        return list;
    }
    void SetFormData(const TStringList& SL) override {
        Value = SL.Strings(0).substr(2);
        ++Restored;
    }
    std::string Value = "as loaded";
    int Restored = 0;
};

// Every page the viewer builds gets one such form.
OneValueForm* formOf(THtmlViewer* v) {
    return v->SectionList()->htmlFormList.empty()
               ? nullptr
               : static_cast<OneValueForm*>(v->SectionList()->htmlFormList.front().get());
}
void giveEachPageAForm(THtmlViewer* v) {
    v->SetOnParseEnd([v](TObject*) { v->SectionList()->AddForm(std::make_unique<OneValueForm>(v->SectionList())); });
}

std::vector<std::u16string> urls(THtmlViewer* v) {
    std::vector<std::u16string> out;
    for (int i = 0; i < v->History()->Count(); ++i) out.push_back(v->History()->GetItem(i)->Url);
    return out;
}

TEST_F(ViewerHistory, BackAndForwardMoveTheIndexAndLoadTheEntry) {
    THtmlViewer* v = makeRealViewer();
    v->SetHistoryMaxCount(10);
    int changes = 0;
    v->SetOnHistoryChange([&](TObject*) { ++changes; });
    for (const char* page : {"a.htm", "b.htm", "c.htm"}) v->LoadFromFile(path(page));
    EXPECT_EQ(urls(v), (std::vector<std::u16string>{path("c.htm"), path("b.htm"), path("a.htm")}));
    EXPECT_EQ(changes, 3);

    v->HistoryBack();
    EXPECT_EQ(v->HistoryIndex(), 1);
    EXPECT_EQ(v->CurrentFile(), path("b.htm"));
    EXPECT_EQ(v->DocumentTitle(), u"B");
    v->HistoryBack();
    v->HistoryBack();  // the oldest already
    EXPECT_EQ(v->HistoryIndex(), 2);
    EXPECT_EQ(v->CurrentFile(), path("a.htm"));
    v->HistoryForward();
    EXPECT_EQ(v->HistoryIndex(), 1);
    EXPECT_EQ(v->CurrentFile(), path("b.htm"));
    EXPECT_EQ(changes, 6);

    // A new page from the middle drops the forward entries.
    v->LoadFromFile(path("d.htm"));
    EXPECT_EQ(urls(v), (std::vector<std::u16string>{path("d.htm"), path("b.htm"), path("a.htm")}));
    EXPECT_EQ(v->HistoryIndex(), 0);
    v->HistoryForward();  // the newest already
    EXPECT_EQ(v->CurrentFile(), path("d.htm"));
}

TEST_F(ViewerHistory, PlacesInOnePageAreEntriesAndComeBack) {
    THtmlViewer* v = makeRealViewer();
    v->SetHistoryMaxCount(10);
    v->LoadFromFile(path("a.htm"));
    int parses = 0;
    v->SetOnParseBegin([&](TObject*, std::unique_ptr<TBuffer>&) { ++parses; });
    v->UrlAction(u"#far");
    const int far = v->VScrollBarPosition();
    ASSERT_GT(far, 0);
    ASSERT_EQ(v->History()->Count(), 2);
    v->HistoryBack();
    EXPECT_EQ(v->VScrollBarPosition(), 0);
    v->HistoryForward();
    EXPECT_EQ(v->VScrollBarPosition(), far);
    EXPECT_EQ(parses, 0);  // the same page is not loaded again
}

TEST_F(ViewerHistory, MaximumAndClearing) {
    THtmlViewer* v = makeRealViewer();
    v->SetHistoryMaxCount(2);
    for (const char* page : {"a.htm", "b.htm", "c.htm"}) v->LoadFromFile(path(page));
    EXPECT_EQ(urls(v), (std::vector<std::u16string>{path("c.htm"), path("b.htm")}));
    int changes = 0;
    v->SetOnHistoryChange([&](TObject*) { ++changes; });
    v->ClearHistory();
    EXPECT_EQ(v->History()->Count(), 0);
    EXPECT_EQ(changes, 1);
    // The same file again now counts as a new document.
    v->LoadFromFile(path("c.htm"));
    EXPECT_EQ(urls(v), (std::vector<std::u16string>{path("c.htm")}));
    EXPECT_EQ(changes, 2);
    v->ClearHistory();
    v->ClearHistory();  // already empty: no event
    EXPECT_EQ(changes, 3);

    // Without a history nothing is recorded, and form values handed over are freed.
    v->SetHistoryMaxCount(0);
    v->LoadFromFile(path("a.htm"));
    auto data = std::make_unique<ThvFormData>();
    data->push_back(std::make_unique<TStringList>());
    v->BumpHistory(path("b.htm"), u"B", {}, std::move(data), HTMLType);
    EXPECT_EQ(v->History()->Count(), 0);
}

TEST_F(ViewerHistory, FormValuesTravelWithTheHistoryAndComeBackOnce) {
    THtmlViewer* v = makeRealViewer();
    v->SetHistoryMaxCount(10);
    giveEachPageAForm(v);
    v->LoadFromFile(path("a.htm"));
    formOf(v)->Value = "typed on a";
    v->LoadFromFile(path("b.htm"));
    // Leaving a.htm kept its values on its entry.
    ASSERT_TRUE(v->History()->GetItem(1)->FormData);
    formOf(v)->Value = "typed on b";

    v->HistoryBack();
    ASSERT_EQ(v->CurrentFile(), path("a.htm"));
    EXPECT_EQ(formOf(v)->Value, "typed on a");
    EXPECT_EQ(formOf(v)->Restored, 1);
    EXPECT_FALSE(v->History()->GetItem(1)->FormData);  // given back once
    ASSERT_TRUE(v->History()->GetItem(0)->FormData);   // b's values wait on b's entry

    v->HistoryForward();
    EXPECT_EQ(formOf(v)->Value, "typed on b");
    EXPECT_FALSE(v->History()->GetItem(0)->FormData);
}

TEST_F(ViewerHistory, AFailedMoveLeavesIndexAndPage) {
    THtmlViewer* v = makeRealViewer();
    v->SetHistoryMaxCount(10);
    for (const char* page : {"a.htm", "b.htm", "c.htm"}) v->LoadFromFile(path(page));
    std::filesystem::remove(dir.file("b.htm"));
    int changes = 0;
    v->SetOnHistoryChange([&](TObject*) { ++changes; });
    EXPECT_THROW(v->HistoryBack(), EhtLoadError);
    EXPECT_EQ(v->HistoryIndex(), 0);
    EXPECT_EQ(v->CurrentFile(), path("c.htm"));
    EXPECT_EQ(v->DocumentTitle(), u"C");
    EXPECT_EQ(changes, 0);
    // The entry beyond it is still reachable.
    v->SetHistoryIndex(2);
    EXPECT_EQ(v->CurrentFile(), path("a.htm"));
}

TEST_F(ViewerHistory, TheApplicationMayLoadAnEntryItself) {
    THtmlViewer* v = makeRealViewer();
    v->SetHistoryMaxCount(10);
    for (const char* page : {"a.htm", "b.htm"}) v->LoadFromFile(path(page));
    std::u16string offered;
    v->OnLoadHistoryItem = [&](TObject* Sender, THistoryItem* Item, bool& Handled) {
        EXPECT_EQ(Sender, v);
        offered = Item->Url;
        Handled = true;
    };
    v->HistoryBack();
    EXPECT_EQ(offered, path("a.htm"));
    EXPECT_EQ(v->HistoryIndex(), 1);
    EXPECT_EQ(v->CurrentFile(), path("b.htm"));  // not loaded by the viewer
}

}  // namespace
}  // namespace viewertest
