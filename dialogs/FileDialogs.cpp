#include "dialogs/FileDialogs.h"

#include "dialogs/AppServices.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/core/x509/ZrX509Req.h"
#include "platform/framework/Dialogs.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Translation.h"
#include "platform/runtime/Translit.h"

namespace {
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
