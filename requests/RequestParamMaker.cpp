#include "requests/RequestParamMaker.h"

#include <algorithm>
#include <cstring>

#include "platform/core/config/CfgMacros.h"
#include "platform/core/container/SecureBytes.h"
#include "platform/core/x509/ObjectRegistry.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/Translation.h"
#include "platform/x509api/ZrX509Api.h"
#include "platform/x509api/ZrX509Csp.h"
#include "requests/EditUserParmsForm.h"

using zrx::container::failed;
using zrx::container::kErrCancelled;
using zrx::container::kErrNoCryptoParams;

namespace {

// Zeroes a password buffer when it goes out of scope.
struct PasswordBuffer {
    char text[kReqPasswordSize] = {};
    ~PasswordBuffer() { zrx::secureWipe(text, sizeof text); }
};

void copyPassword(char* to, const char* from) {
    const size_t n = std::min(std::strlen(from), kReqPasswordSize - 1);
    std::memcpy(to, from, n);
    to[n] = '\0';
}

bool ownerParametersDialog(TCRequestParamMaker* maker, const char* description, char* password) {
    return execEditUserParmsFormEx(maker, password, kReqPasswordSize, description);
}

TExecEditUserParmsFormFunc gDialog = ownerParametersDialog;

TCMakerCaValues moduleValues() { return TCMakerCaValues{getModulePath(), TCString()}; }

TCMakerCaValuesFunc gCaValues = moduleValues;

}  // namespace

bool execEditUserParmsForm(TCRequestParamMaker* maker, const char* description, char* password) {
    return gDialog(maker, description, password);
}

TExecEditUserParmsFormFunc setExecEditUserParmsForm(TExecEditUserParmsFormFunc func) {
    TExecEditUserParmsFormFunc old = gDialog;
    gDialog = func ? func : ownerParametersDialog;
    return old;
}

TCMakerCaValuesFunc setMakerCaValues(TCMakerCaValuesFunc func) {
    TCMakerCaValuesFunc old = gCaValues;
    gCaValues = func ? func : moduleValues;
    return old;
}

TCMakerCaValues makerCaValues() { return gCaValues(); }

KResult loadCryptoTemplateFile(TZrXP12Template* tmpl, TCXProfileDescriptor* profile) {
    TCString folder = getCFGMacroValue("APPLDATA");
    if (folder.isEmpty()) folder = makerCaValues().programFolder;
    TCString fileName;
    TCXProfileDescriptor::getTemplateFileName(fileName, profile, folder.c_str());
    // A template not installed with the user's configuration is the one
    // shipped in the program's own folder.
    TCString shipped;
    if (!fileExists(fileName.c_str()) &&
        TCXProfileDescriptor::getTemplateFileName(shipped, profile, makerCaValues().programFolder.c_str()) &&
        fileExists(shipped.c_str()))
        fileName = shipped;
    const KResult rc = loadP12Template(fileName.c_str(), tmpl);
    if (failed(rc))
        KV_HLogFmtText(rc, zrnTranslateString("Загрузка шаблона криптопараметров системы из файла \"%s\". %s!").c_str(),
                       fileName.c_str(), KRTL_GetTextMessage(rc).c_str());
    return rc;
}

TCRequestParamMaker::TCRequestParamMaker(TCXProfileDescriptor* profile, TZrX509Csp* container)
    : TCBaseRequestParamMaker(profile, container) {
    // The request is named after what it makes: the key profile.
    if (profile) setTitle(profile->getCaption().c_str());
}

TCRequestParamMaker::~TCRequestParamMaker() = default;

KResult TCRequestParamMaker::loadCryptoTemplate(TCXProfileDescriptor* p) {
    return loadCryptoTemplateFile(&cryptoTemplate(), p ? p : profile());
}

KResult TCRequestParamMaker::initCryptoPars(TCXProfileDescriptor* p) {
    if (signCandidateCount() > 0 || kaCandidateCount() > 0 || signParams() || kaParams()) return 0;
    if (KResult rc = loadCryptoTemplate(p); failed(rc)) return rc;
    const KResult rc = initCtxCryptoPars(profile() ? profile()->id : 0, 0, 0);
    // Refused before the owner's dialog: the reason goes to the result window.
    if (rc == zrx::container::kErrNoSigningKey)
        KV_HLogFmtText(rc,
                       zrnTranslateString("Ключи профиля \"%s\" не могут быть созданы: ключи связи его алгоритмов не "
                                          "подписывают собственный запрос, а ключи ЭП профиль не создает.")
                           .c_str(),
                       (profile() ? profile()->getCaption() : getProfileCaptionInt(0)).c_str());
    return rc;
}

KResult TCRequestParamMaker::putKAParams() {
    const int profileId = profile() ? profile()->id : 0;
    const auto* params = kaParams() ? kaParams()->params() : cryptoTemplate().getCryptoParamters(profileId, true);
    if (!params) {
        KV_HLogFmtText(
            kErrNoCryptoParams,
            zrnTranslateString("Инициализация криптопараметров для ключей связи профиля \"%s\". %s!").c_str(),
            (profile() ? profile()->getCaption() : getProfileCaptionInt(profileId)).c_str(),
            KRTL_GetTextMessage(kErrNoCryptoParams).c_str());
        return kErrNoCryptoParams;
    }
    // The extension gets its own copy: the parameters belong to the chosen set or the template.
    return x509Extensions().setRequestKAExtPars(params);
}

KResult TCRequestParamMaker::prepareRequest(TCFlags<unsigned int>* callerFlags, char* password,
                                            const char* description) {
    const TCFlags<unsigned int> caller = callerFlags ? *callerFlags : TCFlags<unsigned int>();

    // 1. The owner's address; an empty one cannot stand in the name.
    if (caller.isAny(kPrqSanEmail)) {
        const TCString email = makerCaValues().userEmail;
        if (!email.isEmpty()) {
            const TCString value = "email:" + email.str();
            if (KResult rc = editExtensions().setValueTo(NID_subject_alt_name, false, value.c_str()); failed(rc))
                return rc;
        }
    }

    // 2. Crypto parameters.
    if (KResult rc = initCryptoPars(profile()); failed(rc)) return rc;

    // 3. Description.
    TCString text;
    if (description) text = description;
    else if (signParams())
        text = title().str() + zrnTranslateString(", алгоритм: ").str() + signParams()->caption().str();
    else text = title();

    // 4. Maker flags.
    flags().set(caller.value() & kPrqCopied);
    flags().set(kRpmChangeCaption, caller.isAny(kPrqChangeCaption));
    flags().set(kRpmStartupPassword, caller.isAny(kPrqStartupPassword));

    // 5. Dialog, 6. container password.
    const bool withDialog = !caller.isAny(kPrqNoDialog) || caller.isAny(kPrqStartupPassword);
    if (withDialog) {
        PasswordBuffer entered;
        const bool asked = caller.isAny(kPrqAskPassword);
        const char* caption = text.isEmpty() ? nullptr : text.c_str();  // none: the dialog's own
        if (!execEditUserParmsForm(this, caption, asked ? entered.text : nullptr)) return kErrCancelled;
        entered.text[kReqPasswordSize - 1] = '\0';
        TCBaseUserKeysContext* ctx = getCsp() ? getCsp()->container() : nullptr;
        // No password entered leaves the container's password as it is.
        const bool haveNew = asked && entered.text[0] != '\0';
        if (ctx && haveNew) {
            if (password) {
                if (KResult rc = ctx->changePassword(password, entered.text, 0); failed(rc)) return rc;
                copyPassword(password, entered.text);
            } else if (caller.isAny(kPrqStartupPassword)) {
                const KResult rc = ctx->needChangeStatupPassword() == 1
                                       ? ctx->changePassword(kStartupPassword, entered.text, 0)
                                       : ctx->setPassword(entered.text, 0);
                if (failed(rc)) return rc;
            }
        }
    }

    // 7. Extensions.
    if (pattern()) {
        if (KResult rc = x509Extensions().mergeExts(editExtensions()); failed(rc)) return rc;
        if (KResult rc = x509Extensions().delEKUTempFlag(); failed(rc)) return rc;
        if (KResult rc = x509Extensions().mergeExt(fullExtensions(), "certificatePolicies"); failed(rc)) return rc;
    } else {
        if (KResult rc = fullExtensions().merge(editExtensions(), true); failed(rc)) return rc;
        if (KResult rc = x509Extensions().mergeExts(fullExtensions()); failed(rc)) return rc;
    }

    TCBaseUserKeysContext* ctx = getCsp() ? getCsp()->container() : nullptr;
    // 8. Storage name of a device medium; the look-up never fails the preparation.
    if (ctx && !ctx->isFile()) {
        if (storageName_.isEmpty()) ZrX_FileExistsEx(ctx->fileName().c_str(), ctx->dp(), &storageName_);
        if (!storageName_.isEmpty())
            x509Extensions().addExt(zrxNid(ZrXObject::StorageName), storageName_.c_str(), nullptr);
    }

    // 9. Device key usage.
    if (ctx && ctx->isActiveMode()) {
        TCString medium = storageName_;
        if (medium.isEmpty()) {
            const TCString& location = ctx->fileName();
            const int colon = location.pos(':');
            medium = colon >= 0 ? location.sub(size_t(colon) + 1) : location;
        }
        if (!medium.isEmpty() && (!profile() || profile()->id != 1)) {
            const TZrXTMediaDescriptor* d = ZrX_GetTMediaDescriptor(medium.c_str());
            if (d && !d->keyUsage.isEmpty()) {
                TCString value = d->keyUsage;
                TCString device = ctx->deviceText();
                device.trim();
                if (d->mediaType == 4 && device.pos("338") >= 0) value = zrxShortName(ZrXObject::TokenAuthor338);
                setFlagsValue(&fullExtensions(), "extendedKeyUsage", value.c_str(), 1, 1, "set", false);
                // The request's extensions were taken above: the usage goes in with them.
                x509Extensions().mergeExt(fullExtensions(), "extendedKeyUsage");
            }
        }
    }

    // 10. Key-agreement parameters.
    if (flags().isSet(kRpmKAParams))
        if (KResult rc = putKAParams(); failed(rc)) return rc;
    return 0;
}
