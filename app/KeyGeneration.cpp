#include "app/KeyGeneration.h"

#include <memory>
#include <utility>

#include "dialogs/AppServices.h"
#include "app/containers/CtxKeyViewExFrame.h"
#include "locations/CtxPromptFrame.h"
#include "dialogs/LogGrabView.h"
#include "dialogs/LogGrabber.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/core/config/Profiles.h"
#include "platform/core/x509/ExtList.h"
#include "platform/core/x509/ObjectRegistry.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/core/x509/ZrX509Req.h"
#include "platform/framework/Controls.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/TimeUtils.h"
#include "platform/runtime/Translation.h"
#include "platform/x509api/ZrX509Csp.h"
#include "requests/GenFlags.h"
#include "views/RegCertFormEx.h"
#include "requests/RequestParamMaker.h"
#include "dialogs/FileDialogs.h"

namespace {

// Runs an action when the scope is left, whichever way; run() does it early.
class ScopeExit {
public:
    explicit ScopeExit(std::function<void()> fn) : fn_(std::move(fn)) {}
    ~ScopeExit() { run(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    void run() {
        if (auto fn = std::exchange(fn_, nullptr)) fn();
    }
    void dismiss() { fn_ = nullptr; }

private:
    std::function<void()> fn_;
};

bool rollsBack(KResult rc) { return isFailure(rc) || rc == kGenRefused; }

// Our own extensions a request carries that other authorities do not know.
const ZrXObject kNonStandardExtensions[] = {ZrXObject::ProfileExt, ZrXObject::StorageName, ZrXObject::KAParams};

const char kRequestFilter[] = "Файлы заявок на сертификат (*.p10)|*.p10|PEM-файлы .pem)|*.pem|Все файлы|*.*";
const char kCertFilter[] = "Файлы сертификатов (*.crt)|*.crt|PEM-файлы .pem)|*.pem|Все файлы|*.*";

// " ЭП" or " связи", translated.
TCString kindWord(bool forSign) { return TCString(" ") + tr(forSign ? "ЭП" : "связи"); }

}  // namespace

// ---- rules

unsigned int generationMakerFlags(unsigned int requestFlags) {
    return (requestFlags & kPrqCopied) | kRpmDestination | kRpmModeBoxes | kRpmStartCertOff | kRpmStartCertFixed;
}

unsigned int keyKindsOfMakerFlags(unsigned int makerFlags) {
    unsigned int kinds = 0;
    if (makerFlags & kRpmSignKeys) kinds |= kKeyKindSign;
    if (makerFlags & kRpmKAKeys) kinds |= kKeyKindKA;
    return kinds;
}

void removeNonStandardExtensions(TCBaseRequestParamMaker& maker) {
    TX509v3ExtList& exts = maker.x509Extensions();
    for (ZrXObject o : kNonStandardExtensions) exts.remove(zrxNid(o));
    if (TCXEditsEntry* e = maker.fullExtensions().findByName(zrxShortName(ZrXObject::ProfileID)))
        maker.fullExtensions().remove(e);
    if (maker.profile() && maker.profile()->kind == 1) exts.remove(zrxNidOf("extendedKeyUsage"));
}

TCString requestFileName(const TCString& base, const TZrX509Base& request) {
    return base + (request.isForSign() ? ".p10" : "_ka.p10");
}

TCString certificateFileName(const TCString& base, const TZrX509Base& cert) {
    return base + (cert.isForKeyAgreement() == 1 ? "_ka.crt" : ".crt");
}

const TCXProfileDescriptor* requestProfile(const TZrX509Csp& csp, const TZrX509Req& request) {
    const TCSBaseKeysList& list = csp.container()->ctx_RequestsList;
    for (int i = 0; i < list.count(); ++i)
        if (const TZrX509ReqCtx* r = list.asReqCtx(i); r && r->request() == &request && r->profile() >= 0)
            if (const TCXProfileDescriptor* p = _getDefPFList().findById(r->profile())) return p;
    // A request read from elsewhere names its profile in its subject.
    if (const char* name = request.profile()) {
        if (const TCXProfileDescriptor* p = _getDefPFList().findProfile(name)) return p;
        int32_t id = 0;
        if (TCString(name).asInt(&id)) return _getDefPFList().findById(id);
    }
    return nullptr;
}

int selfIssuedDays(const TCXProfileDescriptor* profile) { return profile ? profile->days() : 366; }

int profileKindOfKeyFlags(uint32_t keyFlags) {
    static const std::pair<uint32_t, int> kOrder[] = {{zfCA, 1},   {zfTimeStamping, 20}, {zfOCSP, 21},
                                                      {zfCMP, 22}, {zfVpnClient, 56},    {zfVpnServer, 55}};
    for (const auto& [bit, kind] : kOrder)
        if (keyFlags & bit) return kind;
    return 0;
}

// ---- files of a generation

struct TGenerationFiles::Item {
    std::unique_ptr<TZrX509Base> object;
    TCString fileName;
    TCString kindWord;  // requests only
};

TGenerationFiles::TGenerationFiles() = default;
TGenerationFiles::~TGenerationFiles() = default;

void TGenerationFiles::addRequest(const TZrX509Req& request, const TCString& fileName, const TCString& kindWord) {
    items_.push_back(std::make_unique<Item>(Item{std::make_unique<TZrX509Req>(request), fileName, kindWord}));
}

void TGenerationFiles::addCertificate(const TZrX509& certificate, const TCString& fileName) {
    items_.push_back(std::make_unique<Item>(Item{std::make_unique<TZrX509>(certificate), fileName, TCString()}));
}

int TGenerationFiles::writeAll() {
    int written = 0;
    for (const auto& item : items_) {
        const TZrX509Base& object = *item->object;
        const TCString owner = object.ownerName();
        const char* name = item->fileName.c_str();
        const bool saved = object.saveToFile(name, isPemFileName(name));
        if (object.getClass() == zcRequest) {
            if (saved)
                KV_HLogFmtText(0, tr("Запрос на сертификат ключа%s, владелец - \"%s\", сохранен в файл \"%s\"").c_str(),
                               item->kindWord.c_str(), owner.c_str(), name);
            else
                kvdShowErrorLibMessage(
                    nullptr, KR_E_SAVE, 0,
                    tr("Сохранение запроса на сертификат ключа%s, владелец - \"%s\", в файл \"%s\"").c_str(),
                    item->kindWord.c_str(), owner.c_str(), name);
        } else if (!saved) {
            KV_HLogFmtText(KR_E_SAVE, tr("Ошибка записи сертификата ключей владельца '%s' в файл '%s'!").c_str(),
                           owner.c_str(), name);
        }
        if (saved) ++written;
    }
    items_.clear();
    return written;
}

// ---- the generation

KResult generateKeys(TCXProfileDescriptor* item, TCFlags<unsigned int>& requestFlags, TZrX509Csp* csp,
                     TCString* cleanOnCommit, TGenerationFiles* files) {
    genFlags = 0;
    if (!item || !csp) return KR_E_INVALIDARG;
    TCRequestParamMaker maker(item, csp);
    maker.setPattern(nullptr, false);
    maker.flags().set(generationMakerFlags(requestFlags.value()));

    KResult rc = maker.initCryptoPars(item);
    if (!isFailure(rc)) rc = maker.prepareRequest(&requestFlags, nullptr, nullptr);
    if (isFailure(rc)) return rc;

    genFlags.set(keyKindsOfMakerFlags(maker.flagsValue()));
    if (genFlags.isAny(kGenExcludeNonStandard)) {
        removeNonStandardExtensions(maker);
        genFlags.set(kGenNonStandardRemoved);
    }
    // The dialog is closed: what it decided is this generation's mode.
    const unsigned int mode = genFlags.value();
    if (cleanOnCommit) *cleanOnCommit = maker.cleanOnCommit();

    rc = maker.generateKeys(csp, mode, nullptr);
    // A generation that is rolled back asks for no file.
    if (!rollsBack(rc)) saveRequests(csp, mode, files);
    return rc;
}

KResult createKeys(TCXProfileDescriptor* item, TZrX509Csp* csp, const std::function<void()>& refreshViews) {
    TCFlags<unsigned int> requestFlags(kGenStartRequestFlags);
    // Only empty tokens are offered while keys are written.
    registerCFGMacro("onlyEmptyTokens", "yes");
    ScopeExit macroBack([] { registerCFGMacro("onlyEmptyTokens", "no"); });
    // The check boxes of this generation's dialog mean nothing afterwards.
    ScopeExit flagsBack([] { genFlags = 0; });
    // Released on every way out, which gives the log output back.
    const auto grabber = std::make_unique<TCLogGrabber>();

    KResult rc = KR_E_INVALIDARG;
    if (!csp) {
        KV_HLogFmtText(rc, "%s", tr("Нет контейнера для записи ключей").c_str());
    } else {
        csp->prepareUpdate();
        csp->beginUpdate();
        // An exception leaves the container as it was before the generation.
        ScopeExit rollback([csp] {
            if (csp->container()->inUpdate()) csp->container()->cancelUpdate();
        });
        TCString clean;
        TGenerationFiles files;
        rc = generateKeys(item, requestFlags, csp, &clean, &files);
        if (!rollsBack(rc) && !clean.isEmpty()) {
            const KResult c = cleanStorageAtCommit(clean.c_str(), csp->container()->dp());
            if (isFailure(c)) {
                KV_HLogFmtText(c, tr("Очистка носителя \"%s\" перед записью ключей").c_str(), clean.c_str());
                rc = c;
            }
        }
        if (rollsBack(rc)) {
            rollback.run();
            // The result window says what became of the container, also
            // when the library logged nothing (a cancelled dialog).
            KV_HLogFmtText(rc, tr("Ключи \"%s\" не созданы, контейнер оставлен без изменений.").c_str(),
                           item ? item->getCaption().c_str() : "");
        } else {
            const TCString location = csp->container()->fileName();
            rc = csp->endUpdate(false);
            // A commit that failed leaves the keys nowhere: the content goes
            // back to what the medium holds, and no file names those keys.
            rollback.run();
            if (isFailure(rc)) {
                KV_HLogFmtText(rc, tr("Ошибка записи контейнера \"%s\": %s!").c_str(), location.c_str(),
                               KRTL_GetTextMessage(rc).c_str());
                KV_HLogFmtText(rc, tr("Ключи \"%s\" не созданы, контейнер оставлен без изменений.").c_str(),
                               item ? item->getCaption().c_str() : "");
            } else {
                files.writeAll();
            }
            if (refreshViews) refreshViews();
        }
    }
    macroBack.run();
    showLogGrabber(grabber.get(), 16);
    return rc;
}

int saveRequests(TZrX509Csp* csp, unsigned int mode, TGenerationFiles* files) {
    if (!csp) return 0;
    int result = 0;
    if (mode & kGenSelfIssuedCert) {
        // Storing a certificate takes its request out, so the first request
        // is always the next one; a pass that takes none out ends the series.
        while (csp->reqCount() > 0) {
            const int before = csp->reqCount();
            TZrX509Req* request = csp->getReqAt(0);
            if (!request) return 0;
            result = saveSelfIssued(request, csp, files);
            if (!result || csp->reqCount() >= before) break;
        }
    } else {
        for (int i = 0; i < csp->reqCount(); ++i) {
            TZrX509Req* request = csp->getReqAt(i);
            if (!request) return 0;
            result = saveRequest(csp, request, files);
            if (!result) break;
        }
    }
    return result;
}

int saveRequest(TZrX509Csp* csp, TZrX509Req* request, TGenerationFiles* files) {
    if (!csp || !request) return 0;
    const TCString kind = kindWord(request->isForSign());
    TCString name = requestFileName(requestFileBaseName(csp), *request);
    const TCString title = tr("Запись запроса на сертификат ключей ") + kind;
    if (!saveFileDialog(name, title.c_str(), tr(kRequestFilter).c_str(), "p10")) return 0;
    if (files) {
        files->addRequest(*request, name, kind);
        return 1;
    }
    const TCString owner = request->ownerName();
    if (request->saveToFile(name.c_str(), isPemFileName(name.c_str()))) {
        KV_HLogFmtText(0, tr("Запрос на сертификат ключа%s, владелец - \"%s\", сохранен в файл \"%s\"").c_str(),
                       kind.c_str(), owner.c_str(), name.c_str());
        return 1;
    }
    kvdShowErrorLibMessage(nullptr, KR_E_SAVE, 0,
                           tr("Сохранение запроса на сертификат ключа%s, владелец - \"%s\", в файл \"%s\"").c_str(),
                           kind.c_str(), owner.c_str(), name.c_str());
    return 0;
}

int saveSelfIssued(TZrX509Req* request, TZrX509Csp* csp, TGenerationFiles* files) {
    if (!request || !csp) return 0;
    TZrX509 cert;
    if (isFailure(cert.fromRequest(*request))) return 0;
    // Renderings of any length.
    TCString screen, print;
    request->htmlView(screen, zhScreen);
    request->htmlView(print, zhPrint);

    TCRegFormParams params;
    params.startDate = today(true);
    params.endDate = incDays(params.startDate, selfIssuedDays(requestProfile(*csp, *request)));
    TCFlags<unsigned int> dialogFlags(krfDatesGroup);
    const TCString cn = zrxVisibleText(request->ownerName().view());
    if (execKeyRegForm(screen.c_str(), cn.c_str(), params, dialogFlags, print.c_str()) != mrOk) return 0;

    if (isFailure(csp->mkSelfIssued(cert, params.startDate, params.endDate))) return 0;
    // The request goes out of the container with this: it is not used below.
    if (!csp->addCertificate(&cert, true)) return 0;
    const TCString owner = cert.ownerName();
    KV_HLogFmtText(0, tr("Успешно сформирован и записан в контйенер сертификат ключей владельца '%s'.").c_str(),
                   owner.c_str());

    TCString name = certificateFileName(requestFileBaseName(csp), cert);
    if (!saveFileDialog(name, tr("Запись сертификата").c_str(), tr(kCertFilter).c_str(), "crt")) return 0;
    if (files) {
        files->addCertificate(cert, name);
        return 1;
    }
    if (!cert.saveToFile(name.c_str(), isPemFileName(name.c_str()))) {
        KV_HLogFmtText(KR_E_SAVE, tr("Ошибка записи сертификата ключей владельца '%s' в файл '%s'!").c_str(),
                       owner.c_str(), name.c_str());
        return 0;
    }
    return 1;
}

TCXProfileDescriptor* selectKeyProfile(const TZrX509Base* key, const std::function<TCXProfileDescriptor*()>& choose) {
    if (key)
        if (const int kind = profileKindOfKeyFlags(key->keyFlags()))
            if (TCXProfileDescriptor* p = _getXProfileInt(kind)) return p;
    return choose ? choose() : nullptr;
}
