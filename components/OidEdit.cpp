#include "components/OidEdit.h"

bool isValidOidText(const String& text) {
    String t = Trim(text);
    if (t.empty()) return false;
    std::vector<String> arcs(1);
    for (char c : t) {
        if (c == '.') arcs.emplace_back();
        else if (c >= '0' && c <= '9') arcs.back() += c;
        else return false;
    }
    if (arcs.size() < 2) return false;
    for (const String& a : arcs)
        if (a.empty()) return false;
    // Compare by length first, so that huge arcs never overflow.
    auto atMost = [](const String& a, int limit) {
        size_t i = a.find_first_not_of('0');
        if (i == String::npos) return true;
        String d = a.substr(i);
        return d.size() <= 2 && std::stoi(d) <= limit;
    };
    if (!atMost(arcs[0], 2)) return false;
    bool firstLow = arcs[0].find_first_not_of('0') == String::npos || atMost(arcs[0], 1);
    if (firstLow && !atMost(arcs[1], 39)) return false;
    return true;
}

IMPLEMENT_CLASS(TCOIDEdit, TCompoundHistoryEdit) {}

TCOIDEdit::TCOIDEdit(TComponent* AOwner) : TCompoundHistoryEdit(AOwner) {}

void TCOIDEdit::filterKey(char32_t& Key) {
    if (Key < 32 || (Key >= U'0' && Key <= U'9') || Key == U'.') return;
    Key = 0;
}

void TCOIDEdit::KeyPress(char32_t& Key) {
    filterKey(Key);
    if (Key) TCompoundHistoryEdit::KeyPress(Key);
}

void TCOIDEdit::Change() {
    if (!FFiltering) {
        String t = GetText(), f;
        for (char c : t)
            if ((c >= '0' && c <= '9') || c == '.' || c == ' ') f += c;
        if (f != t) {
            int pos = SelStart();
            int removed = Utf8Length(t) - Utf8Length(f);
            FFiltering = true;
            SetText(f);
            FFiltering = false;
            SetSelStart(std::max(0, pos - removed));
            return;  // setting the filtered text reported the change
        }
    }
    TCompoundHistoryEdit::Change();
}
