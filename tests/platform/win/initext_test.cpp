// The one INI reader, line by line, and its two callers: the private-profile
// layer and TCSIniFile::loadSection. Every line of the table is read alone,
// then placed in a file between two known keys and read through both callers.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/IniText.h"
#include "platform/runtime/TCStringList.h"
#include "platform/win/PrivateProfile.h"
#include "support/TempDir.h"

using zrx::ini::LineKind;

namespace {

struct Row {
    const char* line;
    LineKind kind;
    const char* name;   // section or key name as read
    const char* raw;    // key value as the line holds it (quotes kept)
    const char* read;   // key value as readers give it (one pair of quotes removed)
    bool equals;        // key line with '='
    const char* query;  // headers: the section asked for, in another case
};

const Row kRows[] = {
    // Headers: the name runs from '[' to the last ']', trimmed.
    {"[Main]", LineKind::Header, "Main", "", "", false, "MAIN"},
    {"  [  Main Part ]  ", LineKind::Header, "Main Part", "", "", false, "main part"},
    {"[a]b]", LineKind::Header, "a]b", "", "", false, "A]B"},
    {"[a]b", LineKind::Header, "a", "", "", false, "A"},
    {"[x] ; note", LineKind::Header, "x", "", "", false, "X"},
    {"[k=v]", LineKind::Header, "k=v", "", "", false, "K=V"},
    {"[Раздел]", LineKind::Header, "Раздел", "", "", false, "РАЗДЕЛ"},
    {"[]", LineKind::Header, "", "", "", false, ""},
    // Keys: name before the first '=', value after it, both trimmed.
    {"k=v", LineKind::Key, "k", "v", "v", true, nullptr},
    {"\t Key Name \t=\t value  text \t", LineKind::Key, "Key Name", "value  text", "value  text", true, nullptr},
    {"k=", LineKind::Key, "k", "", "", true, nullptr},
    {"k = a=b", LineKind::Key, "k", "a=b", "a=b", true, nullptr},
    {"Ключ=Значение", LineKind::Key, "Ключ", "Значение", "Значение", true, nullptr},
    {"k=v ; not a comment", LineKind::Key, "k", "v ; not a comment", "v ; not a comment", true, nullptr},
    // Quotes: one enclosing pair of the same quote goes on reading.
    {"q=\"  spaced  \"", LineKind::Key, "q", "\"  spaced  \"", "  spaced  ", true, nullptr},
    {"q='x'", LineKind::Key, "q", "'x'", "x", true, nullptr},
    {"q=\"\"", LineKind::Key, "q", "\"\"", "", true, nullptr},
    {"q=\"a'", LineKind::Key, "q", "\"a'", "\"a'", true, nullptr},
    {"q=\"", LineKind::Key, "q", "\"", "\"", true, nullptr},
    {"q=\"\"x\"\"", LineKind::Key, "q", "\"\"x\"\"", "\"x\"", true, nullptr},
    // Blanks.
    {"", LineKind::Blank, "", "", "", false, nullptr},
    {" \t\v\f ", LineKind::Blank, "", "", "", false, nullptr},
    // Comments, whatever follows the mark.
    {"; comment", LineKind::Comment, "", "", "", false, nullptr},
    {"   # comment", LineKind::Comment, "", "", "", false, nullptr},
    {";k=v", LineKind::Comment, "", "", "", false, nullptr},
    {"#[Hidden]", LineKind::Comment, "", "", "", false, nullptr},
    // Damaged lines: key lines without '=' or without a name. The private
    // profile keeps them (as the Windows functions do); loadSection skips them.
    {"Bare line", LineKind::Key, "Bare line", "", "", false, nullptr},
    {"[broken", LineKind::Key, "[broken", "", "", false, nullptr},
    {"[", LineKind::Key, "[", "", "", false, nullptr},
    {"[broken=1", LineKind::Key, "[broken", "1", "1", true, nullptr},
    {"=no name", LineKind::Key, "", "no name", "no name", true, nullptr},
};

using Pairs = std::vector<std::pair<std::string, std::string>>;

std::vector<std::string> names(const TCStringList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.count(); ++i) out.push_back(list[i].str());
    return out;
}

}  // namespace

TEST(IniText, EveryLineReadsTheSameAloneAndThroughBothCallers) {
    zrxtest::TempDir dir;
    const std::string f = dir.file("table.ini");
    for (const Row& r : kRows) {
        SCOPED_TRACE(std::string("line: ") + r.line);

        const zrx::ini::Line line = zrx::ini::parseLine(r.line);
        EXPECT_EQ(line.kind, r.kind);
        EXPECT_EQ(line.name, r.name);
        EXPECT_EQ(line.value, r.raw);
        EXPECT_EQ(line.hasEquals, r.equals);
        EXPECT_EQ(zrx::ini::unquote(line.value), r.read);

        zrxtest::writeFile(f, std::string("[before]\r\nfirst=1\r\n") + r.line + "\r\nafter=2\r\n");
        TCSIniFile ini;
        ASSERT_TRUE(ini.loadFromFile(f.c_str()));
        TCStringList iniSections;
        ini.sectionNames(iniSections);
        TCRefStringList values;

        if (r.kind == LineKind::Header) {
            const std::vector<std::string> sections{"before", r.name};
            EXPECT_EQ(zrx::win::profileSectionNames(f), sections);
            EXPECT_EQ(zrx::win::profileSectionValues(f, "before"), (Pairs{{"first", "1"}}));
            EXPECT_EQ(zrx::win::profileSectionValues(f, r.query), (Pairs{{"after", "2"}}));

            EXPECT_EQ(names(iniSections), sections);
            EXPECT_TRUE(ini.loadSection("before", values));
            EXPECT_EQ(names(values), (std::vector<std::string>{"first=1"}));
            EXPECT_TRUE(ini.loadSection(r.query, values));
            EXPECT_EQ(names(values), (std::vector<std::string>{"after=2"}));
            continue;
        }

        // Any other line stays in the section it is written in.
        Pairs profileExpected{{"first", "1"}};
        std::vector<std::string> loadExpected{"first=1"};
        if (r.kind == LineKind::Key) profileExpected.emplace_back(r.name, r.read);
        if (r.kind == LineKind::Key && r.equals && *r.name) loadExpected.push_back(std::string(r.name) + "=" + r.raw);
        profileExpected.emplace_back("after", "2");
        loadExpected.push_back("after=2");

        EXPECT_EQ(zrx::win::profileSectionNames(f), (std::vector<std::string>{"before"}));
        EXPECT_EQ(zrx::win::profileSectionValues(f, "BEFORE"), profileExpected);
        EXPECT_EQ(names(iniSections), (std::vector<std::string>{"before"}));
        EXPECT_TRUE(ini.loadSection("BEFORE", values));
        EXPECT_EQ(names(values), loadExpected);
        if (r.kind == LineKind::Key && *r.name) {
            std::string v;
            EXPECT_TRUE(zrx::win::profileRead(f, "before", r.name, v));
            EXPECT_EQ(v, r.read);
            if (r.equals) {
                EXPECT_EQ(values.getString(r.name, "absent").str(), r.read);
            }
        }
    }
}
