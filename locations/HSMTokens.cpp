// The list of HSM tokens and its file.
#include "locations/HSMTokens.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/p11/P11Storage.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/TCString.h"
#include "platform/runtime/TimeUtils.h"
#include "platform/runtime/Translation.h"

namespace {

// Copies at most maxChars characters that fit into size-1 bytes, never
// splitting a character; the rest of the field is zeroed.
void copyField(char* dst, size_t size, size_t maxChars, const char* src) {
    std::memset(dst, 0, size);
    if (!src) return;
    const std::string_view s(src);
    zrx_utf8::copyCut(s.substr(0, zrx_utf8::bytesOfChars(s, maxChars)), dst, size);
}

// Copies a whole field of the same size, its terminator forced.
template <size_t N> void copyArray(char (&dst)[N], const char (&src)[N]) {
    std::memcpy(dst, src, N);
    dst[N - 1] = '\0';
}

void reportBadParameter(const char* key) {
    KV_HLogFmtText(KR_E_BADPARAM, zrnTranslateString("Ошибка загрузки параметра '%s' списка HSM-токенов").c_str(), key);
}

}  // namespace

TCHSMTokens hsmTokens;

TCHSMTokens* getHSMTokens() { return &hsmTokens; }

// ---- TCHSMTokenDescriptor ----

TCHSMTokenDescriptor::~TCHSMTokenDescriptor() {
    if (session) {
        session->closeSession();
        delete session;
        session = nullptr;
    }
}

void TCHSMTokenDescriptor::assign(const TCHSMTokenDescriptor& other) {
    if (&other == this) return;
    copyArray(nick, other.nick);
    copyArray(serial, other.serial);
    copyArray(tokenName, other.tokenName);
    copyArray(ownerName, other.ownerName);
    slot = other.slot;
    flags = other.flags;
    mediaType = other.mediaType;
    modifyDate = other.modifyDate;
}

void TCHSMTokenDescriptor::assignAll(const TCHSMTokenDescriptor& other) {
    assign(other);
    ownerList = other.ownerList;
}

KResult TCHSMTokenDescriptor::checkText(const char* text) {
    if (!text) return 0;
    if (text[0] == '[' || std::strpbrk(text, "\r\n")) return KR_E_FORMAT;
    return 0;
}

const char* TCHSMTokenDescriptor::badField() const {
    if (isFailure(checkText(nick))) return "nick";
    if (isFailure(checkText(serial))) return "serial";
    if (isFailure(checkText(tokenName))) return "tokenName";
    if (isFailure(checkText(ownerName))) return "owner";
    return nullptr;
}

namespace {
// A field is set only from a text the list file can hold.
KResult setCheckedField(char* dst, size_t size, size_t maxChars, const char* text) {
    if (KResult rc = TCHSMTokenDescriptor::checkText(text); isFailure(rc)) return rc;
    copyField(dst, size, maxChars, text);
    return 0;
}
}  // namespace

KResult TCHSMTokenDescriptor::setNick(const char* text) { return setCheckedField(nick, sizeof nick, NICK_CHARS, text); }

KResult TCHSMTokenDescriptor::setSerial(const char* text) {
    return setCheckedField(serial, sizeof serial, SERIAL_CHARS, text);
}

KResult TCHSMTokenDescriptor::setTokenName(const char* text) {
    return setCheckedField(tokenName, sizeof tokenName, TOKEN_NAME_CHARS, text);
}

KResult TCHSMTokenDescriptor::setOwnerName(const char* text) {
    return setCheckedField(ownerName, sizeof ownerName, OWNER_CHARS, text);
}

KResult TCHSMTokenDescriptor::fillFromSlot(TCP11Slot* s) {
    if (!s || !s->lib()) return KR_E_INVALIDARG;
    const TCString label(s->getLabel()), ser(s->getSerial()), name(s->name());
    for (const TCString* t : {&label, &ser, &name})
        if (KResult rc = checkText(t->c_str()); isFailure(rc)) return rc;
    slot = s->number();
    copyField(nick, sizeof nick, NICK_CHARS, label.c_str());
    copyField(serial, sizeof serial, SERIAL_CHARS, ser.c_str());
    copyField(tokenName, sizeof tokenName, TOKEN_NAME_CHARS, name.c_str());
    mediaType = s->lib()->mediaType();
    return 0;
}

// ---- TCHSMTokens ----

int TCHSMTokens::insert(void* item) {
    if (item) static_cast<TCHSMTokenDescriptor*>(item)->ownerList = this;
    return TCCollection<TCHSMTokenDescriptor>::insert(item);
}

bool TCHSMTokens::load(const char* path, bool report) {
    path_ = path ? path : "";
    if (loadHook) return loadHook(*this, report);
    if (!fileExists(path_.c_str())) return true;
    TCSIniFile ini;
    const bool ok = ini.loadFromFile(path_.c_str()) && loadFromIni(ini);
    if (!ok && report)
        KV_HLogFmtText(KR_E_WRITE, zrnTranslateString("Ошибка чтения списка HSM-токенов из файла '%s'").c_str(),
                       path_.c_str());
    return ok;
}

bool TCHSMTokens::loadFromIni(const TCSIniFile& ini) {
    TCRefStringList section;
    if (!ini.loadSection("hsm", section)) return false;
    const int n = section.getInt("count", 0);
    // Only the token sections present can give entries: walking them in
    // number order reads the same as trying 0..count-1, and a huge count
    // costs nothing.
    TCStringList names;
    ini.sectionNames(names);
    std::vector<int> present;
    for (int k = 0; k < names.count(); ++k) {
        const TCString& name = names[k];
        if (!name.startsWithIC("token.")) continue;
        int i = -1;
        if (!name.sub(6).asInt(&i) || i < 0 || i >= n || TCFString("token.%d", i).compareIC(name) != 0) continue;
        present.push_back(i);
    }
    std::sort(present.begin(), present.end());
    present.erase(std::unique(present.begin(), present.end()), present.end());
    for (int i : present) {
        TCHSMTokenDescriptor d;
        if (!ini.loadSection(TCFString("token.%d", i).c_str(), section) || !readEntry(section, d)) continue;
        TCHSMTokenDescriptor* entry = addNew();
        entry->assignAll(d);
        entry->ownerList = this;
    }
    return true;
}

bool TCHSMTokens::readEntry(const TCRefStringList& section, TCHSMTokenDescriptor& d) const {
    auto bad = [](const char* key) {
        reportBadParameter(key);
        return false;
    };
    const int32_t media = section.getInt("media", -1);
    if (media == -1) return bad("media");
    d.mediaType = media;

    struct TextKey {
        const char* key;
        size_t maxChars;
        KResult (TCHSMTokenDescriptor::*set)(const char*);
    };
    const TextKey texts[] = {
        {"nick", TCHSMTokenDescriptor::NICK_CHARS, &TCHSMTokenDescriptor::setNick},
        {"serial", TCHSMTokenDescriptor::SERIAL_CHARS, &TCHSMTokenDescriptor::setSerial},
        {"tokenName", TCHSMTokenDescriptor::TOKEN_NAME_CHARS, &TCHSMTokenDescriptor::setTokenName}};
    for (const TextKey& t : texts) {
        const TCString v = section.getString(t.key, "");
        const size_t chars = v.charCount();
        if (chars < 1 || chars > t.maxChars || isFailure((d.*t.set)(v.c_str()))) return bad(t.key);
    }

    // Slot numbers are unsigned; older files may hold them as signed numbers.
    const int64_t slot = section.getString("slot", "").asInt64(10, -1);
    if (slot == -1 || slot < INT32_MIN || slot > UINT32_MAX) return bad("slot");
    d.slot = static_cast<uint32_t>(slot);

    // Written as hexadecimal, so read as hexadecimal.
    uint32_t flags = 0;
    if (!section.getString("flags", "").asUInt(&flags, 16)) return bad("flags");
    d.flags = flags;

    const TCString owner = section.getString("owner", "");
    if (owner.charCount() <= TCHSMTokenDescriptor::OWNER_CHARS) d.setOwnerName(owner.c_str());

    d.modifyDate = section.getString("modifyDate", "").asInt64(10, u_time());
    return true;
}

void TCHSMTokens::buildLines(TCStringList& lines) const {
    lines.clear();
    TCString line;
    lines.add("[hsm]");
    lines.add(line.printf("count=%d", count()));
    for (int i = 0; i < count(); ++i) {
        const TCHSMTokenDescriptor* d = at(i);
        lines.add(line.printf("[token.%d]", i));
        lines.add(line.printf("%s=%d", "media", d->mediaType));
        lines.add(line.printf("%s=%s", "nick", d->nick));
        lines.add(line.printf("%s=%s", "serial", d->serial));
        lines.add(line.printf("%s=%s", "tokenName", d->tokenName));
        lines.add(line.printf("%s=%u", "slot", d->slot));
        lines.add(line.printf("%s=%X", "flags", d->flags));
        lines.add(line.printf("%s=%s", "owner", d->ownerName));
        lines.add(line.printf("%s=%lld", "modifyDate", static_cast<long long>(d->modifyDate)));
    }
}

bool TCHSMTokens::save(bool report) {
    if (path_.isEmpty()) return false;
    if (saveHook) return saveHook(*this, report);
    // An entry whose text would break the file is never written.
    for (int i = 0; i < count(); ++i) {
        if (const char* field = at(i)->badField()) {
            if (report) {
                KV_HLogFmtText(KR_E_SAVE,
                               zrnTranslateString("Ошибка сохранения списка HSM-токенов в файл '%s'").c_str(),
                               path_.c_str());
                reportBadParameter(field);
            }
            return false;
        }
    }
    TCStringList lines;
    buildLines(lines);
    // saveToFile writes a temporary file and renames it over the list.
    if (lines.saveToFile(path_.c_str()) == lines.count()) return true;
    if (report)
        KV_HLogFmtText(KR_E_SAVE, zrnTranslateString("Ошибка сохранения списка HSM-токенов в файл '%s'").c_str(),
                       path_.c_str());
    return false;
}

bool TCHSMTokens::reload(bool) { return !path_.isEmpty(); }

TCHSMTokenDescriptor* TCHSMTokens::findByNick(const char* nick) const {
    if (!nick) return nullptr;
    for (int i = 0; i < count(); ++i)
        if (zrx_utf8::compareIC(at(i)->nick, nick) == 0) return at(i);
    return nullptr;
}
