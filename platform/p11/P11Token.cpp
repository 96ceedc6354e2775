// Sessions on tokens, their objects, and the token-wide queries.
#include <cstring>

#include "platform/p11/P11Storage.h"
#include "platform/core/x509/CertsChain.h"

namespace {

CK_UTF8CHAR_PTR utf8(const char* text) { return reinterpret_cast<CK_UTF8CHAR_PTR>(const_cast<char*>(text)); }

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

}  // namespace

TCP11Token::~TCP11Token() { closeSession(); }

KResult TCP11Token::check(CK_RV rv, const char* what) {
    if (rv == CKR_OK) return 0;
    const KResult rc = p11Result(rv);
    if (slot_) slot_->fail(rc, what);
    return rc;
}

KResult TCP11Token::initToken(TCP11Slot* slot, const char* soPin, const char* label) {
    if (!slot || !slot->lib() || !soPin) return P11_E_ARGUMENT;
    if (KResult rc = slot->lib()->open(); isFailure(rc)) return slot->fail(rc, "Инициализация токена");
    if (hasSession() && slot_ == slot) closeSession();
    slot_ = slot;
    CK_UTF8CHAR padded[32];
    p11Pad(padded, sizeof padded, label);
    const CK_RV rv = fn()->C_InitToken(slot->id(), utf8(soPin), std::strlen(soPin), padded);
    // Label, serial and flags change with the initialisation.
    slot->setInfoCached(false);
    return check(rv, "Инициализация токена");
}

KResult TCP11Token::startSession(TCP11Slot* slot, bool readWrite) {
    if (!slot || !slot->lib()) return P11_E_ARGUMENT;
    closeSession();
    if (KResult rc = slot->lib()->open(); isFailure(rc)) return slot->fail(rc, "Открытие сеанса");
    slot_ = slot;
    CK_FLAGS flags = CKF_SERIAL_SESSION | (readWrite ? CKF_RW_SESSION : 0);
    CK_SESSION_HANDLE h = CK_INVALID_HANDLE;
    if (KResult rc = check(fn()->C_OpenSession(slot->id(), flags, nullptr, nullptr, &h), "Открытие сеанса");
        isFailure(rc))
        return rc;
    session_ = h;
    generation_ = slot->lib()->generation();
    return 0;
}

KResult TCP11Token::login(const char* pin, bool admin) {
    if (!hasSession()) return P11_E_NO_SESSION;
    if (!pin) return P11_E_ARGUMENT;
    const CK_RV rv = fn()->C_Login(session_, admin ? CKU_SO : CKU_USER, utf8(pin), std::strlen(pin));
    if (rv == CKR_USER_ALREADY_LOGGED_IN) return 0;
    if (KResult rc = check(rv, "Вход на токен"); isFailure(rc)) return rc;
    loggedIn_ = true;
    return 0;
}

KResult TCP11Token::setUserPin(const char* pin) {
    if (!hasSession()) return P11_E_NO_SESSION;
    if (!pin) return P11_E_ARGUMENT;
    const KResult rc = check(fn()->C_InitPIN(session_, utf8(pin), std::strlen(pin)), "Задание пароля пользователя");
    slot_->setInfoCached(false);
    return rc;
}

KResult TCP11Token::changeUserPin(const char* oldPin, const char* newPin) {
    if (!hasSession()) return P11_E_NO_SESSION;
    if (!oldPin || !newPin) return P11_E_ARGUMENT;
    const KResult rc =
        check(fn()->C_SetPIN(session_, utf8(oldPin), std::strlen(oldPin), utf8(newPin), std::strlen(newPin)),
              "Смена пароля пользователя");
    slot_->setInfoCached(false);
    return rc;
}

KResult TCP11Token::closeSession() {
    if (!hasSession()) {
        // A session of an earlier loading of the module died with it.
        session_ = CK_INVALID_HANDLE;
        loggedIn_ = false;
        return 0;
    }
    CK_FUNCTION_LIST* f = fn();
    KResult rc = 0;
    // No C_Logout: the login belongs to the whole application and would end
    // other sessions' login too; closing the last session logs out.
    if (f) rc = p11Result(f->C_CloseSession(session_));
    session_ = CK_INVALID_HANDLE;
    loggedIn_ = false;
    return rc;
}

KResult TCP11Token::findObjects(const std::vector<CK_ATTRIBUTE>& tmpl, std::vector<CK_OBJECT_HANDLE>& out) {
    out.clear();
    if (!hasSession()) return P11_E_NO_SESSION;
    std::vector<CK_ATTRIBUTE> t(tmpl);
    if (KResult rc =
            check(fn()->C_FindObjectsInit(session_, t.empty() ? nullptr : t.data(), t.size()), "Поиск объектов токена");
        isFailure(rc))
        return rc;
    KResult rc = 0;
    for (;;) {
        CK_OBJECT_HANDLE batch[64];
        CK_ULONG n = 0;
        rc = check(fn()->C_FindObjects(session_, batch, 64, &n), "Поиск объектов токена");
        if (isFailure(rc) || n == 0) break;
        out.insert(out.end(), batch, batch + n);
    }
    fn()->C_FindObjectsFinal(session_);
    return rc;
}

KResult TCP11Token::getAttribute(CK_OBJECT_HANDLE obj, CK_ATTRIBUTE_TYPE type, std::string& value) {
    value.clear();
    if (!hasSession()) return P11_E_NO_SESSION;
    CK_ATTRIBUTE a{type, nullptr, 0};
    if (KResult rc = check(fn()->C_GetAttributeValue(session_, obj, &a, 1), "Чтение атрибута"); isFailure(rc))
        return rc;
    if (a.ulValueLen == CK_UNAVAILABLE_INFORMATION) return p11Result(CKR_ATTRIBUTE_SENSITIVE);
    value.resize(a.ulValueLen);
    a.pValue = value.data();
    if (KResult rc = check(fn()->C_GetAttributeValue(session_, obj, &a, 1), "Чтение атрибута"); isFailure(rc)) {
        value.clear();
        return rc;
    }
    value.resize(a.ulValueLen);
    return 0;
}

KResult TCP11Token::getBool(CK_OBJECT_HANDLE obj, CK_ATTRIBUTE_TYPE type, bool& value) {
    std::string v;
    if (KResult rc = getAttribute(obj, type, v); isFailure(rc)) return rc;
    if (v.size() != sizeof(CK_BBOOL)) return p11Result(CKR_ATTRIBUTE_VALUE_INVALID);
    value = v[0] != 0;
    return 0;
}

KResult TCP11Token::createObject(std::vector<CK_ATTRIBUTE>& tmpl, CK_OBJECT_HANDLE& out) {
    out = CK_INVALID_HANDLE;
    if (!hasSession()) return P11_E_NO_SESSION;
    return check(fn()->C_CreateObject(session_, tmpl.data(), tmpl.size(), &out), "Запись объекта на токен");
}

KResult TCP11Token::destroyObject(CK_OBJECT_HANDLE obj) {
    if (!hasSession()) return P11_E_NO_SESSION;
    return check(fn()->C_DestroyObject(session_, obj), "Удаление объекта токена");
}

KResult TCP11Token::setAttribute(CK_OBJECT_HANDLE obj, CK_ATTRIBUTE_TYPE type, const std::string& value) {
    if (!hasSession()) return P11_E_NO_SESSION;
    CK_ATTRIBUTE a{type, const_cast<char*>(value.data()), value.size()};
    return check(fn()->C_SetAttributeValue(session_, obj, &a, 1), "Запись атрибута");
}

KResult TCP11Token::generateKeyPair(CK_MECHANISM& mech, std::vector<CK_ATTRIBUTE>& pubTmpl,
                                    std::vector<CK_ATTRIBUTE>& privTmpl, CK_OBJECT_HANDLE& pub,
                                    CK_OBJECT_HANDLE& priv) {
    pub = priv = CK_INVALID_HANDLE;
    if (!hasSession()) return P11_E_NO_SESSION;
    return check(fn()->C_GenerateKeyPair(session_, &mech, pubTmpl.data(), pubTmpl.size(), privTmpl.data(),
                                         privTmpl.size(), &pub, &priv),
                 "Генерация ключей на токене");
}

KResult TCP11Token::sign(CK_OBJECT_HANDLE key, CK_MECHANISM& mech, const std::string& data, std::string& signature) {
    signature.clear();
    if (!hasSession()) return P11_E_NO_SESSION;
    if (KResult rc = check(fn()->C_SignInit(session_, &mech, key), "Подпись на токене"); isFailure(rc)) return rc;
    auto in = reinterpret_cast<CK_BYTE_PTR>(const_cast<char*>(data.data()));
    CK_ULONG len = 0;
    // A failed C_Sign ends the operation, so a size query that fails needs
    // no cleanup.
    if (KResult rc = check(fn()->C_Sign(session_, in, data.size(), nullptr, &len), "Подпись на токене"); isFailure(rc))
        return rc;
    signature.resize(len);
    if (KResult rc =
            check(fn()->C_Sign(session_, in, data.size(), reinterpret_cast<CK_BYTE_PTR>(signature.data()), &len),
                  "Подпись на токене");
        isFailure(rc)) {
        signature.clear();
        return rc;
    }
    signature.resize(len);
    return 0;
}

// ---- token-wide queries ----

KResult isTokenEmpty(const char* tokenName, TCString* info) {
    if (info) info->clear();
    TCP11Slot* slot = nullptr;
    if (KResult rc = findTokenSlot(tokenName, &slot); isFailure(rc)) return rc;
    TCP11Token token;
    if (KResult rc = token.startSession(slot, false); isFailure(rc)) return rc;
    // Private keys hide before login; their public keys, certificates and
    // our data objects do not, so any visible object means the token is used.
    std::vector<CK_OBJECT_HANDLE> objects;
    if (KResult rc = token.findObjects({}, objects); isFailure(rc)) return rc;
    if (objects.empty()) return 0;
    if (info) {
        std::vector<std::string> ids;
        for (CK_OBJECT_HANDLE h : objects) {
            std::string id;
            if (isFailure(token.getAttribute(h, CKA_ID, id)) || id.empty()) continue;
            std::string text = hex(id);
            bool seen = false;
            for (const std::string& s : ids) seen = seen || s == text;
            if (!seen) ids.push_back(text);
        }
        for (const std::string& s : ids) {
            if (!info->isEmpty()) *info += ",";
            *info += s;
        }
    }
    return P11_TOKEN_HOLDS_KEYS;
}

KResult loadTokenCerts(const char* tokenName, std::vector<std::string>& certs) {
    certs.clear();
    TCP11Slot* slot = nullptr;
    if (KResult rc = findTokenSlot(tokenName, &slot); isFailure(rc)) return rc;
    TCP11Token token;
    if (KResult rc = token.startSession(slot, false); isFailure(rc)) return rc;
    CK_OBJECT_CLASS cls = CKO_CERTIFICATE;
    CK_CERTIFICATE_TYPE type = CKC_X_509;
    std::vector<CK_ATTRIBUTE> tmpl = {{CKA_CLASS, &cls, sizeof cls}, {CKA_CERTIFICATE_TYPE, &type, sizeof type}};
    std::vector<CK_OBJECT_HANDLE> objects;
    if (KResult rc = token.findObjects(tmpl, objects); isFailure(rc)) return rc;
    for (CK_OBJECT_HANDLE h : objects) {
        std::string der;
        if (!isFailure(token.getAttribute(h, CKA_VALUE, der)) && !der.empty()) certs.push_back(std::move(der));
    }
    return 0;
}

KResult loadTokenCerts(const char* tokenName, TCXCertsChain& chain) {
    std::vector<std::string> certs;
    if (KResult rc = loadTokenCerts(tokenName, certs); isFailure(rc)) return rc;
    for (const std::string& der : certs) {
        TZrX509 cert;
        if (!isFailure(cert.decode(der.data(), der.size()))) chain.add(cert);
    }
    return 0;
}
