#include "requests/ObjectIdList.h"

#include <string>
#include <unordered_set>

#include "components/OidEdit.h"
#include "platform/core/x509/XObjects.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/Translation.h"

namespace {
constexpr int kMaxCandidates = 10000;
constexpr char kRootName[] = "objects";
}  // namespace

TZrXOIDNode::TZrXOIDNode(const char* name, const TCXMLAttrs* attrs) : TCXMLNode(name, attrs) {}

TCXMLNode* TZrXOIDNode::createChild(const char* name, const TCXMLAttrs*) const { return new TZrXOIDNode(name); }

bool TZrXOIDNode::cacheFromAttributes() {
    shortName_ = str();
    longName_ = getStringAttr("ln");
    oid_ = getStringAttr("oid");
    if (hasAttr("valtype")) valueType_ = xvtByName(getStringAttr("valtype").c_str());
    else valueType_ = static_cast<TCEditsEntryType>(getIntAttr("ekuValue", 16, 0));
    if (valueType_ < xvtNone || valueType_ > xvtSimple) valueType_ = xvtNone;
    critical_ = getBoolAttr("critical", false);
    return isValid();
}

bool TZrXOIDNode::isValid() const { return !shortName_.isEmpty() && !longName_.isEmpty() && !oid_.isEmpty(); }

bool TZrXOIDNode::registerObject(bool withFormat) {
    if (!isValid()) return false;
    if (registered_ != 0) return true;
    TZrXObjectRecord rec{shortName_.c_str(), longName_.c_str(), oid_.c_str(), 0, valueType_, critical_};
    registered_ = ZrXRegisterObject(&rec);
    if (registered_ != 0 && withFormat) registerExtensionFormat(extensionFormat().c_str());
    return registered_ != 0;
}

TCString TZrXOIDNode::extensionFormat() const {
    return TCString::format("%s%s?%s|%s:", critical_ ? "!" : "", shortName_.c_str(), xvtByType(valueType_),
                            longName_.c_str());
}

void TZrXOIDNode::setOID(const char* oid) {
    setAttr("oid", oid);
    cacheFromAttributes();
}

bool TZrXOIDNode::setShortName(const char* name) {
    if (!isValidXMLName(name)) return false;
    static_cast<TCString&>(*this) = name;
    cacheFromAttributes();
    return true;
}

void TZrXOIDNode::setLongName(const char* name) {
    setAttr("ln", name);
    cacheFromAttributes();
}

void TZrXOIDNode::setCritical(bool critical) {
    setAttr("critical", critical ? "Yes" : "No");
    cacheFromAttributes();
}

void TZrXOIDNode::setValueType(TCEditsEntryType type) {
    setAttr("valtype", xvtByType(type));
    cacheFromAttributes();
}

TCString TZrXOIDNode::valueTypeText() const { return getStringAttr("valtype"); }

// ---------------------------------------------------------------- list

TZrXOIDsList::TZrXOIDsList() : TCXMLNodeParser(true) { setRoot(new TZrXOIDNode(kRootName)); }

TCXMLNode* TZrXOIDsList::createNode(const char* name, const TCXMLAttrs& attrs) { return new TZrXOIDNode(name, &attrs); }

int TZrXOIDsList::load(const char* fileName, bool registerIt) {
    // Read beside the list first: a file that is no object list leaves the
    // list (and the file it would be saved to) as they were.
    TZrXOIDsList read;
    // The list's values are written back as they are: no macro expansion.
    read.setMacroMode(0);
    const KResult r = read.TCXMLBaseParser::load(fileName);
    if (r != 0) {
        KRTL_SetLastMessage(read.lastError().c_str());
        return static_cast<int>(r);
    }
    if (!read.getRoot() || read.getRoot()->compare(kRootName) != 0) {
        KRTL_SetLastMessage(TCFString(zrnTranslateString("Файл \"%s\" не является списком описателей объектов: "
                                                         "его корневой элемент \"%s\", а не \"%s\"")
                                          .c_str(),
                                      fileName, read.getRoot() ? read.getRoot()->c_str() : "", kRootName)
                                .c_str());
        return static_cast<int>(KR_E_FORMAT);
    }
    setMacroMode(0);
    setRoot(read.detachRoot());
    setFileName(fileName);
    for (int i = 0; i < count(); ++i)
        if (TZrXOIDNode* n = at(i)) n->cacheFromAttributes();
    if (registerIt) registerAll(true);
    return 0;
}

namespace {

// The value types the object dialog offers: "none" to "binary".
bool offeredValueType(TCEditsEntryType type) { return type >= xvtNone && type <= xvtBinary; }

// The older "ekuValue": a hexadecimal number the dialog offers, or null.
bool offeredEkuValue(const TCString& text) {
    TCString t(text);
    t.trim();
    if (t.isEmpty() || t.length() > 8) return false;
    unsigned value = 0;
    for (char c : t.str()) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0) return false;
        value = value * 16 + unsigned(digit);
    }
    return offeredValueType(static_cast<TCEditsEntryType>(value));
}

TCString line(const char* source, const char* a, const char* b = "") {
    return TCFString(zrnTranslateString(source).c_str(), a, b);
}

}  // namespace

std::vector<TCString> TZrXOIDsList::problems() const {
    std::vector<TCString> out;
    if (const TCString* base = baseOID(); base && !isValidOidText(base->str()))
        out.push_back(line("Базовый идентификатор \"%s\" не является объектным идентификатором", base->c_str()));
    for (int i = 0; i < count(); ++i) {
        const TZrXOIDNode* node = at(i);
        if (!node) continue;
        if (const TCString* oid = node->findAttr("oid"); oid && !isValidOidText(oid->str()))
            out.push_back(
                line("Объект \"%s\": \"%s\" не является объектным идентификатором", node->c_str(), oid->c_str()));
        if (const TCString* type = node->findAttr("valtype")) {
            TCString name(*type);
            name.trim();
            const TCEditsEntryType t = xvtByName(name.c_str());
            const bool known = t != xvtNone || name.equalsIC("none") || name.equalsIC("xvtNone");
            if (!known || !offeredValueType(t))
                out.push_back(line("Объект \"%s\": неизвестный тип значения \"%s\"", node->c_str(), type->c_str()));
        } else if (const TCString* eku = node->findAttr("ekuValue"); eku && !offeredEkuValue(*eku)) {
            out.push_back(line("Объект \"%s\": неизвестный тип значения \"%s\"", node->c_str(), eku->c_str()));
        }
    }
    return out;
}

int TZrXOIDsList::registerAll(bool withFormat) {
    int n = 0;
    for (int i = 0; i < count(); ++i) {
        TZrXOIDNode* node = at(i);
        if (node && node->cacheFromAttributes() && node->registerObject(withFormat)) ++n;
    }
    return n;
}

bool TZrXOIDsList::addObject(TZrXOIDNode* node, bool registerIt) {
    if (!node || !getRoot()) return false;
    node->cacheFromAttributes();
    if (!isValidXMLName(node->c_str())) return false;
    if (registerIt && !node->registerObject(true)) return false;
    getRoot()->addNode(node);
    if (saveList()) return true;
    // Not saved: the caller keeps the node, so the list must not hold it.
    getRoot()->detachNode(node);
    return false;
}

TZrXOIDNode* TZrXOIDsList::findByShortName(const char* name) const {
    for (int i = 0; i < count(); ++i)
        if (at(i) && at(i)->compare(name ? name : "") == 0) return at(i);
    return nullptr;
}

TZrXOIDNode* TZrXOIDsList::findByLongName(const char* name) const {
    for (int i = 0; i < count(); ++i)
        if (at(i) && at(i)->getStringAttr("ln").compareIC(name ? name : "") == 0) return at(i);
    return nullptr;
}

TZrXOIDNode* TZrXOIDsList::findByOID(const char* oid) const {
    for (int i = 0; i < count(); ++i)
        if (at(i) && at(i)->getStringAttr("oid").compare(oid ? oid : "") == 0) return at(i);
    return nullptr;
}

TCString TZrXOIDsList::nextFreeOID() const {
    const TCString* b = baseOID();
    const TCString base = b ? *b : TCString();
    std::unordered_set<std::string> used;
    for (int i = 0; i < count(); ++i)
        if (const TZrXOIDNode* node = at(i)) used.insert(node->getStringAttr("oid").str());
    for (int n = 1; n <= kMaxCandidates; ++n) {
        const TCString candidate = TCString::format("%s.%d", base.c_str(), n);
        if (!used.count(candidate.str())) return candidate;
    }
    return TCString();
}

const TCString* TZrXOIDsList::baseOID() const { return getRoot() ? getRoot()->findAttr("oid") : nullptr; }

bool TZrXOIDsList::setBaseOID(const char* oid) {
    if (!getRoot()) return false;
    getRoot()->setAttr("oid", oid);
    return saveList();
}

int TZrXOIDsList::count() const { return getRoot() ? getRoot()->nodesCount() : 0; }

TZrXOIDNode* TZrXOIDsList::at(int i) const {
    return getRoot() ? dynamic_cast<TZrXOIDNode*>(getRoot()->at(i)) : nullptr;
}

bool TZrXOIDsList::saveList() { return save(nullptr, 0) == 0; }

bool registerUserObjects(const char* folder) {
    const TCString file = makePathName(folder, "ZrX509_objects.xcfg");
    if (!fileExists(file.c_str())) return false;
    TZrXOIDsList list;
    if (list.load(file.c_str(), false) != 0) return false;
    list.registerAll(false);
    return true;
}

TZrXOIDsList& userOIDsList() {
    static TZrXOIDsList list;
    return list;
}

void resetUserOIDsList() {
    TZrXOIDsList& list = userOIDsList();
    list.setRoot(new TZrXOIDNode("objects"));
    list.setFileName(nullptr);
}
