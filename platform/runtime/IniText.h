#pragma once
// The one reader of INI text, line by line, with the private-profile rules
// (the Windows ones) that every INI reader of the system follows:
//  - blanks are space, tab, CR, VT and FF; every part is trimmed of them;
//  - a line empty after trimming is blank;
//  - a line opening with ';' or '#' is a comment;
//  - a line opening with '[' that has a ']' after it is a section header;
//    its name is the trimmed text between the '[' and the last ']' ("[a]b]"
//    names "a]b"), and text after that ']' is ignored;
//  - any other line is a key line: its name is the trimmed text before the
//    first '=', its value the trimmed text after it, quotes kept. A damaged
//    line (no '=', as "Bare line", or a '[' never closed, as "[broken") is a
//    key line without '='; an empty name ("=value") is kept as it was read.
// Which key lines a caller takes is its own rule: the private-profile layer
// takes them all, TCSIniFile::loadSection only those with '=' and a name.
#include <string_view>

namespace zrx::ini {

enum class LineKind { Blank, Comment, Header, Key };

struct Line {
    LineKind kind = LineKind::Blank;
    std::string_view name;   // Header: section name; Key: key name
    std::string_view value;  // Key: text after the first '=', quotes kept
    bool hasEquals = false;  // Key: the line has '='
};

bool isBlank(char c);
std::string_view trim(std::string_view s);
// The text inside one pair of enclosing quotes ("..." or '...'); other texts as they are.
std::string_view unquote(std::string_view s);
// One line without its line break. The views point into `line`.
Line parseLine(std::string_view line);

}  // namespace zrx::ini
