#include "platform/runtime/IniText.h"

namespace zrx::ini {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view unquote(std::string_view s) {
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

Line parseLine(std::string_view raw) {
    Line line;
    const std::string_view t = trim(raw);
    if (t.empty()) return line;
    if (t.front() == ';' || t.front() == '#') {
        line.kind = LineKind::Comment;
        return line;
    }
    if (t.front() == '[') {
        const size_t close = t.rfind(']');
        if (close != std::string_view::npos && close > 0) {
            line.kind = LineKind::Header;
            line.name = trim(t.substr(1, close - 1));
            return line;
        }
    }
    line.kind = LineKind::Key;
    const size_t eq = t.find('=');
    if (eq == std::string_view::npos) {
        line.name = t;
    } else {
        line.hasEquals = true;
        line.name = trim(t.substr(0, eq));
        line.value = trim(t.substr(eq + 1));
    }
    return line;
}

}  // namespace zrx::ini
