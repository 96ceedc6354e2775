#include "app/AppConfig.h"

#include <memory>

#include "platform/core/config/CfgMacros.h"
#include "platform/core/config/FlagDescriptors.h"
#include "platform/core/config/Profiles.h"
#include "platform/core/x509/XObjects.h"
#include "platform/core/config/XmlHesh.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/Translation.h"
#include "requests/ObjectIdList.h"

TCXMLNodeParser& appConfigParser() {
    static TCXMLNodeParser parser(true);
    return parser;
}

TCString getAppConfigPath(TCString* path, TCString* ldapPath) {
    const TCString xcfg = getCFGMacroValue("XCFG");
    const TCString appl = getCFGMacroValue("APPL");
    TCString result;
    if (!appl.isEmpty()) {
        const TCString byAppl = makePathName(xcfg.c_str(), (appl + ".xcfg").c_str());
        if (fileExists(byAppl.c_str())) result = byAppl;
    }
    if (result.isEmpty()) {
        const TCString file = changeFileExt(getCFGMacroValue("APPLFILENAME").c_str(), ".xcfg");
        result = makePathName(xcfg.c_str(), file.c_str());
    }
    if (ldapPath) *ldapPath = makePathName(xcfg.c_str(), "ldap.xcfg");
    if (path) *path = result;
    return result;
}

TCString getAppConfigText(const char* path, const char* def) {
    const TCXMLNode* root = appConfigParser().getRoot();
    return root ? root->getValue(path, def) : TCString(def);
}

bool getAppConfigBool(const char* path, bool def) {
    const TCXMLNode* root = appConfigParser().getRoot();
    return root ? root->getBoolValue(path, def) : def;
}

namespace {

// A profile derived from a base: the base's values, the node's captions and changes.
TCXProfileDescriptor* deriveProfile(const TCXMLNode* node, const TCXProfileDescriptor* base) {
    auto copy = std::make_unique<TCXProfileDescriptor>(*base);
    copy->name = node->str();
    copy->flags = 0;
    copy->baseKind = base->kind;
    if (!assignProfileCaptions(copy.get(), node)) {
        KV_HLogFmtText(KR_E_FORMAT, "Описатель профиля \"%s\" отклонен: нет заголовка (caption)", node->c_str());
        return nullptr;
    }
    if (!changeProfile(copy.get(), node)) {
        KV_HLogFmtText(KR_E_FORMAT, "Описатель профиля \"%s\" отклонен: недопустимое значение атрибута",
                       node->c_str());
        return nullptr;
    }
    if (copy->flags == 0) copy->flags = base->flags;
    return copy.release();
}

}  // namespace

bool initAppProfiles() {
    const TCXMLNode* root = appConfigParser().getRoot();
    const TCXMLNode* profiles = root ? root->findNode("core\\profiles") : nullptr;
    if (!profiles) {
        KV_HLogFmtText(CFG_E_SECTION, "В конфигурации отсутствует секция описателей профилей \"%s\"!",
                       "core\\profiles");
        KRTL_SetLastMessageFmt("В конфигурации отсутствует секция описателей профилей \"%s\"", "core\\profiles");
        return false;
    }
    clearXProfiles();
    for (int i = 0; i < profiles->nodesCount(); ++i) {
        const TCXMLNode* node = profiles->at(i);
        const TCString basedOn = node->getStringAttr("basedOn");
        if (!basedOn.isEmpty()) {
            const TCXProfileDescriptor* base = _getDefPFList().findProfile(basedOn.c_str());
            if (!base) {
                KV_HLogFmtText(CFG_E_SECTION, "Не найден базовый дескриптор \"%s\" для дочернего профиля \"%s\"!",
                               basedOn.c_str(), node->c_str());
                continue;
            }
            if (TCXProfileDescriptor* d = deriveProfile(node, base)) _registerXProfile(d);
        } else {
            auto* d = new TCXProfileDescriptor;
            if (initProfile(d, node) == 1)
                _registerXProfile(d);
            else
                delete d;
        }
    }
    initDefaultProfile();
    return true;
}

bool initAppConfig() {
    if (!initAppProfiles()) return false;
    registerExtensionFormat(getAppConfigText("core\\defs\\defExtFormat.val", "").c_str());
    _initNewKeysItemList(getAppConfigText("app\\newKeys", "").c_str());
    _pfSetDefCertLifeDays(getAppConfigText("core\\defs\\defCertLifeDays.val", "365").asInt(10, 365));
    return true;
}

bool registerFlagDescriptors() {
    const TCXMLNode* root = appConfigParser().getRoot();
    const TCXMLNode* n = root ? root->findNode("core\\sysConsts\\flagDescriptors") : nullptr;
    if (!n && root) n = root->findNode("sysConsts\\flagDescriptors");
    if (!n) {
        KV_HLogFmtText(CFG_E_SECTION, "В конфигурации отсутствует системная секция \"%s\"!",
                       "sysConsts\\flagDescriptors");
        return false;
    }
    addXMLFBDescriptors(n);
    return true;
}

bool loadPrintKeys(const char* configPath) {
    const TCString file = trAddFNLangSuffix(changeFileName(configPath, "printKeys.xcfg").c_str());
    if (!fileExists(file.c_str())) return false;
    TCXMLNodeParser parser(true);
    if (isFailure(parser.load(file.c_str()))) return false;
    initXMLProfilePrints(parser.detachRoot());
    return true;
}

bool loadAppConfig(const char* path, int integrity) {
    registerUserObjects(extractFilePath(path).c_str());
    if (isFailure(appConfigParser().load(path))) return false;
    if (integrity == 1 && !verifyHesh(appConfigParser().getRoot(), "cpkix", 0)) {
        KV_HLogFmtText(CFG_E_INTEGRITY, "Нарушена целостность описателя системы!");
        KRTL_SetLastMessage("Нарушена целостность описателя системы");
        return false;
    }
    if (!initAppConfig()) return false;
    registerFlagDescriptors();
    loadPrintKeys(path);
    return true;
}
