#pragma once
// XML trees of the core library over libxml2.
//
// A TCXMLNode is an element: its TCString text is the element name; it has
// attributes in document order, a text content and owned child elements.
// Paths are backslash separated ("core\defs\defCertLifeDays"); in value
// lookups a part after the last '.' of the last step names an attribute
// ("core\defs\defCertLifeDays.val"), without it the node's text is the value.
//
// Loading is hardened: no network access, documents with a DOCTYPE (and so
// any entity declaration or external subset) are refused, the size is
// limited, and failures answer a code of their own with a message that
// names the file and line.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCString.h"

// Result codes of the XML layer (facility 0x080).
constexpr KResult XML_E_OPEN = 0xC08000A0u;      // the file cannot be read
constexpr KResult XML_E_SYNTAX = 0xC08000A1u;    // not well-formed XML
constexpr KResult XML_E_DTD = 0xC08000A2u;       // DOCTYPE/entity declarations are refused
constexpr KResult XML_E_WRITE = 0xC08000A3u;     // the file cannot be written
constexpr KResult XML_E_TOOLARGE = 0xC08000A4u;  // the document exceeds the size limit
constexpr KResult XML_E_NOROOT = 0xC08000A5u;    // nothing to save / no file name
constexpr KResult XML_E_ENCODING = 0xC08000A6u;  // a value that is not UTF-8

// Text of one of the codes above (null for other codes).
const char* xmlErrorText(KResult code);

struct TCXMLAttr {
    TCString name;
    TCString value;
};
using TCXMLAttrs = std::vector<TCXMLAttr>;

// Text forms taken as true/false by the boolean readers ("TRUE", "yes", "да",
// "так", "1" / "FALSE", "no", "нет", "ні", "0"; any case). Others: def.
bool xmlTextToBool(const char* text, bool def);

// True when the text is a valid XML element/attribute name.
bool isValidXMLName(const char* name);

class TCXMLNode : public TCString {
public:
    TCXMLNode() = default;
    explicit TCXMLNode(const char* name, const TCXMLAttrs* attrs = nullptr);
    ~TCXMLNode() override;
    TCXMLNode(const TCXMLNode&) = delete;
    TCXMLNode& operator=(const TCXMLNode&) = delete;

    // --- children
    int nodesCount() const { return static_cast<int>(children_.size()); }
    TCXMLNode* at(int i) const;
    TCXMLNode* parent() const { return parent_; }
    TCXMLNode* top();
    // Takes ownership; answers the child (null for a null child).
    TCXMLNode* addNode(TCXMLNode* child);
    TCXMLNode* insertNode(int index, TCXMLNode* child);
    // A new child made by the child factory.
    TCXMLNode* addChild(const char* name);
    // Takes a child out without deleting it (null when it is not a child).
    TCXMLNode* detachNode(TCXMLNode* child);
    // Deletes a child; false when it is not one.
    bool removeNode(TCXMLNode* child);
    void clearNodes();
    int indexOf(const TCXMLNode* child) const;

    // The first child of that name (exact, else without regard to case).
    TCXMLNode* findChild(const char* name) const;
    // A backslash path of children; a leading '\' starts at the top of the tree.
    TCXMLNode* findNode(const char* path) const;

    // --- attributes
    int attrCount() const { return static_cast<int>(attrs_.size()); }
    const TCXMLAttr* attrAt(int i) const;
    bool hasAttr(const char* name) const;
    // The attribute's value or null.
    const TCString* findAttr(const char* name) const;
    TCString getStringAttr(const char* name, const char* def = "") const;
    int32_t getIntAttr(const char* name, int base = 10, int32_t def = 0) const;
    int64_t getInt64Attr(const char* name, int base = 10, int64_t def = 0) const;
    bool getBoolAttr(const char* name, bool def = false) const;
    // Values must be UTF-8: other text is refused (XML_E_ENCODING) and the
    // attribute or text is left as it was.
    KResult setAttr(const char* name, const char* value);
    void setIntAttr(const char* name, int64_t value);
    // Writes "Yes" or "No".
    void setBoolAttr(const char* name, bool value);
    bool removeAttr(const char* name);
    const TCXMLAttrs& attrs() const { return attrs_; }

    // --- text content
    const TCString& text() const { return text_; }
    KResult setText(const char* text);

    // --- values by path (see the header comment)
    bool hasValue(const char* path) const;
    TCString getValue(const char* path, const char* def = "") const;
    int32_t getIntValue(const char* path, int base = 10, int32_t def = 0) const;
    bool getBoolValue(const char* path, bool def = false) const;

    // An owned deep copy (made with the copy's own factories).
    TCXMLNode* duplicate() const;

    // --- comments of the file, written back where they stood: those before
    // this element (among its siblings; before the document's root for the
    // root), those inside it after its last child, and for the root those
    // after it at the end of the document.
    const std::vector<TCString>& commentsBefore() const { return commentsBefore_; }
    const std::vector<TCString>& commentsInside() const { return commentsInside_; }
    const std::vector<TCString>& commentsAfter() const { return commentsAfter_; }

    // Feeds the node's canonical form (inclusive canonical XML 1.0 without
    // comments) to a digest piece by piece. A root loaded with macro
    // substitution off (setMacroMode(0)) and not changed since through the
    // node operations feeds the canonical form of the loaded document itself
    // (whitespace and mixed content as written); any other node feeds the
    // canonical form of its own tree (attributes in name order, its text
    // before its children). Elements below this one named skipChild (not
    // empty; without regard to case, as findChild finds them) are left out,
    // and the tree's form is used then. False when the callback refused a
    // piece.
    using HeshFeed = bool (*)(void* context, const void* data, size_t len);
    bool calcHesh(HeshFeed feed, void* context, const char* skipChild) const;

protected:
    // Child factory: the kind of node addChild and duplicate make.
    virtual TCXMLNode* createChild(const char* name, const TCXMLAttrs* attrs) const;

private:
    friend class TCXMLBaseParser;
    TCXMLNode* parent_ = nullptr;
    std::vector<TCXMLNode*> children_;
    std::vector<TCString> commentsBefore_, commentsInside_, commentsAfter_;
    TCXMLAttrs attrs_;
    TCString text_;
    // The canonical form of the document this root was loaded from, while
    // the tree is unchanged (see calcHesh).
    TCString sourceForm_;
    bool hasSourceForm_ = false;
    // A change anywhere in the tree drops the loaded canonical form.
    void touch();
    bool feedCanonical(HeshFeed feed, void* context, const char* skipChild) const;
};

// Loads a file into a tree of nodes made by the node factory and saves it back.
class TCXMLBaseParser {
public:
    // ownsTree: the parser deletes its tree with itself.
    explicit TCXMLBaseParser(bool ownsTree = true);
    virtual ~TCXMLBaseParser();
    TCXMLBaseParser(const TCXMLBaseParser&) = delete;
    TCXMLBaseParser& operator=(const TCXMLBaseParser&) = delete;

    // 0 on success; the tree replaces the one held. On failure the old tree
    // stays, a log record names the file, line and reason, and lastError()
    // holds the same text.
    KResult load(const char* fileName);
    KResult loadText(const char* text, size_t len, const char* sourceName = nullptr);
    // Writes the tree (UTF-8, atomically) to the file, or to the file of the
    // last load when none is given, with the comments the file held. 0 on
    // success.
    KResult save(const char* fileName = nullptr, unsigned flags = 0);
    // The whole document as text.
    TCString toText() const;

    const TCString& fileName() const { return fileName_; }
    void setFileName(const char* name) { fileName_ = name ? name : ""; }
    // Non-zero (the default): "$MACRO$" references in attribute values and
    // texts are expanded while loading. 0: texts are taken as written.
    void setMacroMode(int mode) { macroMode_ = mode; }
    int macroMode() const { return macroMode_; }
    const TCString& lastError() const { return lastError_; }

    // Documents larger than this are refused.
    static constexpr size_t kMaxDocumentSize = 32u * 1024u * 1024u;
    // Elements a document may hold (each costs far more in memory than its text).
    static constexpr size_t kMaxElements = 200000;

protected:
    // Node factory of the parser.
    virtual TCXMLNode* createNode(const char* name, const TCXMLAttrs& attrs);

    TCXMLNode* root_ = nullptr;
    bool ownsTree_;

private:
    KResult fail(KResult code, const TCString& text);
    TCString fileName_;
    TCString lastError_;
    int macroMode_ = 1;
};

// A parser that hands out its tree.
class TCXMLNodeParser : public TCXMLBaseParser {
public:
    explicit TCXMLNodeParser(bool ownsTree = true) : TCXMLBaseParser(ownsTree) {}
    TCXMLNode* getRoot() const { return root_; }
    TCXMLNode*& rootPtr() { return root_; }
    // Replaces the tree (the old one is deleted when the parser owns it).
    void setRoot(TCXMLNode* root);
    // Takes the tree out; the parser holds none afterwards.
    TCXMLNode* detachRoot();
};
