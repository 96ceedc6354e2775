#include <gtest/gtest.h>

#include <string>

#include "html/text/UrlUtils.h"
#include "html/text/HtmlText.h"

namespace {

using htmltext::toUtf8;

TEST(UrlUtilsTest, CombineUrls) {
    const struct {
        const char16_t *base, *rel, *expect;
    } cases[] = {
        {u"http://h/dir/", u"img/a.png", u"http://h/dir/img/a.png"},
        {u"http://h/dir/", u"/x.css", u"http://h/x.css"},
        {u"http://h/dir/", u"//cdn/x", u"http://cdn/x"},
        {u"https://h/dir/", u"//cdn/x", u"https://cdn/x"},
        {u"http://h/a/d/", u"../b/c.htm", u"http://h/a/b/c.htm"},
        {u"http://h/a/d/", u"../../../x", u"http://h/x"},
        {u"http://h/a/", u"./b/./c", u"http://h/a/b/c"},
        {u"file:///c:/docs/", u"//srv/x", u"http://srv/x"},
        {u"file:///home/u/docs/", u"../x.css", u"file:///home/u/x.css"},
        {u"file:///home/u/docs/", u"/etc/x.css", u"file:///etc/x.css"},
        {u"http://h", u"x.htm", u"http://h/x.htm"},
        {u"http://h", u"/x.css", u"http://h/x.css"},
        {u" http://h/dir ", u" y ", u"http://h/dir/y"},
        {u"dir/sub/", u"../a.htm", u"dir/a.htm"},
        // Every "/../" from the first (each edit seen again), then every "/./".
        {u"http://h/a/b/c/", u"../../x/./../y/././z", u"http://h/a/x/y/z"},
        {u"http://h/a/", u"b/../../../../c", u"http://h/c"},
        {u"dir/", u"../../../a/../b", u"dir/b"},
        {u"x", u"../y", u"x/y"},
        {u"http://h/a/", u"b//../c/.//./d", u"http://h/a/b/c//d"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CombineUrls(c.base, c.rel), c.expect) << toUtf8(c.base) << " + " << toUtf8(c.rel);
}

TEST(UrlUtilsTest, ProtocolsDirectoriesAndSchemes) {
    EXPECT_EQ(UrlBaseDirectory(u"http://host/a/b.htm?x=/y"), u"http://host/a/");
    EXPECT_EQ(UrlBaseDirectory(u"http://host"), u"http://host/");
    EXPECT_EQ(UrlBaseDirectory(u"dir/page.htm"), u"dir/");
    EXPECT_EQ(UrlBaseDirectory(u"page.htm"), u"page.htm/");
    EXPECT_EQ(GetUrlProtocol(u"HTTPS://h/x"), u"https");
    EXPECT_EQ(GetUrlProtocol(u"/x"), u"http");
    EXPECT_EQ(GetUrlProtocol(u"Mailto:a@b"), u"mailto");
    EXPECT_EQ(GetUrlProtocol(u"data:text/plain,x"), u"data");
    EXPECT_EQ(GetUrlProtocol(u"ftp:x"), u"ftp");
    EXPECT_EQ(GetUrlProtocol(u"x.htm?a://b"), u"");
    EXPECT_EQ(GetUrlProtocol(u""), u"");
    EXPECT_TRUE(IsUrlWithScheme(u"mailto:x"));
    EXPECT_TRUE(IsUrlWithScheme(u"ab:"));
    EXPECT_FALSE(IsUrlWithScheme(u"c:\\x"));
    EXPECT_FALSE(IsUrlWithScheme(u"page.htm"));
    std::u16string url, dest;
    SplitUrlDestination(u"page.htm#top", url, dest);
    EXPECT_EQ(url, u"page.htm");
    EXPECT_EQ(dest, u"#top");
    SplitUrlDestination(u"page.htm", url, dest);
    EXPECT_EQ(url, u"page.htm");
    EXPECT_EQ(dest, u"");
}

TEST(UrlUtilsTest, EscapesDecodeOnlyCleanUtf8) {
    const struct {
        const char16_t *in, *expect;
    } cases[] = {
        {u"%D0%96", u"\u0416"},
        {u"a%20b", u"a b"},
        {u"%E2%82%AC", u"\u20AC"},
        {u"100%", u"100%"},
        {u"%zz", u"%zz"},
        {u"%4", u"%4"},
        {u"%C0%AF", u"%C0%AF"},          // overlong "/"
        {u"%80x", u"%80x"},              // stray continuation byte
        {u"%E0%80%AF", u"%E0%80%AF"},    // overlong three-byte form
        {u"%ED%A0%80", u"%ED%A0%80"},    // a surrogate
        {u"%F0%9F%98%80!", u"\uFFFD!"},  // above U+FFFF
        {u"%D0%41", u"%D0A"},            // broken sequence: the next escape still decodes
        {u"%%41", u"%A"},
        {u"a%00b", u"a%00b"},  // never a NUL in a name
        {u"%2500", u"%00"},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeUrlEscapes(c.in), c.expect) << toUtf8(c.in);
}

TEST(UrlUtilsTest, LocalPaths) {
    EXPECT_EQ(UrlToDosPath(u"file:///home/u/My%20Docs/a.htm"), u"/home/u/My Docs/a.htm");
    EXPECT_EQ(UrlToDosPath(u"file:///C|/My%20Docs/a.htm"), u"/C:/My Docs/a.htm");
    EXPECT_EQ(UrlToDosPath(u"file://server/share/a.htm"), u"server/share/a.htm");
    EXPECT_EQ(UrlToDosPath(u"FILE:/tmp/a.htm"), u"/tmp/a.htm");
    EXPECT_EQ(UrlToDosPath(u"docs\\a.htm"), u"docs/a.htm");
    EXPECT_EQ(UrlToDosPath(u"a%20b.htm"), u"a b.htm");
    // A NUL would cut the name the file system sees from the one typed by its extension.
    EXPECT_EQ(UrlToDosPath(u"a%00b/c"), u"a%00b/c");
    EXPECT_EQ(UrlToDosPath(u"file:///x.png%00.htm"), u"/x.png%00.htm");
    EXPECT_EQ(UrlToDosPathWithBase(u" /srv/a.htm ", u"/home"), u"/srv/a.htm");
    EXPECT_EQ(UrlToDosPathWithBase(u"sub/a.htm", u"/home"), u"sub/a.htm");
    EXPECT_TRUE(IsAbsoluteDosPath(u"/tmp/x"));
    EXPECT_TRUE(IsAbsoluteDosPath(u"\\\\srv\\x"));
    EXPECT_FALSE(IsAbsoluteDosPath(u"tmp/x"));
    EXPECT_FALSE(IsAbsoluteDosPath(u""));
    EXPECT_EQ(CombineDosPaths(u"/a/", u"/b"), u"/a/b");
    EXPECT_EQ(CombineDosPaths(u"/a", u"b"), u"/a/b");
    EXPECT_EQ(CombineDosPaths(u"/a/", u"b"), u"/a/b");
    EXPECT_EQ(CombineDosPaths(u"/a", u"/b"), u"/a/b");
    EXPECT_EQ(CombineDosPaths(u"", u"a"), u"/a");
    EXPECT_EQ(CombineDosPaths(u"c:\\d", u"sub\\a.htm"), u"c:/d/sub/a.htm");
}

}  // namespace
