#include "platform/runtime/MarkupEscape.h"

void appendEscapedMarkup(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        case '\0': out += "\\00"; break;
        default: out += c;
        }
    }
}

std::string escapeMarkup(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendEscapedMarkup(out, text);
    return out;
}
