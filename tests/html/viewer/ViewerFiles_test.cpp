// How names found in a document become files to load, and what kind of
// document a file is by its extension.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "html/viewer/ViewerFiles.h"
#include "html/viewer/ViewerFixture.h"
#include "platform/runtime/TCString.h"
#include "platform/runtime/Utf16.h"

namespace viewertest {
namespace {

using ViewerFiles = ViewerTest;

std::u16string u16(const std::string& s) { return zrx_utf8::toUtf16(s); }
std::string u8(const std::u16string& s) { return std::string(wc2ch(s.data(), int(s.size())).str()); }

TEST_F(ViewerFiles, NamesExpandAgainstServerRootBaseAndCurrentFile) {
    const std::u16string cwd = u16(std::filesystem::current_path().string());
    struct Case {
        const char* what;
        std::u16string base, serverRoot, currentFile, input, want;
    };
    const Case cases[] = {
        {"another scheme stays as written", u"", u"/www", u"/docs/cur.htm", u"http://host/a%20b.htm",
         u"http://host/a%20b.htm"},
        {"a scheme in capitals too", u"/base", u"", u"", u"HTTPS://Host/X.htm", u"HTTPS://Host/X.htm"},
        {"a file URL is its absolute path, escapes decoded", u"", u"", u"/docs/cur.htm", u"file:///srv/x%20y.htm",
         u"/srv/x y.htm"},
        {"a file URL gets no server root", u"", u"/www", u"/docs/cur.htm", u"FILE:///srv/a.htm", u"/srv/a.htm"},
        {"root-relative: the server root before it", u"", u"/www/", u"/docs/cur.htm", u"/pics/a.png",
         u"/www/pics/a.png"},
        {"backslashes read as separators", u"", u"\\www\\", u"/docs/cur.htm", u"\\pics\\a.png", u"/www/pics/a.png"},
        {"root-relative without a server root", u"", u"", u"/docs/cur.htm", u"/pics/../a.png", u"/a.png"},
        {"a network share stays", u"", u"/www", u"", u"//share/x.htm", u"//share/x.htm"},
        {"DosPath leaves a bare name", u"DosPath", u"", u"/docs/cur.htm", u"page.htm", u"page.htm"},
        {"DosPath in any case", u"dospath", u"", u"/docs/cur.htm", u"sub\\page.htm", u"sub/page.htm"},
        {"a base folder", u"/srv/base", u"", u"/docs/cur.htm", u"page.htm", u"/srv/base/page.htm"},
        {"a base file URL", u"file:///srv/base/", u"", u"/docs/cur.htm", u"page.htm", u"/srv/base/page.htm"},
        {"the current file's folder", u"", u"", u"/docs/dir/cur.htm", u"img/a%20b.png", u"/docs/dir/img/a b.png"},
        {"steps up from the current folder", u"", u"", u"/docs/dir/cur.htm", u" ../up.htm ", u"/docs/up.htm"},
        {"no current file: the working folder", u"", u"", u"", u"x.htm", cwd + u"/x.htm"},
    };
    TestViewer* v = makeViewer();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        v->SetServerRoot(c.serverRoot);
        v->SetBase(c.base);
        v->LoadFromString(u"", c.currentFile);
        EXPECT_EQ(u8(v->HtmlExpandFilename(c.input)), u8(c.want));
    }
}

TEST_F(ViewerFiles, ExpandedNameGoesToTheEventLast) {
    TestViewer* v = makeViewer();
    v->LoadFromString(u"", u"/docs/cur.htm");
    std::u16string seen;
    v->OnFilenameExpanded = [&](TObject* Sender, std::u16string& Name) {
        EXPECT_EQ(Sender, v);
        seen = Name;
        Name = u"/elsewhere/" + Name.substr(Name.rfind(u'/') + 1);
    };
    EXPECT_EQ(v->HtmlExpandFilename(u"a.htm"), u"/elsewhere/a.htm");
    EXPECT_EQ(seen, u"/docs/a.htm");
}

TEST(ViewerFileTypes, ByExtensionInAnyCase) {
    const struct {
        std::u16string name;
        THtmlFileType type;
    } cases[] = {
        {u"a.htm", HTMLType},     {u"A.HTM", HTMLType},     {u"x.Html", HTMLType},       {u"s.css", HTMLType},
        {u"p.shtml", HTMLType},   {u"p.xhtml", XHtmlType},  {u"p.XHT", XHtmlType},       {u"i.PNG", ImgType},
        {u"i.jpeg", ImgType},     {u"i.tif", ImgType},      {u"i.ico", ImgType},         {u"t.txt", TextType},
        {u"a.htm.gz", OtherType}, {u"README", OtherType},   {u"/dir.d/file", OtherType}, {u"dir\\x.htm", HTMLType},
        {u"", OtherType},         {u"/dir/.htm", HTMLType},
    };
    for (const auto& c : cases) EXPECT_EQ(HtmlFileTypeOf(c.name), c.type) << u8(c.name);

    // A link's address of another scheme is the application's, whatever its extension.
    EXPECT_EQ(LinkFileTypeOf(u"http://host/p.htm"), OtherType);
    EXPECT_EQ(LinkFileTypeOf(u"mailto:a@b.txt"), OtherType);
    EXPECT_EQ(LinkFileTypeOf(u"/srv/p.htm"), HTMLType);
}

}  // namespace
}  // namespace viewertest
