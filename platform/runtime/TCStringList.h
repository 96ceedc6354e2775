#pragma once
// Owning lists of TCString items, each with its attached number or object.
#include <memory>
#include <vector>

#include "platform/runtime/TCString.h"

class TCStringList {
public:
    TCStringList() = default;
    TCStringList(const TCStringList& other);
    TCStringList& operator=(const TCStringList& other);
    TCStringList(TCStringList&&) noexcept = default;
    TCStringList& operator=(TCStringList&&) noexcept = default;
    virtual ~TCStringList() = default;

    int count() const { return static_cast<int>(items_.size()); }
    bool isEmpty() const { return items_.empty(); }
    // Item access; out of range gives a shared empty text (never a crash).
    TCString& item(int i);
    const TCString& item(int i) const;
    TCString& operator[](int i) { return item(i); }
    const TCString& operator[](int i) const { return item(i); }
    // The item as a pointer, null when out of range.
    TCString* at(int i) { return valid(i) ? items_[static_cast<size_t>(i)].get() : nullptr; }
    const TCString* at(int i) const { return valid(i) ? items_[static_cast<size_t>(i)].get() : nullptr; }

    // Adds a text (appends; sorted lists put it in order); answers its index.
    virtual int add(const TCString& text, uintptr_t object = 0);
    int add(const char* text, uintptr_t object = 0) { return add(TCString(text), object); }
    int add(const std::string& text, uintptr_t object = 0) { return add(TCString(text), object); }
    int add(const char* text, const void* object) { return add(TCString(text), reinterpret_cast<uintptr_t>(object)); }
    // Takes ownership of an item (typed lists hold classes derived from TCString).
    virtual int addItem(TCString* item);
    // Appends (for sorted lists: adds in order).
    int insert(const TCString& text, uintptr_t object = 0) { return add(text, object); }
    // Inserts at an index (clamped to the list).
    int atInsert(int i, const TCString& text, uintptr_t object = 0);
    int atInsertItem(int i, TCString* item);
    // Removes and frees the item.
    void remove(int i);
    // Removes the item and hands it to the caller.
    TCString* detach(int i);
    void freeAll() { items_.clear(); }
    void clear() { items_.clear(); }

    // Index of the first item equal to the text, -1 when absent.
    virtual int find(const char* text, bool ignoreCase = false) const;
    int find(const TCString& text, bool ignoreCase = false) const { return find(text.c_str(), ignoreCase); }
    int findObject(uintptr_t object) const;

    // Replaces the items by the parts of the text between separators. A
    // trailing separator gives no empty last item; with '\n' a CR before it
    // is dropped. An empty text gives no items.
    void assignText(const char* text, char sep = '\n');
    void assignText(const TCString& text, char sep = '\n') { assignText(text.c_str(), sep); }
    // The items joined by the separator.
    TCString text(char sep = '\n') const;
    TCString text(const char* sep) const;

    // Reads a text file (UTF-8, BOM dropped, LF or CRLF lines); false when
    // it cannot be read (the list is then unchanged).
    bool loadFromFile(const char* path);
    bool loadFromFile(const TCString& path) { return loadFromFile(path.c_str()); }
    // Writes one line per item (LF); answers the lines written, 0 on failure.
    int saveToFile(const char* path) const;
    int saveToFile(const TCString& path) const { return saveToFile(path.c_str()); }

    void sort(bool ignoreCase = true);

    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

protected:
    bool valid(int i) const { return i >= 0 && static_cast<size_t>(i) < items_.size(); }
    std::vector<std::unique_ptr<TCString>> items_;
};

// Typed form: items are classes derived from TCString, owned by the list.
template <class T> class TTCStringList : public TCStringList {
public:
    using TCStringList::add;
    T* at(int i) { return static_cast<T*>(TCStringList::at(i)); }
    const T* at(int i) const { return static_cast<const T*>(TCStringList::at(i)); }
    using TCStringList::addItem;  // in view beside the typed form, which a typed item picks
    int addItem(T* item) { return TCStringList::addItem(item); }
    int add(const TCString& text, uintptr_t object = 0) override {
        auto* t = new T();
        static_cast<TCString&>(*t) = text;
        t->setObject(object);
        return TCStringList::addItem(t);
    }
};

// Kept in order without regard to case; find uses the order.
class TCSortedStringList : public TCStringList {
public:
    using TCStringList::add;
    int add(const TCString& text, uintptr_t object = 0) override;
    int addItem(TCString* item) override;
    // ignoreCase false still searches the order, then compares exactly.
    int find(const char* text, bool ignoreCase = true) const override;
    using TCStringList::find;
    bool allowDuplicates = true;

private:
    size_t lowerBound(const char* text) const;
};

// "name=value" items read by name (without regard to case); values are
// trimmed, and quoted values unquoted.
class TCRefStringList : public TCStringList {
public:
    // Index of the item whose name is key, -1 when absent.
    int findKey(const char* key) const;
    TCString getString(const char* key, const char* def = "") const;
    int32_t getInt(const char* key, int32_t def = 0) const;
    uint32_t getUInt(const char* key, uint32_t def = 0) const;
    bool getBool(const char* key, bool def = false) const;
    // Replaces or appends "key=value".
    void setString(const char* key, const char* value);
};

// An INI file as lines; sections are read into a TCRefStringList. Lines are
// read by the one INI reader (IniText.h), with the private-profile rules.
class TCSIniFile : public TCStringList {
public:
    TCSIniFile() = default;
    explicit TCSIniFile(const char* path) { loadFromFile(path); }

    // The "key=value" lines of the section (name without regard to case; the
    // empty name is the part before the first header; comments, blank lines
    // and key lines without '=' or without a name skipped, names and values
    // trimmed; the list's getters unquote). Every section of the name adds
    // its lines. The list is cleared first. False when the section is missing.
    bool loadSection(const char* section, TCRefStringList& out) const;
    static bool loadSection(const char* file, const char* section, TCRefStringList& out);
    // Names of all sections in file order.
    void sectionNames(TCStringList& out) const;
};
