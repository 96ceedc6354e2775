#pragma once
// The list of HSM tokens the program knows, kept in "caHSMTokens.ini".
#include <cstdint>
#include <functional>

#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCCollection.h"
#include "platform/runtime/TCString.h"
#include "platform/runtime/TCStringList.h"

class TCHSMTokens;
class TCP11Slot;
class TCP11Token;

// One token entry. Text fields are UTF-8 with a limit in characters; each
// array has room for that many characters of any width and a terminator.
struct TCHSMTokenDescriptor {
    static constexpr size_t NICK_CHARS = 63;
    static constexpr size_t SERIAL_CHARS = 63;
    static constexpr size_t TOKEN_NAME_CHARS = 127;
    static constexpr size_t OWNER_CHARS = 64;

    TCHSMTokens* ownerList = nullptr;
    int32_t mediaType = 0;
    char nick[NICK_CHARS * 4 + 1] = {};
    char serial[SERIAL_CHARS * 4 + 1] = {};
    char tokenName[TOKEN_NAME_CHARS * 4 + 1] = {};
    uint32_t slot = 0;
    uint32_t flags = 0;
    char ownerName[OWNER_CHARS * 4 + 1] = {};
    int64_t modifyDate = 0;
    TCP11Token* session = nullptr;  // closed and deleted with the entry

    TCHSMTokenDescriptor() = default;
    TCHSMTokenDescriptor(const TCHSMTokenDescriptor&) = delete;
    TCHSMTokenDescriptor& operator=(const TCHSMTokenDescriptor&) = delete;
    ~TCHSMTokenDescriptor();

    // Copies the texts, slot, flags, media type and modification time (never
    // the session); assignAll also copies the owning list.
    void assign(const TCHSMTokenDescriptor& other);
    void assignAll(const TCHSMTokenDescriptor& other);

    // Fills slot number, label, serial, token name and media type from a
    // slot. A text the list file cannot hold is refused (failure code,
    // descriptor unchanged).
    KResult fillFromSlot(TCP11Slot* slot);

    // Setters cut the text to the field; a text with a line break or starting
    // with '[' is refused with KR_E_FORMAT and the field stays as it was.
    KResult setNick(const char* text);
    KResult setSerial(const char* text);
    KResult setTokenName(const char* text);
    KResult setOwnerName(const char* text);

    bool isCritical() const { return (flags & 0x1) != 0; }

    // KR_E_FORMAT when a text could corrupt the list file, else 0.
    static KResult checkText(const char* text);
    // The first field that the list file cannot hold ("nick", ...), or null.
    const char* badField() const;
};

class TCHSMTokens : public TCCollection<TCHSMTokenDescriptor> {
public:
    TCHSMTokens() : TCCollection<TCHSMTokenDescriptor>(8, 8) {}

    // Sets the entry's owning list, then inserts it.
    int insert(void* item) override;

    // Remembers the path and appends the entries of the file, when it exists.
    bool load(const char* path, bool report);
    // Writes the whole list to the remembered path (atomically).
    bool save(bool report);
    // True exactly when a path is known (nothing is read again).
    bool reload(bool report);
    // The first entry whose nick equals the text without regard to case.
    TCHSMTokenDescriptor* findByNick(const char* nick) const;

    // The lines that save writes.
    void buildLines(TCStringList& lines) const;
    bool loadFromIni(const TCSIniFile& ini);

    const TCString& path() const { return path_; }

    // Optional replacements of reading and writing the file (never set by
    // the program itself).
    std::function<bool(TCHSMTokens&, bool report)> loadHook;
    std::function<bool(TCHSMTokens&, bool report)> saveHook;
    void* userValue = nullptr;

private:
    bool readEntry(const TCRefStringList& section, TCHSMTokenDescriptor& d) const;
    TCString path_;
};

// The program's token list, alive from static initialisation to exit.
extern TCHSMTokens hsmTokens;
TCHSMTokens* getHSMTokens();
