#include <gtest/gtest.h>

#include <string>

#include "platform/runtime/MarkupEscape.h"

using namespace std::string_literals;

TEST(MarkupEscape, EveryMarkupCharacterAndTheNul) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"", ""},
        {"plain Текст €", "plain Текст €"},
        {"a&b", "a&amp;b"},
        {"&amp;", "&amp;amp;"},  // an existing reference is text, escaped again
        {"<script>", "&lt;script&gt;"},
        {"say \"hi\"", "say &quot;hi&quot;"},
        {"it's", "it&#39;s"},  // safe inside single-quoted attributes too
        {"www.bank.ua\0.evil.example"s, "www.bank.ua\\00.evil.example"},
        {"\0"s, "\\00"},
        {"\0\0<"s, "\\00\\00&lt;"},
        {"tab\tline\nend\r", "tab\tline\nend\r"},  // white space is the caller's to treat
    };
    for (const Case& c : cases) {
        EXPECT_EQ(escapeMarkup(c.in), c.out) << c.out;
        std::string appended = "x";
        appendEscapedMarkup(appended, c.in);
        EXPECT_EQ(appended, "x" + c.out);
    }
}
