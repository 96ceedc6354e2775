#include "platform/net/Json.h"

#include <nlohmann/json.hpp>

#include <charconv>

namespace {

// Builds our tree from nlohmann's event parser, refusing deep nesting so
// that neither building nor freeing the tree can exhaust the stack.
class TreeBuilder {
public:
    using json = nlohmann::json;

    std::unique_ptr<TJSONValue> root;

    bool null() { return put(std::make_unique<TJSONNull>()); }
    bool boolean(bool v) { return put(std::make_unique<TJSONBool>(v)); }
    bool number_integer(json::number_integer_t v) { return put(std::make_unique<TJSONNumber>(std::to_string(v))); }
    bool number_unsigned(json::number_unsigned_t v) { return put(std::make_unique<TJSONNumber>(std::to_string(v))); }
    bool number_float(json::number_float_t, const json::string_t& text) {
        return put(std::make_unique<TJSONNumber>(text));
    }
    bool string(json::string_t& v) { return put(std::make_unique<TJSONString>(std::move(v))); }
    bool binary(json::binary_t&) { return false; }
    bool start_object(std::size_t) { return open(std::make_unique<TJSONObject>()); }
    bool key(json::string_t& k) {
        key_ = std::move(k);
        return true;
    }
    bool end_object() { return close(); }
    bool start_array(std::size_t) { return open(std::make_unique<TJSONArray>()); }
    bool end_array() { return close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

private:
    struct Open {
        std::unique_ptr<TJSONValue> value;
        std::string key;  // name under which it goes into its parent object
    };
    std::vector<Open> stack_;
    std::string key_;

    bool attach(std::unique_ptr<TJSONValue> v, std::string name) {
        if (stack_.empty()) {
            if (root) return false;
            root = std::move(v);
            return true;
        }
        TJSONValue* parent = stack_.back().value.get();
        if (parent->kind() == TJSONValue::Kind::Object)
            static_cast<TJSONObject*>(parent)->AddPair(std::move(name), std::move(v));
        else static_cast<TJSONArray*>(parent)->Add(std::move(v));
        return true;
    }
    bool put(std::unique_ptr<TJSONValue> v) { return attach(std::move(v), std::move(key_)); }
    bool open(std::unique_ptr<TJSONValue> v) {
        if (stack_.size() >= size_t(TJSONValue::kMaxDepth)) return false;
        stack_.push_back(Open{std::move(v), std::move(key_)});
        return true;
    }
    bool close() {
        if (stack_.empty()) return false;
        Open top = std::move(stack_.back());
        stack_.pop_back();
        return attach(std::move(top.value), std::move(top.key));
    }
};

void writeJson(const TJSONValue* v, std::string& out) {
    switch (v->kind()) {
    case TJSONValue::Kind::String:
        out += nlohmann::json(v->Value()).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        break;
    case TJSONValue::Kind::Object: {
        const auto* o = static_cast<const TJSONObject*>(v);
        out += '{';
        for (size_t i = 0; i < o->Count(); ++i) {
            if (i) out += ',';
            out += nlohmann::json(o->PairAt(i).name).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
            out += ':';
            writeJson(o->PairAt(i).value.get(), out);
        }
        out += '}';
        break;
    }
    case TJSONValue::Kind::Array: {
        const auto* a = static_cast<const TJSONArray*>(v);
        out += '[';
        for (size_t i = 0; i < a->Count(); ++i) {
            if (i) out += ',';
            writeJson(a->Items(i), out);
        }
        out += ']';
        break;
    }
    default: out += v->Value();
    }
}

}  // namespace

std::unique_ptr<TJSONValue> TJSONObject::ParseJSONValue(std::string_view text) {
    TreeBuilder builder;
    try {
        if (!nlohmann::json::sax_parse(text.begin(), text.end(), &builder)) return nullptr;
    } catch (const std::exception&) {
        return nullptr;
    }
    return std::move(builder.root);
}

const TJSONValue* TJSONObject::GetValue(std::string_view name) const {
    for (const Pair& p : pairs_)
        if (p.name == name) return p.value.get();
    return nullptr;
}

const TJSONValue* TJSONValue::FindValue(std::string_view path) const {
    const TJSONValue* cur = this;
    size_t pos = 0;
    bool needName = false;  // just after a '.'
    auto member = [&cur](std::string_view name) {
        const TJSONObject* o = asJSONObject(cur);
        cur = o ? o->GetValue(name) : nullptr;
    };
    while (cur && pos < path.size()) {
        const char c = path[pos];
        if (c == '[') {
            const size_t close = path.find(']', pos);
            if (close == std::string_view::npos) return nullptr;
            std::string_view inner = path.substr(pos + 1, close - pos - 1);
            if (inner.size() >= 2 && (inner.front() == '\'' || inner.front() == '"')) {
                // A quoted name may hold ']' itself: find the closing quote first.
                const size_t endQuote = path.find(inner.front(), pos + 2);
                if (endQuote == std::string_view::npos || endQuote + 1 >= path.size() || path[endQuote + 1] != ']')
                    return nullptr;
                member(path.substr(pos + 2, endQuote - pos - 2));
                pos = endQuote + 2;
            } else {
                size_t index = 0;
                auto [end, ec] = std::from_chars(inner.data(), inner.data() + inner.size(), index);
                if (inner.empty() || ec != std::errc() || end != inner.data() + inner.size()) return nullptr;
                const TJSONArray* a = asJSONArray(cur);
                cur = a ? a->Items(index) : nullptr;
                pos = close + 1;
            }
            needName = false;
        } else if (c == '.') {
            if (needName || pos == 0 || pos + 1 == path.size()) return nullptr;
            needName = true;
            ++pos;
        } else {
            size_t end = path.find_first_of(".[", pos);
            if (end == std::string_view::npos) end = path.size();
            member(path.substr(pos, end - pos));
            pos = end;
            needName = false;
        }
    }
    return cur;
}

std::string TJSONValue::ToJSON() const {
    std::string out;
    writeJson(this, out);
    return out;
}
