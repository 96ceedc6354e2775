#pragma once
// JSON values standing in for the framework's JSON classes: parse a text,
// members by name, look-up by dotted path, the text of a value. Parsing is
// done by nlohmann-json; the tree is our own so that number texts are kept
// as received and the nesting depth is bounded.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TJSONValue {
public:
    enum class Kind { Null, Bool, Number, String, Object, Array };

    virtual ~TJSONValue() = default;
    TJSONValue(const TJSONValue&) = delete;
    TJSONValue& operator=(const TJSONValue&) = delete;

    Kind kind() const { return kind_; }
    bool IsNull() const { return kind_ == Kind::Null; }

    // The value's text: a string's content, a number's text as received,
    // "true"/"false", "null"; empty for objects and arrays.
    virtual std::string Value() const { return std::string(); }

    // The value at a path below this one, or null. A path is a list of
    // member names separated by '.', each optionally followed by array
    // indices "[n]"; a name holding '.' or '[' may be written as ['name'].
    // The empty path is this value.
    const TJSONValue* FindValue(std::string_view path) const;

    // Compact JSON text of the value.
    std::string ToJSON() const;

    // Deepest nesting of objects and arrays that parsing accepts.
    static constexpr int kMaxDepth = 256;

protected:
    explicit TJSONValue(Kind kind) : kind_(kind) {}

private:
    Kind kind_;
};

class TJSONNull : public TJSONValue {
public:
    TJSONNull() : TJSONValue(Kind::Null) {}
    std::string Value() const override { return "null"; }
};

class TJSONBool : public TJSONValue {
public:
    explicit TJSONBool(bool value) : TJSONValue(Kind::Bool), value_(value) {}
    bool AsBoolean() const { return value_; }
    std::string Value() const override { return value_ ? "true" : "false"; }

private:
    bool value_;
};

class TJSONNumber : public TJSONValue {
public:
    explicit TJSONNumber(std::string text) : TJSONValue(Kind::Number), text_(std::move(text)) {}
    std::string Value() const override { return text_; }

private:
    std::string text_;
};

class TJSONString : public TJSONValue {
public:
    explicit TJSONString(std::string text) : TJSONValue(Kind::String), text_(std::move(text)) {}
    std::string Value() const override { return text_; }

private:
    std::string text_;
};

class TJSONArray : public TJSONValue {
public:
    TJSONArray() : TJSONValue(Kind::Array) {}
    size_t Count() const { return items_.size(); }
    const TJSONValue* Items(size_t index) const { return index < items_.size() ? items_[index].get() : nullptr; }
    void Add(std::unique_ptr<TJSONValue> value) { items_.push_back(std::move(value)); }

private:
    std::vector<std::unique_ptr<TJSONValue>> items_;
};

class TJSONObject : public TJSONValue {
public:
    struct Pair {
        std::string name;
        std::unique_ptr<TJSONValue> value;
    };

    TJSONObject() : TJSONValue(Kind::Object) {}

    // Parses a text: the value, or null when the text is not one complete
    // JSON value (trailing white space allowed) or nests too deep.
    static std::unique_ptr<TJSONValue> ParseJSONValue(std::string_view text);

    size_t Count() const { return pairs_.size(); }
    const Pair& PairAt(size_t index) const { return pairs_.at(index); }
    // The first member of that name, or null.
    const TJSONValue* GetValue(std::string_view name) const;
    void AddPair(std::string name, std::unique_ptr<TJSONValue> value) {
        pairs_.push_back(Pair{std::move(name), std::move(value)});
    }

private:
    std::vector<Pair> pairs_;
};

// The value as an object, or null when it is none (or null itself).
inline const TJSONObject* asJSONObject(const TJSONValue* v) {
    return v && v->kind() == TJSONValue::Kind::Object ? static_cast<const TJSONObject*>(v) : nullptr;
}
inline const TJSONArray* asJSONArray(const TJSONValue* v) {
    return v && v->kind() == TJSONValue::Kind::Array ? static_cast<const TJSONArray*>(v) : nullptr;
}
