#include "app/AppServices.h"

#include <algorithm>
#include <iterator>

#include "components/CompoundEdit.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/core/x509/ZrX509Req.h"
#include "platform/framework/Dialogs.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/Passwords.h"
#include "platform/runtime/Translation.h"
#include "platform/runtime/Translit.h"
#include "platform/x509api/ZrX509Api.h"
#include "requests/VZrX509BaseForm.h"

namespace {
constexpr int kPassMin = 8, kPassMax = 32;
constexpr uint32_t kFileError = 0xC0800002;

const char* const kFilterCertLoad =
    "Файлы сертификатов (*.crt)|*.crt|Файлы сертификатов (*.cer)|*.cer|PEM-файлы сертификатов(*.pem)|*.pem|Все "
    "файлы|*.*";
const char* const kFilterCertSave =
    "Файлы сертификатов (*.crt)|*.crt|PEM-файлы сертификатов(*.pem)|*.pem|Все файлы|*.*";
const char* const kFilterRequest =
    "Файлы простых заявок на сертификат (*.p10)|*.p10|PEM-файлы заявок(*.pem)|*.pem|Все файлы|*.*";
const char* const kFilterRequestOrRegistered =
    "Файлы простых заявок на сертификат (*.p10)|*.p10|Файлы зарегистрированных заявок (*.rq7)|*.rq7|Все "
    "файлы|*.*";
const char* const kFilterRegistered = "Файлы зарегистрированных заявок (*.rq7)|*.rq7|Все файлы|*.*";

const char* const kRegions[] = {
    "Чернігівська",   "Чернівецька",  "Черкаська",         "Хмельницька",          "Херсонська",
    "Харківська",     "Тернопільська", "Сумська",          "Рівненська",           "Полтавська",
    "Одеська",        "Миколаївська", "Львівська",         "Луганська",            "Кіровоградська",
    "Київська",       "Івано-Франківська", "Запорізька",   "Закарпатська",         "Житомирська",
    "Донецька",       "Дніпропетровська", "Волинська",     "Вінницька",            "Автономна Республіка Крим",
};

bool gPolicyRegistered = false;

// The policy with its test password among the first initialisers; the test
// password is cleared again by a later one.
__attribute__((constructor(132))) void registerPolicyAtStart() { registerPasswordPolicy(); }
__attribute__((constructor(164))) void clearTestPasswordAtStart() { setTestPassword(nullptr); }

bool runFileDialog(TOpenDialog* dlg, TCString& name, const char* title, const char* filter, const char* ext) {
    dlg->SetTitle(title ? title : "");
    dlg->SetFilter(filter ? filter : "");
    dlg->SetDefaultExt(ext ? ext : "");
    if (!name.isEmpty()) {
        dlg->SetInitialDir(extractFilePath(name.c_str()).c_str());
        dlg->SetFileName(extractFileName(name.c_str()).c_str());
    }
    if (!dlg->Execute()) return false;
    name = dlg->FileName();
    return true;
}

TCString titleOr(const char* title, const char* fallback) {
    return title ? TCString(title) : zrnTranslateString(fallback);
}
}  // namespace

void registerPasswordPolicy() {
    setPassMinMax(kPassMin, kPassMax, kStartupPassword);
    gPolicyRegistered = true;
}

bool passwordPolicyRegistered() { return gPolicyRegistered; }

TCustomForm* activeOrMainForm() {
    if (Screen && Screen->ActiveForm()) return Screen->ActiveForm();
    return Application ? Application->MainForm() : nullptr;
}

bool openFileDialog(TCString& name, const char* title, const char* filter, const char* defaultExt) {
    TOpenDialog dlg(activeOrMainForm());
    dlg.SetOptions(ofSet(ofHideReadOnly) | ofSet(ofNoChangeDir) | ofSet(ofFileMustExist) | ofSet(ofEnableSizing));
    return runFileDialog(&dlg, name, title, filter, defaultExt);
}

bool saveFileDialog(TCString& name, const char* title, const char* filter, const char* defaultExt) {
    TSaveDialog dlg(activeOrMainForm());
    dlg.SetOptions(ofSet(ofHideReadOnly) | ofSet(ofOverwritePrompt) | ofSet(ofNoChangeDir) | ofSet(ofEnableSizing));
    return runFileDialog(&dlg, name, title, filter, defaultExt);
}

bool askCertFileToLoad(TCString& name, const char* title) {
    return openFileDialog(name, titleOr(title, "Загрузка сертификата").c_str(),
                          zrnTranslateString(kFilterCertLoad).c_str(), "crt");
}

bool askCertFileToSave(TCString& name) {
    return saveFileDialog(name, zrnTranslateString("Запись сертификата").c_str(),
                          zrnTranslateString(kFilterCertSave).c_str(), "crt");
}

bool askRequestFileToSave(TCString& name, bool registeredAllowed, const char* title) {
    return saveFileDialog(name, titleOr(title, "Запись запроса").c_str(),
                          zrnTranslateString(registeredAllowed ? kFilterRequestOrRegistered : kFilterRequest).c_str(),
                          "p10");
}

bool askRegisteredRequestFileToSave(TCString& name, const char* title) {
    return saveFileDialog(name, titleOr(title, "Запись запроса").c_str(), zrnTranslateString(kFilterRegistered).c_str(),
                          "rq7");
}

TCString proposedCertificateFileName(const TZrX509& cert) {
    // The serial comes from the certificate: it is made as safe as an owner's name.
    if (cert.isCA()) return safeFileName(cert.getSubjectSerial().c_str(), ".crt");
    return uaTranslitFileName(cert.ownerName().c_str(), ".crt");
}

TCString proposedRequestFileName(const TZrX509Req& req) { return uaTranslitFileName(req.ownerName().c_str(), ".p10"); }

bool isPemFileName(const char* name) { return getExt(name).toLower() == ".pem"; }

bool saveCertificateFile(const TZrX509& cert) {
    TCString name = proposedCertificateFileName(cert);
    while (askCertFileToSave(name)) {
        if (cert.saveToFile(name.c_str(), isPemFileName(name.c_str()))) return true;
        kvdShowErrorMessage(nullptr, kFileError, 1,
                            zrnTranslateString("Ошибка записи сертификата в файл \"%s\"!").c_str(), name.c_str());
    }
    return false;
}

bool saveRequestFile(const TZrX509Req& req) {
    TCString name = proposedRequestFileName(req);
    while (askRequestFileToSave(name, false, nullptr)) {
        if (req.saveToFile(name.c_str(), isPemFileName(name.c_str()))) return true;
        kvdShowErrorMessage(nullptr, kFileError, 1,
                            zrnTranslateString("Сохранение запроса на сертификат в файл \"%s\".\n %s!").c_str(),
                            name.c_str(), KRTL_GetTextMessage(kFileError).c_str());
    }
    return false;
}

bool loadCertificateFile(const char* title, TZrX509& cert, bool confirm) {
    TCString name;
    while (askCertFileToLoad(name, title)) {
        TZrX509 loaded;
        if (!loaded.loadFromFile(name.c_str())) {
            kvdShowErrorMessage(nullptr, kFileError, 1, zrnTranslateString("%s. Ошибка чтения сертификата!").c_str(),
                                title ? title : "");
            continue;
        }
        if (confirm && viewObjectWithOwner(&loaded, true, zrnTranslateString("Загрузка").c_str()) != mrOk) continue;
        cert = loaded;
        return true;
    }
    return false;
}

int viewObjectWithOwner(TZrX509Base* object, bool confirm, const char* title) {
    TCString caption = object->gi_caption();
    // The whole name, as the view beside it shows it.
    const TCString owner = zrxVisibleText(object->ownerName().view());
    if (!owner.isEmpty())
        caption += TCFString(zrnTranslateString(", владелец - \"%s\"").c_str(), owner.c_str());
    return viewX509Object(object, confirm ? 0 : 3, caption.c_str(), title);
}

TToolButton* nextVisibleButton(TToolBar* bar, int index) {
    for (int i = std::max(0, index); i < bar->ButtonCount(); ++i)
        if (TToolButton* b = bar->Buttons(i); b && b->Visible()) return b;
    return nullptr;
}

int removeDoubleSeparators(TToolBar* bar) {
    for (int i = 0; i < bar->ButtonCount(); ++i) {
        TToolButton* b = bar->Buttons(i);
        if (!b || b->Style() != tbsSeparator) continue;
        TToolButton* next = nextVisibleButton(bar, i + 1);
        if (!next) return 0;
        if (next->Style() == tbsSeparator) {
            b->Free();
            --i;
        }
    }
    bar->LayoutButtons();
    return bar->ButtonCount();
}

int regionNameCount() { return int(std::size(kRegions)); }

const char* regionName(int index) { return index >= 0 && index < regionNameCount() ? kRegions[index] : nullptr; }

void presetRegionHistory(TControl* control) {
    auto* edit = dynamic_cast<TCompoundHistoryEdit*>(control);
    if (!edit) return;
    edit->SetReadOnly(true);
    edit->SetRowsVisible(10);
    edit->ClearHistory();
    edit->SetSaveHistory(false);
    edit->SetButtonVisible(true);
    // Every region stays in the list (the history keeps the newest at the top).
    edit->SetMaxHistCount(std::max(edit->MaxHistCount(), regionNameCount()));
    for (const char* region : kRegions) edit->AddHistoryStr(region);
}

bool hideRevocationPhrase() { return false; }

bool useAltToolbarImages() { return true; }

int findTokenCertificate(const char*, TCString& kind, TCString& profileName) {
    kind.clear();
    profileName.clear();
    return 0;
}
