#include "update/UpdateList.h"

#include "platform/core/config/PathMacros.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/core/x509/XmlSigner.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/Translation.h"
#include "update/UpdateLog.h"

namespace {

constexpr KResult kExtCertUnreadable = 0xC0800002u;
constexpr KResult kMissing = 0xC0800005u;
constexpr KResult kFormat = 0xC0800049u;
constexpr KResult kNoSigner = 0xC080002Au;
constexpr size_t kSignerBuffer = 16384;

// The extra signer certificate: one object for the process.
TZrX509& extCertObject() {
    static TZrX509 cert;
    return cert;
}

// A destination must be a full path once its macros are substituted. Lists
// written for Windows separate folders with '\', which stands for ours.
bool substituteDest(TCString& dest) {
    const TCString written = dest;
    dest.substChar('\\', '/');
    if (!substCFGMacroValues(dest, CFGM_BUILTIN)) {
        KV_HLogFmtText(kFormat, zrnTranslateString("Ошибка замены макроподстановок в строке  '%s'!").c_str(),
                       written.c_str());
        return false;
    }
    if (!dest.startsWith("/")) {
        KV_HLogFmtText(kFormat, zrnTranslateString("Папка записи обновления '%s' не является полным путем!").c_str(),
                       dest.c_str());
        return false;
    }
    return true;
}

int32_t actionOf(const TCString& mode) {
    if (mode.equalsIC("copy")) return UPF_ACTION_COPY;
    if (mode.equalsIC("run")) return UPF_ACTION_RUN;
    if (mode.equalsIC("notify")) return UPF_ACTION_NOTIFY;
    return UPF_ACTION_NONE;
}

}  // namespace

TCUPFileInfo::TCUPFileInfo(const char* name) : TCString(name) {}

TCUpdateFilesList::TCUpdateFilesList(const char* name) {
    if (name && *name) {
        appName = name;
        registerAppDataMacros(name);
    }
}

TCUpdateFilesList::~TCUpdateFilesList() {
    freeAll();
    root_.reset();
    listFile.clear();
    appName.clear();
    updatesFolder.clear();
    versionsFile.clear();
    rootHref.clear();
    settings.reset();
    closeUpdateLog();
}

KResult missingEntryError(const char* file, const char* section, const char* attribute) {
    if (attribute)
        KV_HLogFmtText(kFormat, zrnTranslateString("Отсутствует атрибут '%s' в секции '%s' файла '%s'!").c_str(),
                       attribute, section ? section : "", file ? file : "");
    else
        KV_HLogFmtText(kFormat, zrnTranslateString("Отсутствует секция '%s' в файле '%s'!").c_str(),
                       section ? section : "", file ? file : "");
    return kFormat;
}

bool TCUpdateFilesList::loadExtCert() {
    extCert_ = nullptr;
    const TCString path = extCertFileName(settings);
    if (path.isEmpty()) return true;
    TZrX509& cert = extCertObject();
    if (cert.loadFromFile(path.c_str())) {
        extCert_ = &cert;
        return true;
    }
    KV_HLogFmtText(kExtCertUnreadable,
                   zrnTranslateString("Ошибка чтения сертификата для проверки обновлений из файла '%s'!").c_str(),
                   path.c_str());
    return false;
}

KResult builtInSigner(TZrX509& out, void*, const TCASN1OctetString& keyId) {
    KResult code = kNoSigner;
    const TCStringList& table = builtInSignerCertificates();
    for (int i = 0; i < table.count(); ++i) {
        std::string der(kSignerBuffer, '\0');
        size_t size = der.size();
        TZrX509 cert;
        if (!table[i].fromBase64(der.data(), &size) || isFailure(cert.decode(der.data(), size))) {
            code = kFormat;
            continue;
        }
        if (cert.getKeyID() == keyId) {
            out = cert;
            return 0;
        }
        code = kNoSigner;
    }
    return code;
}

KResult signerLookup(TZrX509& out, void* context, const TCASN1OctetString& keyId) {
    auto* list = static_cast<TCUpdateFilesList*>(context);
    if (list) list->signerKeyId_ = keyId;
    if (list && list->extCert_ && list->extCert_->getKeyID() == keyId) {
        out = *list->extCert_;
        return 0;
    }
    return builtInSigner(out, context, keyId);
}

KResult verifyAndRead(TCUpdateFilesList& list, const char* path) {
    TZrXMLSigner signer(signerLookup, &list);
    list.signerKeyId_.clear();
    const KResult r = signer.verifyXMLFile(path);
    if (r != 0) {
        // The code's text, and the verifier's reason beside it. No signer
        // found has a text of its own: the code's generic one would say
        // nothing about the signature.
        TCString text =
            TCString::format(zrnTranslateString("Загрузка и проверка реестра обновлений \"%s\"").c_str(), path);
        if (r == kNoSigner)
            text.cat_printf(". %s", TCString::format(zrnTranslateString("Нет доверенного сертификата подписчика с "
                                                                        "идентификатором ключа %s")
                                                         .c_str(),
                                                     list.signerKeyId_.toHex().c_str())
                                        .c_str());
        else {
            text.cat_printf(". %s", KRTL_GetTextMessage(r).c_str());
            if (!signer.lastError().isEmpty()) text.cat_printf(": %s", signer.lastError().c_str());
        }
        KV_HLogText(r, text.c_str());
        return r;
    }
    // Only the signed element is read.
    TCXMLNode* object = signer.getObject(false);
    TCXMLNode* au =
        object && object->compare("autoupdate") == 0 ? object : (object ? object->findNode("autoupdate") : nullptr);
    if (!au) {
        KV_HLogFmtText(
            kMissing,
            zrnTranslateString("В реестре обновлений \"%s\" отсутствует требуемый объект 'autoupdate'!").c_str(), path);
        return kMissing;
    }
    list.setRoot(au->duplicate());
    list.listFile = path;
    return list.readList(path);
}

bool TCUpdateFilesList::readApplicationFiles(const char* file, TCStringList& filter) {
    const TCXMLNode* apps = root_->findNode("applications");
    if (!apps) return missingEntryError(file, "applications", nullptr) == 0;
    const TCXMLNode* app = apps->findChild(appName.c_str());
    if (!app) return missingEntryError(file, appName.c_str(), nullptr) == 0;
    filter.assignText(app->getStringAttr("files").c_str(), ',');
    for (auto& item : filter) item->trim();
    if (filter.isEmpty()) return missingEntryError(file, appName.c_str(), "files") == 0;
    return true;
}

KResult TCUpdateFilesList::readList(const char* path) {
    if (!root_) return missingEntryError(path, "autoupdate", nullptr);
    rootHref = root_->getStringAttr("href");
    if (!substCFGMacroValues(rootHref, CFGM_BUILTIN)) {
        KV_HLogFmtText(kFormat, zrnTranslateString("Ошибка замены макроподстановок в строке  '%s'!").c_str(),
                       rootHref.c_str());
        return kFormat;
    }
    const TCXMLNode* files = root_->findNode("files");
    if (!files) return missingEntryError(path, "files", nullptr);

    // With an application name the filter is in force even when it stayed
    // empty: then no file is selected.
    const bool filtered = !appName.isEmpty();
    TCStringList filter;
    if (filtered) readApplicationFiles(path, filter);

    for (int g = 0; g < files->nodesCount(); ++g) {
        const TCXMLNode* group = files->at(g);
        TCUPFileInfo tmpl;
        tmpl.dest = group->getStringAttr("dest");
        const bool destUsable = tmpl.dest.isEmpty() || substituteDest(tmpl.dest);
        tmpl.href = group->getStringAttr("href");
        if (tmpl.href.isEmpty()) tmpl.href = rootHref;
        tmpl.kind = group->getStringAttr("type").equalsIC("xml") ? UPF_KIND_XML : UPF_KIND_FILE;
        tmpl.action = actionOf(group->getStringAttr("mode"));
        tmpl.revisionKind =
            group->getStringAttr("revision").equalsIC("version") ? UPF_REVISION_VERSION : UPF_REVISION_DATE;
        tmpl.fileFlags.set(UPF_EXIT, group->getBoolAttr("exit", false));
        if (filtered) tmpl.fileFlags.set(UPF_EXCLUSIVE, group->getBoolAttr("exclusive", false));
        const TCString groupDescription = group->getStringAttr("description");

        for (int f = 0; f < group->nodesCount(); ++f) {
            const TCXMLNode* file = group->at(f);
            if (filtered && filter.find(file->c_str(), true) < 0) continue;
            if (!destUsable) continue;  // refused with a record above
            auto* e = new TCUPFileInfo(file->c_str());
            e->owner = this;
            e->dest = tmpl.dest;
            e->href = tmpl.href;
            e->kind = tmpl.kind;
            e->fileFlags = tmpl.fileFlags;
            e->action = tmpl.action;
            e->revisionKind = tmpl.revisionKind;
            e->node = file;
            e->description = file->getStringAttr("description");
            if (e->description.isEmpty() && !groupDescription.isEmpty())
                e->description = TCString::format("%s %s", groupDescription.c_str(), file->c_str());
            e->version = file->getStringAttr("version");
            file->getStringAttr("hesh", "0").asBuffer(e->hash, sizeof e->hash);
            e->revision = file->getStringAttr("revision", "0").asUInt(16, 0);
            e->size = file->getStringAttr("size").trim().asUInt64(10, 0);
            if (e->fileFlags.isSet(UPF_EXCLUSIVE)) atInsertItem(0, e);
            else addItem(e);
        }
    }
    return 0;
}
