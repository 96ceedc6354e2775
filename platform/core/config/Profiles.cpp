#include "platform/core/config/Profiles.h"

#include <algorithm>
#include <memory>

#include "platform/runtime/Log.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/Translation.h"

namespace {

int g_defLifeDays = 365;
TCXProfileDescriptor* g_default = nullptr;
std::unique_ptr<TCXMLNode> g_prints;

TCStringList splitList(const char* text) {
    TCString t(text ? text : "");
    t.substChar(';', ',');
    t.substChar('\t', ',');
    t.substChar('\n', ',');
    t.substChar('\r', ',');
    t.substChar(' ', ',');
    TCStringList parts;
    parts.assignText(t, ',');
    TCStringList out;
    for (int i = 0; i < parts.count(); ++i) {
        TCString p = parts[i];
        p.trim();
        if (!p.isEmpty()) out.add(p);
    }
    return out;
}

void rejectProfile(const TCXMLNode* node, const char* why) {
    KV_HLogFmtText(KR_E_FORMAT, "Описатель профиля \"%s\" отклонен: %s", node ? node->c_str() : "",
                   zrnTranslateString(why).c_str());
}

}  // namespace

TCString TCXProfileDescriptor::getCaption() const { return zrnTranslateString(caption.c_str()); }

int TCXProfileDescriptor::days() const { return validityDays > 0 ? validityDays : _pfGetDefCertLifeDays(); }

void TCXProfileDescriptor::setFrames(const char* commaSeparated) {
    frames.clear();
    TCStringList l = splitList(commaSeparated);
    for (int i = 0; i < l.count(); ++i) frames.add(l[i]);
}

bool TCXProfileDescriptor::getTemplateFileName(TCString& out, const TCXProfileDescriptor* profile, const char* folder) {
    out.clear();
    if (!profile || profile->templateFile.isEmpty()) return false;
    if (profile->templateFile.at(0) == '/') {
        out = profile->templateFile;
        return true;
    }
    TCString f(folder ? folder : "");
    while (f.length() > 1 && f.endsWith("/")) f = f.sub(0, f.length() - 1);
    out = f.isEmpty() ? TCString("xcfg/") : f + "/xcfg/";
    out += profile->templateFile;
    return true;
}

TCString getDefTemplateFileName(const char* folder) {
    TCXProfileDescriptor d;
    d.templateFile = "defTemplate.xcfg";
    TCString out;
    TCXProfileDescriptor::getTemplateFileName(out, &d, folder);
    return out;
}

// ---------------------------------------------------------------- list

TCXProfilesList::~TCXProfilesList() { clear(); }

TCXProfileDescriptor* TCXProfilesList::at(int i) const {
    return i >= 0 && static_cast<size_t>(i) < items_.size() ? items_[static_cast<size_t>(i)] : nullptr;
}

TCXProfileDescriptor* TCXProfilesList::findProfile(const char* name) const {
    if (!name || !*name) return nullptr;
    for (auto* p : items_)
        if (p->name.compareIC(name) == 0) return p;
    return nullptr;
}

TCXProfileDescriptor* TCXProfilesList::findById(int id) const {
    for (auto* p : items_)
        if (p->id == id) return p;
    return nullptr;
}

TCXProfileDescriptor* TCXProfilesList::findByKind(int kind) const {
    for (auto* p : items_)
        if (p->kind == kind) return p;
    return nullptr;
}

void TCXProfilesList::add(TCXProfileDescriptor* p) {
    if (!p) return;
    for (auto& q : items_)
        if (q->name.compareIC(p->name) == 0 && !p->name.isEmpty()) {
            if (q == p) return;
            if (owns_) delete q;
            q = p;
            return;
        }
    items_.push_back(p);
}

void TCXProfilesList::clear() {
    if (owns_)
        for (auto* p : items_) delete p;
    items_.clear();
}

// ---------------------------------------------------------------- from XML

bool assignProfileCaptions(TCXProfileDescriptor* profile, const TCXMLNode* node) {
    if (!profile || !node) return false;
    TCString c = node->getStringAttr("caption");
    c.trim();
    if (c.isEmpty()) return false;
    profile->caption = c;
    return true;
}

bool changeProfile(TCXProfileDescriptor* profile, const TCXMLNode* node) {
    if (!profile || !node) return false;
    if (node->hasAttr("id")) {
        int32_t id = 0;
        if (!node->findAttr("id")->asInt(&id, 10) || id <= 0) return false;
        profile->id = id;
        if (!node->hasAttr("kind")) profile->kind = id;
    }
    if (node->hasAttr("kind")) {
        int32_t k = 0;
        if (!node->findAttr("kind")->asInt(&k, 10) || k <= 0) return false;
        profile->kind = k;
    }
    if (node->hasAttr("flags")) {
        uint32_t f = 0;
        TCString t = *node->findAttr("flags");
        t.trim();
        const bool hex = t.startsWithIC("0x");
        if (!t.asUInt(&f, hex ? 16 : 10)) return false;
        profile->flags |= f;
    }
    if (node->hasAttr("keys")) {
        TCStringList keys = splitList(node->findAttr("keys")->c_str());
        uint32_t f = 0;
        for (int i = 0; i < keys.count(); ++i) {
            if (keys[i].equalsIC("sign")) f |= PF_SIGN_KEYS;
            else if (keys[i].equalsIC("ka")) f |= PF_KA_KEYS;
            else return false;
        }
        if (!f) return false;
        profile->flags = (profile->flags & ~(PF_SIGN_KEYS | PF_KA_KEYS)) | f;
    }
    if (node->hasAttr("days")) {
        int32_t d = 0;
        if (!node->findAttr("days")->asInt(&d, 10) || d < 1 || d > 36500) return false;
        profile->validityDays = d;
    }
    if (node->hasAttr("template")) {
        TCString t = *node->findAttr("template");
        t.trim();
        if (t.isEmpty() || t.pos("..") >= 0) return false;
        profile->templateFile = t;
    }
    if (node->hasAttr("frames")) profile->setFrames(node->findAttr("frames")->c_str());
    if (node->hasAttr("eku")) {
        profile->ekuList = *node->findAttr("eku");
        profile->ekuList.trim();
    }
    bool extsSeen = false;
    for (int i = 0; i < node->nodesCount(); ++i) {
        const TCXMLNode* c = node->at(i);
        if (c->compare("ext") != 0) continue;
        if (!extsSeen) {
            profile->extFormats.clear();
            extsSeen = true;
        }
        TCString f = c->getStringAttr("format");
        f.trim();
        if (!f.isEmpty()) profile->extFormats.add(f);
    }
    return true;
}

int initProfile(TCXProfileDescriptor* profile, const TCXMLNode* node) {
    if (!profile || !node) return 0;
    profile->name = node->str();
    if (!assignProfileCaptions(profile, node)) {
        rejectProfile(node, "нет заголовка (caption)");
        return 0;
    }
    if (!changeProfile(profile, node)) {
        rejectProfile(node, "недопустимое значение атрибута");
        return 0;
    }
    if (profile->id <= 0) {
        rejectProfile(node, "нет идентификатора (id)");
        return 0;
    }
    if (!(profile->flags & (PF_SIGN_KEYS | PF_KA_KEYS))) {
        rejectProfile(node, "не заданы назначения ключей (keys)");
        return 0;
    }
    if (profile->templateFile.isEmpty()) {
        rejectProfile(node, "не задан шаблон криптопараметров (template)");
        return 0;
    }
    return 1;
}

// ---------------------------------------------------------------- globals

TCXProfilesList& _getDefPFList() {
    static TCXProfilesList list(true);
    return list;
}

TCXProfilesList& _newKeysItemList() {
    static TCXProfilesList list(false);
    return list;
}

bool _registerXProfile(TCXProfileDescriptor* profile) {
    if (!profile || profile->name.isEmpty()) return false;
    // A replaced profile must not stay among the new-key items or as default.
    if (TCXProfileDescriptor* old = _getDefPFList().findProfile(profile->name.c_str()); old && old != profile) {
        _newKeysItemList().clear();
        if (g_default == old) g_default = nullptr;
    }
    _getDefPFList().add(profile);
    return true;
}

TCXProfileDescriptor* _getXProfileAt(int index) { return _getDefPFList().at(index); }

TCXProfileDescriptor* _getXProfileInt(int kind) { return _getDefPFList().findByKind(kind); }

TCString getProfileCaptionInt(int id) {
    const TCXProfileDescriptor* p = _getDefPFList().findById(id);
    return p ? p->getCaption() : TCString();
}

int _initNewKeysItemList(const char* text) {
    TCXProfilesList& items = _newKeysItemList();
    items.clear();
    TCStringList names = splitList(text);
    for (int i = 0; i < names.count(); ++i) {
        TCXProfileDescriptor* p = _getDefPFList().findProfile(names[i].c_str());
        if (!p && names[i].isNumber(10)) p = _getDefPFList().findById(names[i].asInt(10, 0));
        if (!p) {
            KV_HLogFmtText(KR_E_NOTFOUND, "Не найден профиль \"%s\" для создания новых ключей", names[i].c_str());
            continue;
        }
        bool dup = false;
        for (int j = 0; j < items.count(); ++j) dup = dup || items.at(j) == p;
        if (!dup) items.add(p);
    }
    return items.count();
}

void _pfSetDefCertLifeDays(int days) {
    if (days >= 1) g_defLifeDays = days;
}

int _pfGetDefCertLifeDays() { return g_defLifeDays; }

void initXMLProfilePrints(TCXMLNode* tree) { g_prints.reset(tree); }

const TCXMLNode* getXMLProfilePrints() { return g_prints.get(); }

TCXProfileDescriptor* initDefaultProfile() {
    g_default = nullptr;
    TCXProfilesList& l = _getDefPFList();
    for (int i = 0; i < l.count() && !g_default; ++i)
        if (l.at(i)->hasSignKeys()) g_default = l.at(i);
    if (!g_default) g_default = l.at(0);
    return g_default;
}

TCXProfileDescriptor* getDefaultProfile() { return g_default; }

void clearXProfiles() {
    _newKeysItemList().clear();
    _getDefPFList().clear();
    g_default = nullptr;
    g_defLifeDays = 365;
    g_prints.reset();
}
