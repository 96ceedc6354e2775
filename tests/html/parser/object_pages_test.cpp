// End to end: the program's own object pages (a certificate, a request and a
// chain of certificates, in screen and print form) parsed, laid out at a few
// widths and drawn on the recording canvas. Every word of the page is drawn
// and no drawn line reaches past the width.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "html/layout/ModelFixture.h"
#include "html/parser/DocumentFixture.h"
#include "platform/core/x509/Pkcs7.h"
#include "platform/core/x509/X509Fixtures.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/core/x509/ZrX509Req.h"
#include "platform/framework/RecordingDC.h"

namespace {

using parsertest::ParsedDocument;

class ObjectPagesTest : public modeltest::RecordingScreenTest {};

struct Page {
    std::string name;
    std::string html;
};

std::vector<Page> objectPages(const x509fx::Pki& pki) {
    std::vector<Page> pages;
    TZrX509 ee(pki.ee);
    TZrX509Req req;
    EXPECT_EQ(req.fromExistX509(ee, "zorenUID", nullptr, pki.eeKey), 0u);
    TZrXPkcs7 chain;
    for (X509* x : {pki.ee, pki.inter, pki.root}) chain.addCert(TZrX509(x));
    for (int mode : {0, 1}) {
        const std::string suffix = mode ? " (print)" : "";
        TCString html;
        ee.htmlView(html, mode);
        pages.push_back({"certificate" + suffix, html.str()});
        req.htmlView(html, mode);
        pages.push_back({"request" + suffix, html.str()});
        chain.htmlView(html, mode);
        pages.push_back({"chain" + suffix, html.str()});
    }
    return pages;
}

// The words of the page's text, read apart from the parser: tags dropped,
// the references the pages use decoded, split at blanks.
std::vector<std::u16string> wordsOf(const std::string& html) {
    std::string text;
    for (size_t i = 0; i < html.size();) {
        if (html[i] == '<') {
            const size_t end = html.find('>', i);
            if (end == std::string::npos) break;
            text += ' ';
            i = end + 1;
            continue;
        }
        if (html[i] == '&') {
            static const std::pair<const char*, const char*> refs[] = {
                {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&nbsp;", " "}};
            bool done = false;
            for (const auto& [ref, ch] : refs)
                if (html.compare(i, strlen(ref), ref) == 0) {
                    text += ch;
                    i += strlen(ref);
                    done = true;
                    break;
                }
            if (done) continue;
        }
        text += html[i++];
    }
    std::vector<std::u16string> words;
    std::u16string word;
    for (char16_t c : htmltext::fromUtf8(text) + u" ") {
        if (c == u' ' || c == u'\n' || c == u'\r' || c == u'\t' || c == 0xA0) {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

// What reached the surface: the drawn texts run together, and the right
// end of the widest one.
struct Drawn {
    std::u16string text;
    int right = 0;
    int left = 0;
};

Drawn drawnText(const std::vector<std::string>& log) {
    Drawn out;
    std::vector<TLogFont> saved;
    TLogFont font;
    auto quoted = [](const std::string& line) {
        const size_t open = line.find('"');
        return line.substr(open + 1, line.size() - open - 2);
    };
    for (const std::string& line : log) {
        if (line.rfind("SelectFont ", 0) == 0) {
            // SelectFont "face" height style charset
            const size_t close = line.find('"', line.find('"') + 1);
            int height = 0, style = 0, charset = 0;
            sscanf(line.c_str() + close + 1, "%d %d %d", &height, &style, &charset);
            font.Height = height;
            font.Style = TFontStyles(style);
        } else if (line.rfind("SaveDC", 0) == 0) {
            saved.push_back(font);
        } else if (line.rfind("RestoreDC", 0) == 0) {
            if (!saved.empty()) {
                font = saved.back();
                saved.pop_back();
            }
        } else if (line.rfind("=text ", 0) == 0) {
            int x = 0;
            sscanf(line.c_str() + 6, "%d", &x);
            std::u16string text = htmltext::fromUtf8(quoted(line));
            out.text += text;
            while (!text.empty() && (text.back() == u' ' || text.back() == 0xA0)) text.pop_back();
            int right = x;
            for (char16_t c : text) right += TRecordingDC::Advance(font, c);
            if (!text.empty()) {
                out.right = std::max(out.right, right);
                out.left = std::min(out.left, x);
            }
        }
    }
    return out;
}

// Whether every table with rows was given a height.
bool tablesLaidOut(const TCellBasic& cell) {
    for (int i = 0; i < cell.Count(); ++i) {
        const TSectionBase* s = cell.GetItem(i);
        if (auto* table = dynamic_cast<const THtmlTable*>(s)) {
            if (table->Rows.Count() > 0 && table->SectionHeight <= 0) return false;
        } else if (auto* block = dynamic_cast<const TBlock*>(s)) {
            if (!tablesLaidOut(*block->MyCell)) return false;
        }
    }
    return true;
}

// Reads the page as windows-1252 until its meta tag names utf-8.
void parsePage(ParsedDocument& d, const Page& page) {
    d.buffer = std::make_unique<TBuffer>(page.html.data(), page.html.size(), 1252, u"page.html");
    d.ParseBuffer();
}

TEST_F(ObjectPagesTest, TheBuiltSectionsHoldEveryWordOfThePage) {
    x509fx::Pki pki;
    for (const Page& page : objectPages(pki)) {
        SCOPED_TRACE(page.name);
        ASSERT_FALSE(page.html.empty());
        ParsedDocument d;
        parsePage(d, page);
        ASSERT_FALSE(d.viewer.CodePages.empty());
        EXPECT_EQ(d.viewer.CodePages.back(), 65001);
        const std::u16string built = htmltext::fromUtf8(d.Body());
        for (const std::u16string& word : wordsOf(page.html))
            EXPECT_NE(built.find(word), std::u16string::npos) << htmltext::toUtf8(word);
    }
}

TEST_F(ObjectPagesTest, PagesLayOutWithinTheWidthAndDrawEveryWord) {
    x509fx::Pki pki;
    for (const Page& page : objectPages(pki)) {
        const std::vector<std::u16string> words = wordsOf(page.html);
        for (int width : {700, 900, 1400}) {
            SCOPED_TRACE(page.name + " at " + std::to_string(width));
            ParsedDocument d;
            parsePage(d, page);
            TRecordingDC measure(width, 1000);
            TCanvas canvas;
            canvas.SetDevice(&measure);
            int32_t scrollWidth = 0, curs = 0;
            const int32_t height = d.doc->DoLogic(&canvas, 0, width, 1000, 0, scrollWidth, curs);
            if (height <= 0) GTEST_SKIP() << "the layout of blocks and sections is still to come";
            if (!tablesLaidOut(*d.doc)) GTEST_SKIP() << "the layout of tables is still to come";
            EXPECT_LE(scrollWidth, width);

            TRecordingDC dc(width, height);
            canvas.SetDevice(&dc);
            d.doc->Draw(&canvas, Rect(0, 0, width, height), width, 0, 0, 0, 0);
            const Drawn drawn = drawnText(dc.Log());
            if (drawn.text.empty()) GTEST_SKIP() << "the drawing of text is still to come";
            EXPECT_GE(drawn.left, 0);
            EXPECT_LE(drawn.right, width);
            for (const std::u16string& word : words)
                EXPECT_NE(drawn.text.find(word), std::u16string::npos) << htmltext::toUtf8(word);
        }
    }
}

}  // namespace
