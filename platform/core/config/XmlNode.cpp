#include "platform/core/config/XmlNode.h"

#include <fcntl.h>
#include <libxml/c14n.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/core/config/CfgMacros.h"
#include "platform/core/config/XmlSafeRead.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/MarkupEscape.h"
#include "platform/runtime/Translation.h"

const char* xmlErrorText(KResult code) {
    switch (code) {
    case XML_E_OPEN: return "Файл XML не может быть прочитан";
    case XML_E_SYNTAX: return "Нарушен формат XML";
    case XML_E_DTD: return "Описания DOCTYPE и сущностей в XML не допускаются";
    case XML_E_WRITE: return "Файл XML не может быть записан";
    case XML_E_TOOLARGE: return "Файл XML превышает допустимый размер";
    case XML_E_NOROOT: return "Нет данных или имени файла для сохранения XML";
    case XML_E_ENCODING: return "Значение XML не в кодировке UTF-8";
    default: return nullptr;
    }
}

bool xmlTextToBool(const char* text, bool def) {
    if (!text) return def;
    TCString t(text);
    t.trim();
    static const char* const yes[] = {"true", "yes", "1", "да", "так", "on"};
    static const char* const no[] = {"false", "no", "0", "нет", "ні", "off"};
    for (const char* y : yes)
        if (t.equalsIC(y)) return true;
    for (const char* n : no)
        if (t.equalsIC(n)) return false;
    return def;
}

bool isValidXMLName(const char* name) {
    if (!name || !*name) return false;
    // No namespaces in our files: a colon is refused as well.
    if (std::strchr(name, ':')) return false;
    return xmlValidateName(reinterpret_cast<const xmlChar*>(name), 0) == 0;
}

// ---------------------------------------------------------------- TCXMLNode

TCXMLNode::TCXMLNode(const char* name, const TCXMLAttrs* attrs) : TCString(name) {
    if (attrs) attrs_ = *attrs;
}

TCXMLNode::~TCXMLNode() { clearNodes(); }

TCXMLNode* TCXMLNode::at(int i) const {
    return i >= 0 && static_cast<size_t>(i) < children_.size() ? children_[static_cast<size_t>(i)] : nullptr;
}

TCXMLNode* TCXMLNode::top() {
    TCXMLNode* n = this;
    while (n->parent_) n = n->parent_;
    return n;
}

TCXMLNode* TCXMLNode::addNode(TCXMLNode* child) { return insertNode(nodesCount(), child); }

TCXMLNode* TCXMLNode::insertNode(int index, TCXMLNode* child) {
    if (!child || child == this) return nullptr;
    if (child->parent_) child->parent_->detachNode(child);
    index = std::clamp(index, 0, nodesCount());
    children_.insert(children_.begin() + index, child);
    child->parent_ = this;
    touch();
    return child;
}

TCXMLNode* TCXMLNode::addChild(const char* name) { return addNode(createChild(name, nullptr)); }

TCXMLNode* TCXMLNode::detachNode(TCXMLNode* child) {
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it == children_.end()) return nullptr;
    children_.erase(it);
    child->parent_ = nullptr;
    touch();
    return child;
}

bool TCXMLNode::removeNode(TCXMLNode* child) {
    if (!detachNode(child)) return false;
    delete child;
    return true;
}

void TCXMLNode::clearNodes() {
    // Deleting children one by one keeps the stack flat for wide trees;
    // depth is bounded by the parser's own nesting limit.
    std::vector<TCXMLNode*> kids;
    kids.swap(children_);
    if (!kids.empty()) touch();
    for (TCXMLNode* c : kids) {
        c->parent_ = nullptr;
        delete c;
    }
}

int TCXMLNode::indexOf(const TCXMLNode* child) const {
    for (size_t i = 0; i < children_.size(); ++i)
        if (children_[i] == child) return static_cast<int>(i);
    return -1;
}

TCXMLNode* TCXMLNode::findChild(const char* name) const {
    if (!name || !*name) return nullptr;
    for (TCXMLNode* c : children_)
        if (c->compare(name) == 0) return c;
    for (TCXMLNode* c : children_)
        if (c->compareIC(name) == 0) return c;
    return nullptr;
}

TCXMLNode* TCXMLNode::findNode(const char* path) const {
    if (!path) return nullptr;
    const TCXMLNode* n = this;
    const char* p = path;
    if (*p == '\\') {
        while (n->parent_) n = n->parent_;
        while (*p == '\\') ++p;
    }
    if (!*p) return const_cast<TCXMLNode*>(n);
    while (*p) {
        const char* e = std::strchr(p, '\\');
        const std::string step = e ? std::string(p, e) : std::string(p);
        if (!step.empty()) {
            n = n->findChild(step.c_str());
            if (!n) return nullptr;
        }
        if (!e) break;
        p = e + 1;
    }
    return const_cast<TCXMLNode*>(n);
}

const TCXMLAttr* TCXMLNode::attrAt(int i) const {
    return i >= 0 && static_cast<size_t>(i) < attrs_.size() ? &attrs_[static_cast<size_t>(i)] : nullptr;
}

const TCString* TCXMLNode::findAttr(const char* name) const {
    if (!name) return nullptr;
    for (const auto& a : attrs_)
        if (a.name.compare(name) == 0) return &a.value;
    return nullptr;
}

bool TCXMLNode::hasAttr(const char* name) const { return findAttr(name) != nullptr; }

TCString TCXMLNode::getStringAttr(const char* name, const char* def) const {
    const TCString* v = findAttr(name);
    return v ? *v : TCString(def);
}

int32_t TCXMLNode::getIntAttr(const char* name, int base, int32_t def) const {
    const TCString* v = findAttr(name);
    return v ? v->asInt(base, def) : def;
}

int64_t TCXMLNode::getInt64Attr(const char* name, int base, int64_t def) const {
    const TCString* v = findAttr(name);
    return v ? v->asInt64(base, def) : def;
}

bool TCXMLNode::getBoolAttr(const char* name, bool def) const {
    const TCString* v = findAttr(name);
    return v ? xmlTextToBool(v->c_str(), def) : def;
}

namespace {

// Well-formed UTF-8: no stray or overlong sequences, no surrogates.
bool isUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t n;
        char32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            n = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            n = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            n = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + n >= s.size()) return false;
        for (size_t k = 1; k <= n; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            if ((b & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        static const char32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += n + 1;
    }
    return true;
}

}  // namespace

KResult TCXMLNode::setAttr(const char* name, const char* value) {
    if (!name || !*name) return XML_E_WRITE;
    if (value && !isUtf8(value)) return XML_E_ENCODING;
    touch();
    for (auto& a : attrs_)
        if (a.name.compare(name) == 0) {
            a.value = value ? value : "";
            return 0;
        }
    attrs_.push_back({TCString(name), TCString(value ? value : "")});
    return 0;
}

KResult TCXMLNode::setText(const char* text) {
    if (text && !isUtf8(text)) return XML_E_ENCODING;
    text_ = text ? text : "";
    touch();
    return 0;
}

void TCXMLNode::setIntAttr(const char* name, int64_t value) { setAttr(name, std::to_string(value).c_str()); }

void TCXMLNode::setBoolAttr(const char* name, bool value) { setAttr(name, value ? "Yes" : "No"); }

bool TCXMLNode::removeAttr(const char* name) {
    for (auto it = attrs_.begin(); it != attrs_.end(); ++it)
        if (it->name.compare(name) == 0) {
            attrs_.erase(it);
            touch();
            return true;
        }
    return false;
}

namespace {

// Splits "a\b.attr" into the node path and the attribute name (empty: text).
void splitValuePath(const char* path, std::string& nodePath, std::string& attr) {
    const std::string p(path ? path : "");
    const size_t slash = p.rfind('\\');
    const size_t dot = p.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        nodePath = p.substr(0, dot);
        attr = p.substr(dot + 1);
    } else {
        nodePath = p;
        attr.clear();
    }
}

}  // namespace

bool TCXMLNode::hasValue(const char* path) const {
    std::string np, attr;
    splitValuePath(path, np, attr);
    const TCXMLNode* n = findNode(np.c_str());
    if (!n) return false;
    return attr.empty() ? true : n->hasAttr(attr.c_str());
}

TCString TCXMLNode::getValue(const char* path, const char* def) const {
    std::string np, attr;
    splitValuePath(path, np, attr);
    const TCXMLNode* n = findNode(np.c_str());
    if (!n) return TCString(def);
    if (attr.empty()) return n->text_;
    return n->getStringAttr(attr.c_str(), def);
}

int32_t TCXMLNode::getIntValue(const char* path, int base, int32_t def) const {
    if (!hasValue(path)) return def;
    return getValue(path).asInt(base, def);
}

bool TCXMLNode::getBoolValue(const char* path, bool def) const {
    if (!hasValue(path)) return def;
    return xmlTextToBool(getValue(path).c_str(), def);
}

TCXMLNode* TCXMLNode::createChild(const char* name, const TCXMLAttrs* attrs) const {
    return new TCXMLNode(name, attrs);
}

TCXMLNode* TCXMLNode::duplicate() const {
    TCXMLNode* copy = parent_ ? parent_->createChild(c_str(), &attrs_) : createChild(c_str(), &attrs_);
    copy->setObject(object());
    copy->text_ = text_;
    copy->commentsBefore_ = commentsBefore_;
    copy->commentsInside_ = commentsInside_;
    copy->commentsAfter_ = commentsAfter_;
    for (const TCXMLNode* c : children_) copy->addNode(c->duplicate());
    return copy;
}

void TCXMLNode::touch() {
    TCXMLNode* t = top();
    if (t->hasSourceForm_) {
        t->hasSourceForm_ = false;
        t->sourceForm_.clear();
    }
}

namespace {

// Escapes of canonical XML: attribute values and texts.
void canonicalEscape(std::string& out, const TCString& s, bool attr) {
    for (char ch : s.str()) {
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>':
            if (attr) out += ch;
            else out += "&gt;";
            break;
        case '"':
            if (attr) out += "&quot;";
            else out += ch;
            break;
        case '\t':
            if (attr) out += "&#x9;";
            else out += ch;
            break;
        case '\n':
            if (attr) out += "&#xA;";
            else out += ch;
            break;
        case '\r': out += "&#xD;"; break;
        default: out += ch;
        }
    }
}

}  // namespace

bool TCXMLNode::feedCanonical(HeshFeed feed, void* context, const char* skipChild) const {
    std::string head = "<" + str();
    std::vector<const TCXMLAttr*> sorted;
    for (const auto& a : attrs_) sorted.push_back(&a);
    std::sort(sorted.begin(), sorted.end(),
              [](const TCXMLAttr* x, const TCXMLAttr* y) { return x->name.str() < y->name.str(); });
    for (const TCXMLAttr* a : sorted) {
        head += ' ';
        head += a->name.str();
        head += "=\"";
        canonicalEscape(head, a->value, true);
        head += '"';
    }
    head += '>';
    canonicalEscape(head, text_, false);
    if (!feed(context, head.data(), head.size())) return false;
    for (const TCXMLNode* c : children_) {
        if (skipChild && *skipChild && c->compareIC(skipChild) == 0) continue;
        if (!c->feedCanonical(feed, context, skipChild)) return false;
    }
    const std::string tail = "</" + str() + ">";
    return feed(context, tail.data(), tail.size());
}

bool TCXMLNode::calcHesh(HeshFeed feed, void* context, const char* skipChild) const {
    if (!feed) return false;
    if (hasSourceForm_ && !parent_ && !(skipChild && *skipChild))
        return feed(context, sourceForm_.c_str(), sourceForm_.length());
    return feedCanonical(feed, context, skipChild);
}

// ---------------------------------------------------------------- parsers

TCXMLBaseParser::TCXMLBaseParser(bool ownsTree) : ownsTree_(ownsTree) {}

TCXMLBaseParser::~TCXMLBaseParser() {
    if (ownsTree_) delete root_;
}

TCXMLNode* TCXMLBaseParser::createNode(const char* name, const TCXMLAttrs& attrs) {
    return new TCXMLNode(name, &attrs);
}

// Failure texts are formatted from translated formats (tr), so that the
// message boxes and logs that show them speak the interface language.

KResult TCXMLBaseParser::fail(KResult code, const TCString& text) {
    lastError_ = text;
    KV_HLogText(code, text.c_str());
    KRTL_SetLastMessage(text.c_str());
    return code;
}

KResult TCXMLBaseParser::load(const char* fileName) {
    const TCString name(fileName ? fileName : "");
    if (name.isEmpty()) return fail(XML_E_OPEN, tr("Не задано имя файла XML"));
    // Regular files only, opened without blocking (a FIFO must not hang us).
    std::string data;
    const int rc = readBuff(name.c_str(), data, kMaxDocumentSize);
    if (rc == -EFBIG)
        return fail(XML_E_TOOLARGE,
                    TCString::format(tr("Файл XML '%s' превышает допустимый размер").c_str(), name.c_str()));
    if (rc != 0)
        return fail(XML_E_OPEN,
                    TCString::format(tr("Файл XML '%s' не может быть прочитан: %s").c_str(), name.c_str(),
                                     rc == -EINVAL ? tr("это не обычный файл").c_str() : std::strerror(-rc)));
    const KResult r = loadText(data.data(), data.size(), name.c_str());
    if (r == 0) fileName_ = name;
    return r;
}

namespace {

TCString nodeText(xmlNodePtr n) {
    std::string t;
    for (xmlNodePtr c = n->children; c; c = c->next)
        if ((c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) && c->content)
            t += reinterpret_cast<const char*>(c->content);
    TCString s(std::move(t));
    s.trim();
    return s;
}

}  // namespace

KResult TCXMLBaseParser::loadText(const char* text, size_t len, const char* sourceName) {
    const TCString src(sourceName && *sourceName ? sourceName : "<text>");
    if (len > kMaxDocumentSize)
        return fail(XML_E_TOOLARGE,
                    TCString::format(tr("Файл XML '%s' превышает допустимый размер").c_str(), src.c_str()));
    if (!text || len == 0) return fail(XML_E_SYNTAX, TCString::format(tr("Файл XML '%s' пуст").c_str(), src.c_str()));

    xmlDocPtr doc = nullptr;
    TCString why;
    int line = 0;
    const KResult rc = readXmlDocSafely(text, len, &doc, why, &line);
    if (rc == XML_E_DTD)
        return fail(
            XML_E_DTD,
            TCString::format(tr("Файл XML '%s': описания DOCTYPE и сущностей не допускаются").c_str(), src.c_str()));
    if (rc == KR_E_NOMEMORY) return fail(KR_E_NOMEMORY, tr("Недостаточно памяти для разбора XML"));
    if (rc == XML_E_TOOLARGE)
        return fail(XML_E_TOOLARGE, TCString::format(tr("Файл XML '%s' содержит больше %zu элементов").c_str(),
                                                     src.c_str(), kMaxElements));
    if (rc != 0)
        return fail(XML_E_SYNTAX, TCString::format(tr("Нарушен формат XML в файле '%s', строка %d: %s").c_str(),
                                                   src.c_str(), line, why.c_str()));
    // Texts taken as written: the document's own canonical form is kept for
    // calcHesh, so a module's digest is that of its text, not of our tree.
    TCString sourceForm;
    bool hasSourceForm = false;
    if (!macroMode_) {
        // A document that cannot be canonicalised (a relative namespace)
        // still loads, without its own form; libxml2 may not print why.
        TXmlMessageCapture quiet;
        xmlChar* c14n = nullptr;
        const int n = xmlC14NDocDumpMemory(doc, nullptr, XML_C14N_1_0, nullptr, 0, &c14n);
        if (n >= 0 && c14n) {
            sourceForm.assign(reinterpret_cast<const char*>(c14n), static_cast<size_t>(n));
            hasSourceForm = true;
        }
        if (c14n) xmlFree(c14n);
    }

    // Build our tree iteratively (depth is bounded by libxml2's own limit).
    // Names keep their namespace prefixes and the declarations stay as
    // attributes, so that a saved tree reads back as it was.
    auto qualified = [](xmlNsPtr ns, const xmlChar* name) {
        TCString q;
        if (ns && ns->prefix) q = TCString(reinterpret_cast<const char*>(ns->prefix)) + ":";
        q += reinterpret_cast<const char*>(name);
        return q;
    };
    auto makeNode = [this, &qualified](xmlNodePtr x) {
        TCXMLAttrs attrs;
        for (xmlNsPtr ns = x->nsDef; ns; ns = ns->next)
            attrs.push_back(
                {ns->prefix ? TCString("xmlns:") + reinterpret_cast<const char*>(ns->prefix) : TCString("xmlns"),
                 TCString(ns->href ? reinterpret_cast<const char*>(ns->href) : "")});
        for (xmlAttrPtr a = x->properties; a; a = a->next) {
            xmlChar* v = xmlNodeListGetString(x->doc, a->children, 1);
            TCString value(v ? reinterpret_cast<const char*>(v) : "");
            if (v) xmlFree(v);
            if (macroMode_) substCFGMacroValues(value, CFGM_BUILTIN);
            attrs.push_back({qualified(a->ns, a->name), value});
        }
        TCXMLNode* n = createNode(qualified(x->ns, x->name).c_str(), attrs);
        TCString t = nodeText(x);
        if (macroMode_) substCFGMacroValues(t, CFGM_BUILTIN);
        n->text_ = t;
        return n;
    };
    xmlNodePtr xroot = xmlDocGetRootElement(doc);
    TCXMLNode* newRoot = makeNode(xroot);
    struct Frame {
        xmlNodePtr x;
        TCXMLNode* n;
    };
    std::vector<Frame> stack{{xroot, newRoot}};
    while (!stack.empty()) {
        Frame f = stack.back();
        stack.pop_back();
        // Children in order: push in reverse after adding in order. A
        // comment goes with the element after it, or stays inside at the end.
        std::vector<Frame> kids;
        std::vector<TCString> comments;
        for (xmlNodePtr c = f.x->children; c; c = c->next)
            if (c->type == XML_ELEMENT_NODE) {
                TCXMLNode* cn = makeNode(c);
                cn->commentsBefore_ = std::move(comments);
                comments.clear();
                f.n->addNode(cn);
                kids.push_back({c, cn});
            } else if (c->type == XML_COMMENT_NODE) {
                comments.emplace_back(c->content ? reinterpret_cast<const char*>(c->content) : "");
            }
        f.n->commentsInside_ = std::move(comments);
        for (auto it = kids.rbegin(); it != kids.rend(); ++it) stack.push_back(*it);
    }
    // The document's own comments, around its root.
    bool beforeRoot = true;
    for (xmlNodePtr c = doc->children; c; c = c->next) {
        if (c == xroot) beforeRoot = false;
        if (c->type != XML_COMMENT_NODE) continue;
        (beforeRoot ? newRoot->commentsBefore_ : newRoot->commentsAfter_)
            .emplace_back(c->content ? reinterpret_cast<const char*>(c->content) : "");
    }
    xmlFreeDoc(doc);
    newRoot->sourceForm_ = std::move(sourceForm);
    newRoot->hasSourceForm_ = hasSourceForm;

    if (ownsTree_) delete root_;
    root_ = newRoot;
    lastError_.clear();
    return 0;
}

namespace {

// Markup characters through the one escaper; white space that attribute
// normalisation would fold is written as references.
void escapeInto(std::string& out, const TCString& s, bool attr) {
    const std::string_view text = s.view();
    size_t run = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(text[i]);
        const char* ref = nullptr;
        bool drop = false;
        if (ch == '\r') ref = "&#13;";
        else if (ch == '\n') ref = attr ? "&#10;" : nullptr;
        else if (ch == '\t') ref = attr ? "&#9;" : nullptr;
        else if (ch != 0 && ch < 0x20) drop = true;  // control characters are not allowed in XML 1.0
        if (!ref && !drop) continue;
        appendEscapedMarkup(out, text.substr(run, i - run));
        if (ref) out += ref;
        run = i + 1;
    }
    appendEscapedMarkup(out, text.substr(run));
}

void writeComments(std::string& out, const std::vector<TCString>& comments, int depth) {
    for (const TCString& c : comments) {
        out.append(static_cast<size_t>(depth) * 2, ' ');
        out += "<!--";
        out += c.str();
        out += "-->\n";
    }
}

void writeNode(std::string& out, const TCXMLNode* n, int depth) {
    writeComments(out, n->commentsBefore(), depth);
    out.append(static_cast<size_t>(depth) * 2, ' ');
    out += '<';
    out += n->str();
    for (const auto& a : n->attrs()) {
        out += ' ';
        out += a.name.str();
        out += "=\"";
        escapeInto(out, a.value, true);
        out += '"';
    }
    if (n->nodesCount() == 0 && n->text().isEmpty() && n->commentsInside().empty()) {
        out += "/>\n";
        return;
    }
    out += '>';
    escapeInto(out, n->text(), false);
    if (n->nodesCount() || !n->commentsInside().empty()) {
        out += '\n';
        for (int i = 0; i < n->nodesCount(); ++i) writeNode(out, n->at(i), depth + 1);
        writeComments(out, n->commentsInside(), depth + 1);
        out.append(static_cast<size_t>(depth) * 2, ' ');
    }
    out += "</";
    out += n->str();
    out += ">\n";
}

}  // namespace

TCString TCXMLBaseParser::toText() const {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    if (root_) {
        writeNode(out, root_, 0);
        writeComments(out, root_->commentsAfter(), 0);
    }
    return TCString(std::move(out));
}

namespace {

// The first element or attribute name that is not a valid XML name, or null.
// A name that is not one, an attribute named twice, or a value that is not
// UTF-8: what would make the saved file unreadable.
// Names read from a file keep their namespace prefixes ("p:name").
bool savableName(const TCString& name) {
    return isValidXMLName(name.c_str()) || xmlValidateQName(reinterpret_cast<const xmlChar*>(name.c_str()), 0) == 0;
}

const TCString* badName(const TCXMLNode* n) {
    if (!savableName(*n)) return n;
    const TCXMLAttrs& attrs = n->attrs();
    for (size_t i = 0; i < attrs.size(); ++i) {
        if (!savableName(attrs[i].name) || !isUtf8(attrs[i].value.str())) return &attrs[i].name;
        for (size_t j = 0; j < i; ++j)
            if (attrs[j].name.compare(attrs[i].name.c_str()) == 0) return &attrs[i].name;
    }
    if (!isUtf8(n->text().str())) return n;
    for (int i = 0; i < n->nodesCount(); ++i)
        if (const TCString* b = badName(n->at(i))) return b;
    return nullptr;
}

}  // namespace

KResult TCXMLBaseParser::save(const char* fileName, unsigned) {
    const TCString target(fileName && *fileName ? TCString(fileName) : fileName_);
    if (!root_ || target.isEmpty()) return fail(XML_E_NOROOT, TCString(xmlErrorText(XML_E_NOROOT)));
    // A name that would make the file unreadable is refused before anything is written.
    if (const TCString* bad = badName(root_))
        return fail(XML_E_WRITE, TCString::format(tr("Файл XML '%s' не записан: недопустимое имя \"%s\"").c_str(),
                                                  target.c_str(), bad->c_str()));
    const TCString text = toText();
    const int w = writeWholeFile(target.c_str(), text.c_str(), text.length());
    const bool ok = w == 0;
    errno = -w;
    if (!ok)
        return fail(XML_E_WRITE, TCString::format(tr("Файл XML '%s' не может быть записан: %s").c_str(), target.c_str(),
                                                  std::strerror(errno)));
    if (!fileName_.length()) fileName_ = target;
    return 0;
}

void TCXMLNodeParser::setRoot(TCXMLNode* root) {
    if (root == root_) return;
    if (ownsTree_) delete root_;
    root_ = root;
}

TCXMLNode* TCXMLNodeParser::detachRoot() {
    TCXMLNode* r = root_;
    root_ = nullptr;
    return r;
}
