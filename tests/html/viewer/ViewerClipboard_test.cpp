// Copying the selection of a real page: the text, the fragment document
// as text/html and the "HTML Format" block, read back from the clipboard.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "html/viewer/ViewerInput.h"
#include "platform/framework/Clipbrd.h"
#include "platform/runtime/Utf16.h"
#include "support/TempDir.h"

namespace viewertest {
namespace {

class ViewerClipboard : public RealViewerTest {
protected:
    void TearDown() override {
        Clipboard()->Clear();
        RealViewerTest::TearDown();
    }
    // The bytes the block's header marks as the fragment.
    static std::string fragment(const std::string& block) {
        auto number = [&](const char* label) {
            const size_t at = block.find(label) + std::string(label).size();
            return std::stoul(block.substr(at, 10));
        };
        const size_t start = number("StartFragment:"), end = number("EndFragment:");
        EXPECT_EQ(number("StartHTML:"), block.find("<!DOCTYPE"));
        EXPECT_LE(start, end);
        return block.substr(start, end - start);
    }
};

TEST_F(ViewerClipboard, TheSelectionAsTextAndAsHtml) {
    THtmlViewer* v = showPage(u"<p>Hello <b>bold</b> world</p>");
    ASSERT_TRUE(v->Find(u"bold", true));
    Clipboard()->SetAsText("before");
    v->CopyToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), "bold");
    const std::string html = Clipboard()->AsHtml();
    EXPECT_EQ(html.find("Version:"), std::string::npos);  // the document without the header
    EXPECT_NE(html.find("<b><!--StartFragment-->bold<!--EndFragment-->"), std::string::npos);
    std::string block = Clipboard()->GetBuffer(CF_HTML());
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(block.back(), '\0');
    block.pop_back();
    EXPECT_EQ(fragment(block), "bold");
    EXPECT_NE(block.find("SourceURL:unsaved:///THtmlViewer.htm\r\n"), std::string::npos);
    EXPECT_EQ(block.substr(block.find("<!DOCTYPE")), html);
}

TEST_F(ViewerClipboard, NothingSelectedLeavesTheClipboardAlone) {
    THtmlViewer* v = showPage(u"<p>Hello</p>");
    Clipboard()->SetAsText("kept");
    v->CopyToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), "kept");
    EXPECT_FALSE(Clipboard()->HasFormat(CF_HTML()));
}

TEST_F(ViewerClipboard, MultiByteSourcesAreCutAtTheirCharacters) {
    // The same Cyrillic page loaded as UTF-16 text and from a UTF-8 file.
    const std::string page =
        "<html><head><meta charset=\"utf-8\"></head><body><p>Привет, ключевой мир!</p></body></html>";
    zrxtest::TempDir dir;
    const std::string file = dir.file("page.htm");
    std::ofstream(file, std::ios::binary) << page;
    for (bool fromFile : {false, true}) {
        SCOPED_TRACE(fromFile ? "UTF-8 file" : "UTF-16 text");
        auto* v = new THtmlViewer(form);
        v->SetParent(form);
        v->SetBounds(0, 0, 400, 200);
        form->Show();
        if (fromFile) v->LoadFromFile(zrx_utf8::toUtf16(file));
        else v->LoadFromString(zrx_utf8::toUtf16(page));
        ASSERT_TRUE(v->Find(u"ключевой", true));
        v->CopyToClipboard();
        EXPECT_EQ(Clipboard()->AsText(), "ключевой");
        std::string block = Clipboard()->GetBuffer(CF_HTML());
        ASSERT_FALSE(block.empty());
        block.pop_back();
        EXPECT_EQ(fragment(block), "ключевой");
        EXPECT_EQ(block.find("<meta"), std::string::npos);
        if (fromFile) {
            EXPECT_NE(block.find("SourceURL:file://" + file + "\r\n"), std::string::npos);
        }
        v->Free();
    }
}

TEST_F(ViewerClipboard, ASelectionToTheEndOfThePage) {
    THtmlViewer* v = showPage(u"<p>first</p><p>last words");
    v->SelectAll();
    v->CopyToClipboard();
    std::string block = Clipboard()->GetBuffer(CF_HTML());
    ASSERT_FALSE(block.empty());
    block.pop_back();
    const std::string f = fragment(block);
    EXPECT_EQ(f.substr(0, 5), "first");
    EXPECT_EQ(f.substr(f.size() - 10), "last words");
}

}  // namespace
}  // namespace viewertest
