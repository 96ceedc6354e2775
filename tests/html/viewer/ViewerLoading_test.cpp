// Loading documents into the viewer: the load sequence and its events, the
// entry points, files and pictures, the place shown afterwards, and what a
// failed load leaves.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "html/text/Buffer.h"
#include "html/viewer/ViewerFixture.h"
#include "platform/framework/Streams.h"
#include "platform/runtime/Utf16.h"
#include "support/TempDir.h"

namespace viewertest {
namespace {

using ViewerLoading = ViewerTest;

std::u16string u16(const std::string& s) { return zrx_utf8::toUtf16(s); }

TEST_F(ViewerLoading, EventsOfALoadInOrder) {
    TestViewer* v = makeViewer();
    std::vector<std::string> events;
    v->SetOnProcessing([&](TObject* s, bool on) {
        EXPECT_EQ(s, v);
        events.push_back(on ? "processing on" : "processing off");
    });
    v->SetOnProgress([&](TObject*, TProgressStage stage, int percent) {
        events.push_back(stage == psStarting ? "progress start " + std::to_string(percent)
                         : stage == psEnding ? "progress end " + std::to_string(percent)
                                             : "progress");
    });
    v->SetOnSoundRequest([&](TObject*, const std::u16string& src, int32_t loop, bool terminate) {
        EXPECT_TRUE(src.empty());
        EXPECT_EQ(loop, 1);
        EXPECT_TRUE(terminate);
        events.push_back("sound stopped");
    });
    v->SetOnParseBegin([&](TObject*, std::unique_ptr<TBuffer>& source) {
        ASSERT_TRUE(source);
        EXPECT_TRUE(v->IsProcessing());
        EXPECT_TRUE(v->ViewerState() & vsSet(vsDontDraw));
        events.push_back("parse begin");
        // What the parser does for <meta http-equiv="refresh" content="5; URL=next.htm">.
        v->HtmlMeta(v, u"Refresh", u"", u"5; URL=next.htm");
    });
    v->SetOnParseEnd([&](TObject*) { events.push_back("parse end"); });
    v->SetOnMeta([&](TObject*, const std::u16string& httpEq, const std::u16string&, const std::u16string&) {
        events.push_back("meta " + std::string(httpEq.begin(), httpEq.end()));
    });
    v->OnMetaRefresh = [&](TObject*, int32_t delay, const std::u16string& url) {
        EXPECT_FALSE(v->IsProcessing());
        events.push_back("refresh " + std::to_string(delay) + " " + std::string(url.begin(), url.end()));
    };
    v->LoadFromString(u"<p>text", u"page.htm");
    // The parse itself reports its progress once for so short a page.
    const std::vector<std::string> want = {"processing on",  "progress start 0",  "sound stopped", "parse begin",
                                           "meta Refresh",   "progress",          "parse end",     "progress end 100",
                                           "processing off", "refresh 5 next.htm"};
    EXPECT_EQ(events, want);
    EXPECT_FALSE(v->IsProcessing());
    EXPECT_FALSE(v->ViewerState() & vsSet(vsDontDraw));
    EXPECT_EQ(v->CurrentFile(), u"page.htm");
    EXPECT_EQ(v->CurrentFileType(), HTMLType);
    EXPECT_EQ(v->DocumentSource(), u"<p>text");
    EXPECT_EQ(v->DocumentCodePage(), 1200);

    // A failed load raises no refresh, and everything it started is undone.
    events.clear();
    v->SetOnParseEnd([&](TObject*) { throw EhtException("layout failed"); });
    EXPECT_THROW(v->LoadFromString(u"<p>again", u"page.htm"), EhtException);
    EXPECT_EQ(events.back(), "processing off");
    EXPECT_EQ(std::count(events.begin(), events.end(), "progress end 100"), 1);
    EXPECT_FALSE(v->IsProcessing());
    EXPECT_FALSE(v->ViewerState() & vsSet(vsDontDraw));
    // The viewer takes the next load.
    v->SetOnParseEnd(nullptr);
    v->SetOnParseBegin(nullptr);
    v->LoadFromString(u"<p>third", u"page.htm");
    EXPECT_EQ(v->DocumentSource(), u"<p>third");
}

TEST_F(ViewerLoading, RefreshRequestsByTheirContent) {
    TestViewer* v = makeViewer();
    const struct {
        const char16_t* httpEq;
        const char16_t* content;
        int32_t delay;  // -1: no event
        const char16_t* url;
    } cases[] = {
        {u"refresh", u"5; URL=next.htm", 5, u"next.htm"},
        {u"REFRESH", u"7;url=Other.htm", 7, u"Other.htm"},
        {u"refresh", u"0", 1, u""},
        {u"refresh", u" 3 ", 3, u""},
        {u"refresh", u"soon; url=x.htm", -1, u""},
        {u"refresh", u"", -1, u""},
        {u"refresh", u"-2", -1, u""},
        {u"expires", u"5", -1, u""},
    };
    for (const auto& c : cases) {
        int32_t delay = -1;
        std::u16string url;
        v->OnMetaRefresh = [&](TObject*, int32_t d, const std::u16string& u) {
            delay = d;
            url = u;
        };
        v->SetOnParseBegin([&](TObject*, std::unique_ptr<TBuffer>&) { v->HtmlMeta(v, c.httpEq, u"", c.content); });
        v->LoadFromString(u"x");
        EXPECT_EQ(delay, c.delay) << std::string(c.content, c.content + std::char_traits<char16_t>::length(c.content));
        EXPECT_EQ(url, c.url);
    }
}

TEST_F(ViewerLoading, LoadsStartedDuringALoadAreIgnored) {
    TestViewer* v = makeViewer();
    int nested = 0;
    v->SetOnParseEnd([&](TObject*) {
        ++nested;
        v->LoadFromString(u"inner", u"inner.htm");
        v->LoadFromDocument(std::make_unique<TBuffer>(u"inner", u"", 1200), u"inner.htm");
        v->LoadTextFromString(u"inner");
        v->Clear();
        v->Relayout();
    });
    v->LoadFromString(u"outer", u"outer.htm");
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(v->CurrentFile(), u"outer.htm");
    EXPECT_EQ(v->DocumentSource(), u"outer");
}

TEST_F(ViewerLoading, ParseBeginMayReplaceTheSource) {
    TestViewer* v = makeViewer();
    v->SetOnParseBegin(
        [](TObject*, std::unique_ptr<TBuffer>& source) { source = std::make_unique<TBuffer>(u"replaced", u"", 1200); });
    v->LoadFromString(u"original");
    EXPECT_EQ(v->DocumentSource(), u"replaced");
    // A handler that takes the source away fails the load cleanly.
    v->SetOnParseBegin([](TObject*, std::unique_ptr<TBuffer>& source) { source.reset(); });
    EXPECT_THROW(v->LoadFromString(u"gone"), EhtException);
    EXPECT_FALSE(v->IsProcessing());
    EXPECT_TRUE(v->DocumentSource().empty());
}

TEST_F(ViewerLoading, RefusedDocumentTypesAndMissingBuffers) {
    TestViewer* v = makeViewer();
    v->LoadFromString(u"kept", u"kept.htm");
    EXPECT_THROW(v->LoadFromDocument(std::make_unique<TBuffer>(u"x", u"", 1200), u"", ImgType), EhtException);
    EXPECT_THROW(v->LoadFromString(u"x", u"", ImgType), EhtException);
    EXPECT_THROW(v->LoadFromDocument(nullptr, u"x.htm"), EhtException);
    EXPECT_FALSE(v->IsProcessing());
    EXPECT_EQ(v->CurrentFile(), u"kept.htm");
    EXPECT_EQ(v->DocumentSource(), u"kept");
}

TEST_F(ViewerLoading, TheLoadCursorIsAlwaysPutBack) {
    TestViewer* v = makeViewer();
    TCursor during = crDefault;
    v->SetOnParseEnd([&](TObject*) { during = Screen->Cursor(); });
    Screen->SetCursor(crCross);
    v->LoadFromString(u"x");
    EXPECT_EQ(during, crHourGlass);
    EXPECT_EQ(Screen->Cursor(), crCross);

    // crDefault leaves the screen's cursor alone; crNone hides it for the load only.
    v->SetLoadCursor(crDefault);
    v->LoadFromString(u"x");
    EXPECT_EQ(during, crCross);
    EXPECT_EQ(Screen->Cursor(), crCross);
    v->SetLoadCursor(crNone);
    v->LoadFromString(u"x");
    EXPECT_EQ(during, crNone);
    EXPECT_EQ(Screen->Cursor(), crCross);

    // Also when the load fails.
    v->SetLoadCursor(crHourGlass);
    v->SetOnParseEnd([&](TObject*) { throw EhtException("no"); });
    EXPECT_THROW(v->LoadFromString(u"x"), EhtException);
    EXPECT_EQ(Screen->Cursor(), crCross);
}

TEST_F(ViewerLoading, SameReferenceKeepsThePlaceAndAnotherStartsAtTheTop) {
    TestViewer* v = makeViewer(300, 200);
    v->Doc().Height = [](int32_t) { return 2000; };
    v->LoadFromString(u"page", u"page.htm");
    ASSERT_EQ(v->MaxVertical(), 2000);
    v->ScrollTo(500);
    v->LoadFromString(u"page", u"page.htm");
    EXPECT_EQ(v->VScrollBarPosition(), 500);
    EXPECT_EQ(v->SectionList()->YOff, 500);
    v->LoadFromString(u"page", u"other.htm");
    EXPECT_EQ(v->VScrollBarPosition(), 0);
    v->ScrollTo(500);
    // A string without a name is a new document every time.
    v->LoadFromString(u"page");
    EXPECT_EQ(v->VScrollBarPosition(), 0);
    // The same document, now shorter: the place is kept within it.
    v->LoadFromString(u"page", u"page.htm");
    v->ScrollTo(1700);
    v->Doc().Height = [](int32_t) { return 1000; };
    v->LoadFromString(u"page", u"page.htm");
    EXPECT_EQ(v->VScrollBarPosition(), 1000 - 200);
    EXPECT_EQ(v->SectionList()->YOff, 1000 - 200);
}

TEST_F(ViewerLoading, DestinationIsFoundInAnyLetterCase) {
    TestViewer* v = makeViewer(300, 200);
    v->Doc().Area = 300 * 100;
    v->SetOnParseEnd([&](TObject*) { v->NameList()->AddObject(u"Chapter", new FixedId(u"Chapter", 700)); });
    v->LoadFromString(u"page", u"doc.htm#CHAPTER");
    EXPECT_EQ(v->CurrentFile(), u"doc.htm");
    EXPECT_EQ(v->VScrollBarPosition(), 700);
    v->ScrollTo(0);
    EXPECT_TRUE(v->PositionTo(u"#chapter"));
    EXPECT_EQ(v->VScrollBarPosition(), 700);
    EXPECT_FALSE(v->PositionTo(u"missing"));
    EXPECT_FALSE(v->PositionTo(u""));
    EXPECT_FALSE(v->PositionTo(u"#"));
    EXPECT_EQ(v->Visited().front(), u"doc.htm#chapter");
    // A destination that is not there shows a new document from the top.
    v->ScrollTo(300);
    v->LoadFromString(u"page", u"next.htm#nowhere");
    EXPECT_EQ(v->CurrentFile(), u"next.htm");
    EXPECT_EQ(v->VScrollBarPosition(), 0);
}

TEST_F(ViewerLoading, PositionsBeyondSixteenBitsRoundTrip) {
    TestViewer* v = makeViewer(300, 200);
    v->Doc().Height = [](int32_t) { return 200000; };
    v->LoadFromString(u"tall");
    ASSERT_EQ(v->MaxVertical(), 200000);
    v->ScrollTo(100000);
    const ThvPosition pos = v->Position();
    EXPECT_EQ(pos, (ThvPosition{0, 100000}));
    v->ScrollTo(0);
    v->SetPosition(pos);
    EXPECT_EQ(v->VScrollBarPosition(), 100000);
    EXPECT_EQ(v->SectionList()->YOff, 100000);

    // A place inside a section of the position list follows the section.
    std::vector<std::unique_ptr<FixedSection>> sections;
    sections.push_back(std::make_unique<FixedSection>(v->SectionList(), 70000));
    v->SectionList()->AddSectionToPositionList(sections.back().get());
    v->SetPosition({1, 5000});
    EXPECT_EQ(v->VScrollBarPosition(), 75000);
    v->SetPosition({2, 0});  // no such section: nothing moves
    EXPECT_EQ(v->VScrollBarPosition(), 75000);
    v->SetPosition({0, 250000});  // beyond the end: the last place
    EXPECT_EQ(v->VScrollBarPosition(), 200000 - 200);
    v->SectionList()->PositionList->Clear();
}

TEST_F(ViewerLoading, FilesLoadWithTheirAbsoluteNameAndHistory) {
    zrxtest::TempDir dir;
    const std::string a = dir.str() + "/a.htm", b = dir.str() + "/b.htm";
    std::ofstream(a) << "<p>Перший";
    std::ofstream(b) << "\xEF\xBB\xBF<p>Другий";
    TestViewer* v = makeViewer();
    v->SetHistoryMaxCount(5);
    int changes = 0;
    v->SetOnHistoryChange([&](TObject*) { ++changes; });
    v->LoadFromFile(u16(a));
    EXPECT_EQ(v->CurrentFile(), u16(a));
    EXPECT_EQ(v->DocumentSource(), u"<p>Перший");
    v->Load(u16(b) + u"#top");
    EXPECT_EQ(v->CurrentFile(), u16(b));
    EXPECT_EQ(v->DocumentSource(), u"<p>Другий");  // read after its byte-order mark
    EXPECT_EQ(v->DocumentCodePage(), 65001);
    ASSERT_EQ(v->History()->Count(), 2);
    EXPECT_EQ(v->History()->GetItem(0)->Url, u16(b));
    EXPECT_EQ(v->History()->GetItem(1)->Url, u16(a));
    EXPECT_EQ(changes, 2);
    // The same file again makes no entry; Reload shows it at the same place.
    v->Reload();
    EXPECT_EQ(v->History()->Count(), 2);
    v->LoadTextFile(u16(a));
    EXPECT_EQ(v->CurrentFileType(), TextType);
    EXPECT_EQ(v->History()->Count(), 3);
}

TEST_F(ViewerLoading, MissingFileLeavesTheShownPage) {
    zrxtest::TempDir dir;
    TestViewer* v = makeViewer();
    v->SetHistoryMaxCount(5);
    v->LoadFromString(u"old page", u"old.htm");
    const std::u16string missing = u16(dir.str()) + u"/missing.htm";
    try {
        v->LoadFromFile(missing);
        FAIL() << "no error";
    } catch (const EhtLoadError& e) {
        EXPECT_NE(std::string(e.what()).find(dir.str() + "/missing.htm"), std::string::npos) << e.what();
    }
    EXPECT_EQ(v->CurrentFile(), u"old.htm");
    EXPECT_EQ(v->DocumentSource(), u"old page");
    EXPECT_EQ(v->History()->Count(), 0);
    EXPECT_FALSE(v->IsProcessing());
    // A folder is no document either.
    EXPECT_THROW(v->LoadFromFile(u16(dir.str())), EhtLoadError);
    EXPECT_EQ(v->CurrentFile(), u"old.htm");
}

TEST_F(ViewerLoading, PictureFileShowsAsAPageOfOneImageFromItsStream) {
    zrxtest::TempDir dir;
    const std::string name = dir.str() + "/a&b\"<c>.png";
    TBitmap picture(4, 3);
    ASSERT_TRUE(picture.SaveToFile(name));
    TestViewer* v = makeViewer();
    int handlerCalls = 0;
    v->SetOnImageRequest([&](TObject*, const std::u16string&, TStream*&) { ++handlerCalls; });
    TStream* during = nullptr;
    std::vector<uint8_t> head;
    v->SetOnParseEnd([&](TObject*) {
        v->SectionList()->GetImage(v, u16(name), during);
        if (during) {
            head.resize(4);
            during->SetPosition(0);
            during->Read(head.data(), 4);
        }
    });
    v->LoadImageFile(u16(name));
    // The name is text in the markup, whatever characters it holds.
    EXPECT_EQ(v->DocumentSource(), u"<img src=\"" + u16(dir.str()) + u"/a&amp;b&quot;&lt;c&gt;.png\">");
    EXPECT_EQ(v->CurrentFile(), u16(name));
    EXPECT_EQ(v->CurrentFileType(), HTMLType);
    ASSERT_NE(during, nullptr);
    EXPECT_EQ(head, (std::vector<uint8_t>{0x89, 'P', 'N', 'G'}));
    EXPECT_EQ(handlerCalls, 0);
    // Afterwards the application's handler answers again.
    TStream* after = nullptr;
    v->SectionList()->GetImage(v, u"other.png", after);
    EXPECT_EQ(after, nullptr);
    EXPECT_EQ(handlerCalls, 1);
}

TEST_F(ViewerLoading, StreamsStringsAndText) {
    TestViewer* v = makeViewer();
    TMemoryStream stream("\xFF\xFEh\0i\0", 6);
    stream.SetPosition(4);  // read from its start whatever its position
    v->LoadFromStream(&stream, u"s.htm");
    EXPECT_EQ(v->DocumentSource(), u"hi");
    EXPECT_EQ(v->DocumentCodePage(), 1200);
    v->LoadFromStream(nullptr, u"none.htm");
    EXPECT_EQ(v->CurrentFile(), u"s.htm");

    TStringList lines{"<p>one", "<p>два"};
    v->LoadStrings(lines, u"l.htm");
    EXPECT_EQ(v->DocumentSource(), u"<p>one\r\n<p>два\r\n");
    EXPECT_EQ(v->CurrentFile(), u"l.htm");
    v->LoadTextStrings(lines);
    EXPECT_EQ(v->CurrentFileType(), TextType);
    EXPECT_TRUE(v->CurrentFile().empty());
    const char16_t text[] = u"<b>bold</b> and more";
    v->LoadFromBuffer(text, 11, u"b.htm");
    EXPECT_EQ(v->DocumentSource(), u"<b>bold</b>");
    v->LoadFromBuffer(nullptr, 5);
    EXPECT_TRUE(v->DocumentSource().empty());
}

TEST_F(ViewerLoading, QuirksModeByTypeAndSetting) {
    TestViewer* v = makeViewer();
    v->SetQuirksMode(qmQuirks);
    v->LoadFromString(u"x");
    EXPECT_TRUE(v->UseQuirksMode());
    EXPECT_TRUE(v->SectionList()->UseQuirksMode());
    // Text and XHTML are always in standards mode.
    v->LoadTextFromString(u"x");
    EXPECT_FALSE(v->UseQuirksMode());
    v->LoadFromString(u"x", u"", XHtmlType);
    EXPECT_FALSE(v->UseQuirksMode());
    v->SetQuirksMode(qmStandards);
    v->LoadFromString(u"x");
    EXPECT_FALSE(v->SectionList()->UseQuirksMode());
}

TEST_F(ViewerLoading, ClearEmptiesTheViewer) {
    TestViewer* v = makeViewer(300, 200);
    v->Doc().Area = 300 * 100;
    v->SetBase(u"http://base/");
    int sounds = 0;
    v->SetOnSoundRequest([&](TObject*, const std::u16string&, int32_t, bool) { ++sounds; });
    v->LoadFromString(u"page", u"page.htm");
    v->ScrollTo(400);
    ASSERT_TRUE(v->VScrollBar()->Visible());
    v->Clear();
    EXPECT_TRUE(v->CurrentFile().empty());
    EXPECT_TRUE(v->DocumentSource().empty());
    EXPECT_TRUE(v->Base().empty());
    EXPECT_EQ(v->MaxVertical(), 0);
    EXPECT_EQ(v->SectionList()->YOff, 0);
    EXPECT_FALSE(v->VScrollBar()->Visible());
    EXPECT_FALSE(v->HScrollBar()->Visible());
    EXPECT_EQ(sounds, 2);
    EXPECT_EQ(v->DocumentCodePage(), v->CodePage());
}

// The parse asks the viewer that loads the page for its linked sheets.
TEST_F(ViewerLoading, TheParseAsksTheViewer) {
    auto* v = makeViewer();
    std::vector<std::u16string> requested;
    v->OnhtStreamRequest = [&](TObject* sender, const std::u16string& src, TStream*& stream) {
        EXPECT_EQ(sender, v);
        requested.push_back(src);
        stream = nullptr;  // not to be had: the sheet is left out
    };
    v->LoadFromString(u"<html><head><link rel=\"stylesheet\" href=\"look.css\"></head><body><p>text</body></html>");
    ASSERT_EQ(requested.size(), 1u);
    EXPECT_EQ(requested[0], u"look.css");
}

}  // namespace
}  // namespace viewertest
