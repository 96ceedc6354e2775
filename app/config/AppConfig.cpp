#include "app/config/AppConfig.h"

#include <memory>
#include <string>

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

namespace {
// The configuration's file in a folder: "<APPL>.xcfg" when it exists there,
// else the program file's name with ".xcfg" (empty when neither exists and
// mustExist is set).
TCString configFileIn(const TCString& folder, bool mustExist) {
    const TCString appl = getCFGMacroValue("APPL");
    if (!appl.isEmpty()) {
        const TCString byAppl = makePathName(folder.c_str(), (appl + ".xcfg").c_str());
        if (fileExists(byAppl.c_str())) return byAppl;
    }
    const TCString file = changeFileExt(getCFGMacroValue("APPLFILENAME").c_str(), ".xcfg");
    const TCString byProgram = makePathName(folder.c_str(), file.c_str());
    return !mustExist || fileExists(byProgram.c_str()) ? byProgram : TCString();
}
}  // namespace

TCString shippedConfigFolder() { return makePathName(getCFGMacroValue("PROGRAMDIR").c_str(), "xcfg"); }

bool isShippedAppConfig(const char* path) {
    if (!path || !*path || getCFGMacroValue("PROGRAMDIR").isEmpty()) return false;
    auto folderOf = [](std::string f) {
        while (f.size() > 1 && f.back() == '/') f.pop_back();
        return f;
    };
    return folderOf(extractFilePath(path).str()) == folderOf(shippedConfigFolder().str());
}

TCString getAppConfigPath(TCString* path, TCString* ldapPath) {
    const TCString xcfg = getCFGMacroValue("XCFG");
    TCString result = configFileIn(xcfg, false);
    // None installed: the configuration shipped with the program, as the
    // data of an installed package is read from where it was installed.
    if (!fileExists(result.c_str()) && !getCFGMacroValue("PROGRAMDIR").isEmpty())
        if (TCString shipped = configFileIn(shippedConfigFolder(), true); !shipped.isEmpty()) result = shipped;
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
        KV_HLogFmtText(KR_E_FORMAT, "Описатель профиля \"%s\" отклонен: недопустимое значение атрибута", node->c_str());
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
            if (initProfile(d, node) == 1) _registerXProfile(d);
            else delete d;
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
    // The user's own objects live with the user's configuration, never in
    // the program's folder.
    const TCString objects = isShippedAppConfig(path) ? getCFGMacroValue("XCFG") : extractFilePath(path);
    registerUserObjects(objects.c_str());
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
