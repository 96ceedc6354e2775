#include "views/ObjectFiles.h"

#include "dialogs/FileDialogs.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/core/x509/ZrX509Req.h"
#include "platform/framework/Dialogs.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/Translation.h"
#include "platform/x509api/ZrX509Api.h"
#include "views/VZrX509BaseForm.h"

namespace {
constexpr uint32_t kFileError = 0xC0800002;
}  // namespace

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
    if (!owner.isEmpty()) caption += TCFString(zrnTranslateString(", владелец - \"%s\"").c_str(), owner.c_str());
    return viewX509Object(object, confirm ? 0 : 3, caption.c_str(), title);
}
