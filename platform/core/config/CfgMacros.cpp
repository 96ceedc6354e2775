#include "platform/core/config/CfgMacros.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

namespace {

struct ICLess {
    bool operator()(const TCString& a, const TCString& b) const { return a.compareIC(b) < 0; }
};

struct Store {
    std::mutex m;
    std::map<TCString, TCString, ICLess> macros;
    std::map<TCString, int64_t, ICLess> ints;
};

Store& store() {
    static Store s;
    return s;
}

TCString bareName(const char* name) {
    TCString n(name ? name : "");
    n.trim();
    if (n.length() >= 2 && n.at(0) == '$' && n.at(n.length() - 1) == '$') n = n.sub(1, n.length() - 2);
    return n;
}

bool builtin(const TCString& name, TCString& out) {
    if (name.equalsIC("ALLUSERS")) {
        out = getAllUsersFolder();
        return true;
    }
    return false;
}

}  // namespace

TCString getAllUsersFolder() {
    const char* v = std::getenv("ALLUSERSPROFILE");
    if (v && *v) return TCString(v);
    v = std::getenv("XDG_DATA_HOME");
    if (v && *v) return TCString(v);
    const char* home = std::getenv("HOME");
    return TCString(std::string(home && *home ? home : "/tmp") + "/.local/share");
}

bool registerCFGMacro(const char* name, const char* value) {
    const TCString n = bareName(name);
    if (n.isEmpty()) return false;
    std::lock_guard<std::mutex> g(store().m);
    if (!value || !*value) store().macros.erase(n);
    else store().macros[n] = TCString(value);
    return true;
}

TCString getCFGMacroValue(const char* name) {
    const TCString n = bareName(name);
    if (n.isEmpty()) return TCString();
    {
        std::lock_guard<std::mutex> g(store().m);
        auto it = store().macros.find(n);
        if (it != store().macros.end()) return it->second;
    }
    TCString out;
    builtin(n, out);
    return out;
}

bool isCFGMacroDefined(const char* name) {
    const TCString n = bareName(name);
    std::lock_guard<std::mutex> g(store().m);
    return store().macros.count(n) != 0;
}

bool substCFGMacroValues(TCString& text, unsigned flags) {
    const std::string& s = text.str();
    if (s.find('$') == std::string::npos) return true;
    std::string out;
    out.reserve(s.size());
    bool ok = true;
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] != '$') {
            out += s[i++];
            continue;
        }
        const size_t close = s.find('$', i + 1);
        if (close == std::string::npos) {  // a lone '$' stays
            out.append(s, i, std::string::npos);
            break;
        }
        if (close == i + 1) {  // "$$"
            out += '$';
            i = close + 1;
            continue;
        }
        const TCString name(s.substr(i + 1, close - i - 1));
        TCString value;
        bool found = false;
        {
            std::lock_guard<std::mutex> g(store().m);
            auto it = store().macros.find(name);
            if (it != store().macros.end()) {
                value = it->second;
                found = true;
            }
        }
        if (!found && (flags & CFGM_BUILTIN)) found = builtin(name, value);
        if (found) {
            out += value.str();
            i = close + 1;
        } else {
            // Not a macro: keep the '$' and look for a reference from the next one on.
            ok = false;
            out += '$';
            ++i;
        }
    }
    text = TCString(std::move(out));
    return ok;
}

void registerGlobalIntValue(const char* name, int64_t value) {
    const TCString n = bareName(name);
    if (n.isEmpty()) return;
    std::lock_guard<std::mutex> g(store().m);
    store().ints[n] = value;
}

int64_t getGlobalIntValue(const char* name, int64_t def) {
    const TCString n = bareName(name);
    std::lock_guard<std::mutex> g(store().m);
    auto it = store().ints.find(n);
    return it == store().ints.end() ? def : it->second;
}

bool isGlobalIntDefined(const char* name) {
    const TCString n = bareName(name);
    std::lock_guard<std::mutex> g(store().m);
    return store().ints.count(n) != 0;
}

void unregisterGlobalIntValue(const char* name) {
    const TCString n = bareName(name);
    std::lock_guard<std::mutex> g(store().m);
    store().ints.erase(n);
}

void clearCFGMacros() {
    std::lock_guard<std::mutex> g(store().m);
    store().macros.clear();
    store().ints.clear();
}
