#include "platform/win/PrivateProfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "platform/runtime/FileUtils.h"
#include "platform/runtime/IniText.h"
#include "platform/win/WinError.h"
#include "platform/win/NameFold.h"

namespace {

using zrx::win::foldName;
using zrx::win::SetLastError;
namespace fs = std::filesystem;

std::atomic<zrx::win::ProfileCommitHook> commitHook{nullptr};

// Profiles are small: a bigger file is not one, and is not read whole.
constexpr size_t kMaxProfileSize = 4u << 20;

using zrx::ini::trim;
using zrx::ini::unquote;

// Lines are read by the one INI reader (platform/runtime/IniText.h).
using Kind = zrx::ini::LineKind;

struct LineInfo {
    Kind kind = Kind::Blank;
    std::string name;   // section name or key name, trimmed
    std::string value;  // raw text after '=', trimmed (keys only)
};

LineInfo classify(std::string_view raw) {
    const zrx::ini::Line line = zrx::ini::parseLine(raw);
    return LineInfo{line.kind, std::string(line.name), std::string(line.value)};
}

struct Section {
    std::string name;
    int header = -1;   // line of the header; -1 for the keys above the first header
    size_t begin = 0;  // first line after the header
    size_t end = 0;    // one past the last line of the section
    std::vector<size_t> keys;
};

// A profile file as lines, with what is needed to write it back unchanged.
struct Profile {
    std::vector<std::string> lines;
    std::vector<LineInfo> info;
    std::vector<Section> sections;
    std::string eol = "\n";
    bool bom = false;

    void parse(const std::string& content) {
        lines.clear();
        std::string_view s(content);
        if (s.size() >= 3 && s.substr(0, 3) == "\xEF\xBB\xBF") {
            bom = true;
            s.remove_prefix(3);
        }
        bool eolSeen = false;
        size_t pos = 0;
        while (pos < s.size()) {
            size_t end = s.find_first_of("\r\n", pos);
            if (end == std::string_view::npos) {
                lines.emplace_back(s.substr(pos));
                break;
            }
            lines.emplace_back(s.substr(pos, end - pos));
            size_t next = end + 1;
            if (s[end] == '\r' && next < s.size() && s[next] == '\n') ++next;
            if (!eolSeen) {
                eol = std::string(s.substr(end, next - end));
                eolSeen = true;
            }
            pos = next;
        }
        index();
    }

    void index() {
        info.clear();
        sections.clear();
        sections.push_back(Section{});
        for (size_t i = 0; i < lines.size(); ++i) {
            info.push_back(classify(lines[i]));
            const LineInfo& li = info.back();
            if (li.kind == Kind::Header) {
                sections.back().end = i;
                Section sec;
                sec.name = li.name;
                sec.header = static_cast<int>(i);
                sec.begin = i + 1;
                sections.push_back(sec);
            } else if (li.kind == Kind::Key) {
                sections.back().keys.push_back(i);
            }
        }
        sections.back().end = lines.size();
    }

    // The first section of that name; the keys above the first header count
    // as the empty-named section only when there are some.
    const Section* find(std::string_view name) const {
        const std::string f = foldName(trim(name));
        for (const Section& sec : sections) {
            if (sec.header < 0 && sec.keys.empty()) continue;
            if (foldName(sec.name) == f) return &sec;
        }
        return nullptr;
    }

    std::optional<size_t> findKey(const Section& sec, std::string_view key) const {
        const std::string f = foldName(trim(key));
        for (size_t i : sec.keys)
            if (foldName(info[i].name) == f) return i;
        return std::nullopt;
    }

    std::string text() const {
        std::string out;
        if (bom) out = "\xEF\xBB\xBF";
        for (const std::string& l : lines) {
            out += l;
            out += eol;
        }
        return out;
    }
};

// Reads the rest of an open file; false on a read error.
bool readAll(int fd, std::string& content) {
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) content.append(buf, static_cast<size_t>(n));
        else if (n == 0) return true;
        else if (errno != EINTR) return false;
        if (content.size() > kMaxProfileSize) return false;
    }
}

bool readContent(const std::string& file, std::string& content) {
    content.clear();
    return readBuff(file.c_str(), content, kMaxProfileSize) == 0;
}

bool loadProfile(const std::string& file, Profile& p) {
    std::string content;
    if (!readContent(file, content)) return false;
    p.parse(content);
    return true;
}

// The file itself when the name is a symbolic link, so that the link stays.
std::string targetOf(const std::string& file) {
    std::error_code ec;
    if (fs::is_symlink(file, ec)) {
        const fs::path real = fs::weakly_canonical(file, ec);
        if (!ec) return real.string();
    }
    return file;
}

// Runs a change of a profile file under an exclusive lock on it and replaces
// the file atomically. `change` edits the parsed lines and answers whether
// anything is to be written. With createFile false a missing file is left
// missing (the change sees an empty profile and must not ask to write).
template <class Change> bool modifyProfile(const std::string& fileName, bool createFile, Change change) {
    if (fileName.empty()) return false;
    const std::string file = targetOf(fileName);
    std::error_code ec;
    const fs::path path(file);
    if (!createFile && !fs::exists(path, ec)) {
        Profile empty;
        return !change(empty);
    }
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);

    int lockFd = -1;
    struct stat st {};
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Without blocking: a FIFO planted at the name must not hang the writer.
        lockFd = ::open(file.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
        if (lockFd < 0) return false;
        if (::fstat(lockFd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) > kMaxProfileSize) {
            ::close(lockFd);
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        int rc;
        while ((rc = ::flock(lockFd, LOCK_EX)) < 0 && errno == EINTR) {}
        if (rc < 0) {
            ::close(lockFd);
            return false;
        }
        // Another writer may have replaced the file while we waited: lock the new one.
        struct stat now {};
        if (::fstat(lockFd, &st) == 0 && ::stat(file.c_str(), &now) == 0 && st.st_ino == now.st_ino &&
            st.st_dev == now.st_dev)
            break;
        ::close(lockFd);
        lockFd = -1;
    }
    if (lockFd < 0) return false;

    bool ok = false;
    Profile p;
    std::string content;
    // Read through the locked descriptor: it is the file we replace.
    if (readAll(lockFd, content)) {
        p.parse(content);
        if (!change(p)) {
            ok = true;
        } else {
            const std::string text = p.text();
            WholeFileWrite how;
            if (auto hook = commitHook.load()) how.beforeRename = [hook, &file](const char* tmp) { hook(tmp, file); };
            const int rc = writeWholeFile(file.c_str(), text.data(), text.size(), how);
            ok = rc == 0;
            if (rc == -EACCES || rc == -EPERM) SetLastError(ERROR_ACCESS_DENIED);
            else if (rc != 0) SetLastError(ERROR_WRITE_FAULT);
        }
    }
    ::close(lockFd);
    return ok;
}

bool hasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos || s.find('\0') != std::string_view::npos;
}

bool validSection(std::string_view section) {
    return !hasLineBreak(section) && section.find(']') == std::string_view::npos;
}

bool validKey(std::string_view key) {
    const std::string_view t = trim(key);
    if (t.empty() || hasLineBreak(t) || t.find('=') != std::string_view::npos) return false;
    return t.front() != '[' && t.front() != ';' && t.front() != '#';
}

// Where a new key of a section goes: after its last key, else after its header.
size_t insertionPoint(const Section& sec) {
    if (!sec.keys.empty()) return sec.keys.back() + 1;
    return sec.header < 0 ? 0 : static_cast<size_t>(sec.header) + 1;
}

// Copies a list of names as NUL-terminated strings ending with an empty one,
// with the Windows truncation rule (size - 2 when it does not fit).
uint32_t copyList(const std::vector<std::string>& items, char* buf, uint32_t size) {
    if (!buf || size == 0) return 0;
    if (size < 2) {
        buf[0] = '\0';
        return 0;
    }
    size_t pos = 0;
    for (const std::string& item : items) {
        if (pos + item.size() + 1 > size - 1) {
            const size_t room = pos < size - 2 ? size - 2 - pos : 0;
            const size_t cut = zrx_utf8::cutBytes(item, room);  // never inside a character
            std::memcpy(buf + pos, item.data(), cut);
            std::memset(buf + pos + cut, 0, room - cut);
            buf[size - 2] = '\0';
            buf[size - 1] = '\0';
            return size - 2;
        }
        std::memcpy(buf + pos, item.data(), item.size());
        pos += item.size();
        buf[pos++] = '\0';
    }
    buf[pos] = '\0';
    if (pos == 0 && size > 1) buf[1] = '\0';
    return static_cast<uint32_t>(pos);
}

// Cut only between characters, never inside one.
uint32_t copyText(std::string_view text, char* buf, uint32_t size) {
    if (!buf || size == 0) return 0;
    return static_cast<uint32_t>(zrx_utf8::copyCut(text, buf, size));
}

// Sets a key of a section in the parsed lines (the lines' index is stale
// afterwards); false when the line is already as it would be written.
bool setKey(Profile& p, const std::string& sectionName, std::string_view keyName, std::string_view stored) {
    // Readers trim and unquote values; a value that would lose blanks or
    // quotes that way is written in quotes, so it reads back as it was.
    std::string value(stored);
    if (!value.empty() && (trim(stored).size() != stored.size() || unquote(stored).size() != stored.size()))
        value = "\"" + value + "\"";
    const Section* sec = p.find(sectionName);
    if (sec) {
        if (const auto line = p.findKey(*sec, keyName)) {
            std::string text = p.info[*line].name + "=" + value;
            if (p.lines[*line] == text) return false;
            p.lines[*line] = std::move(text);
        } else {
            p.lines.insert(p.lines.begin() + static_cast<std::ptrdiff_t>(insertionPoint(*sec)),
                           std::string(keyName) + "=" + value);
        }
    } else {
        if (!p.lines.empty() && !trim(p.lines.back()).empty()) p.lines.emplace_back();
        p.lines.push_back("[" + sectionName + "]");
        p.lines.push_back(std::string(keyName) + "=" + value);
    }
    return true;
}

// Removes every line of the key in the section; false when there was none.
bool removeKey(Profile& p, std::string_view section, std::string_view key) {
    const Section* sec = p.find(section);
    if (!sec) return false;
    const std::string f = foldName(trim(key));
    bool changed = false;
    for (auto it = sec->keys.rbegin(); it != sec->keys.rend(); ++it) {
        if (foldName(p.info[*it].name) == f) {
            p.lines.erase(p.lines.begin() + static_cast<std::ptrdiff_t>(*it));
            changed = true;
        }
    }
    return changed;
}

std::vector<std::string> keyNames(const std::string& file, std::string_view section) {
    std::vector<std::string> names;
    for (auto& kv : zrx::win::profileSectionValues(file, section)) names.push_back(kv.first);
    return names;
}

}  // namespace

namespace zrx::win {

void setProfileCommitHook(ProfileCommitHook hook) { commitHook.store(hook); }

bool profileRead(const std::string& file, std::string_view section, std::string_view key, std::string& value) {
    Profile p;
    if (file.empty() || !loadProfile(file, p)) return false;
    const Section* sec = p.find(section);
    if (!sec) return false;
    const auto line = p.findKey(*sec, key);
    if (!line) return false;
    value = std::string(unquote(p.info[*line].value));
    return true;
}

bool profileWrite(const std::string& file, std::string_view section, std::string_view key, std::string_view stored) {
    return profileWriteKeys(file, section, {{std::string(key), std::string(stored)}});
}

bool profileWriteKeys(const std::string& file, std::string_view section, const std::vector<ProfileKeyChange>& changes) {
    if (!validSection(section)) return false;
    for (const ProfileKeyChange& c : changes)
        if (!validKey(c.first) || (c.second && hasLineBreak(*c.second))) return false;
    const std::string sectionName(trim(section));
    return modifyProfile(file, true, [&](Profile& p) {
        bool changed = false;
        for (const ProfileKeyChange& c : changes) {
            changed =
                (c.second ? setKey(p, sectionName, trim(c.first), *c.second) : removeKey(p, sectionName, c.first)) ||
                changed;
            p.index();
        }
        return changed;
    });
}

bool profileDeleteKey(const std::string& file, std::string_view section, std::string_view key) {
    return modifyProfile(file, false, [&](Profile& p) { return removeKey(p, section, key); });
}

bool profileDeleteSection(const std::string& file, std::string_view section) {
    return modifyProfile(file, false, [&](Profile& p) {
        const Section* sec = p.find(section);
        if (!sec) return false;
        if (sec->header < 0) {
            // Keys above the first header: remove them, keep the comments there.
            for (auto it = sec->keys.rbegin(); it != sec->keys.rend(); ++it)
                p.lines.erase(p.lines.begin() + static_cast<std::ptrdiff_t>(*it));
        } else {
            p.lines.erase(p.lines.begin() + sec->header, p.lines.begin() + static_cast<std::ptrdiff_t>(sec->end));
        }
        return true;
    });
}

std::string encodeProfileStruct(const void* data, size_t size) {
    static const char hex[] = "0123456789ABCDEF";
    const auto* b = static_cast<const unsigned char*>(data);
    std::string out;
    out.reserve(size * 2 + 2);
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i) {
        out += hex[b[i] >> 4];
        out += hex[b[i] & 15];
        sum += b[i];
    }
    out += hex[(sum >> 4) & 15];
    out += hex[sum & 15];
    return out;
}

bool decodeProfileStruct(std::string_view text, void* data, size_t size) {
    if (text.size() != size * 2 + 2) return false;
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::vector<unsigned char> bytes(size + 1);
    for (size_t i = 0; i <= size; ++i) {
        const int hi = digit(text[2 * i]);
        const int lo = digit(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        bytes[i] = static_cast<unsigned char>(hi * 16 + lo);
    }
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i) sum += bytes[i];
    if ((sum & 0xFF) != bytes[size]) return false;
    if (size) std::memcpy(data, bytes.data(), size);
    return true;
}

bool profileReadStruct(const std::string& file, std::string_view section, std::string_view key, void* data,
                       size_t size) {
    std::string text;
    if (!data && size) return false;
    if (!profileRead(file, section, key, text)) return false;
    return decodeProfileStruct(text, data, size);
}

bool profileWriteStruct(const std::string& file, std::string_view section, std::string_view key, const void* data,
                        size_t size) {
    if (!data && size) return false;
    return profileWrite(file, section, key, encodeProfileStruct(data, size));
}

bool profileSectionExists(const std::string& file, std::string_view section) {
    Profile p;
    if (file.empty() || !loadProfile(file, p)) return false;
    return p.find(section) != nullptr;
}

bool profileSectionHasKeys(const std::string& file, std::string_view section) {
    Profile p;
    if (file.empty() || !loadProfile(file, p)) return false;
    const Section* sec = p.find(section);
    return sec && !sec->keys.empty();
}

std::vector<std::string> profileSectionNames(const std::string& file) {
    std::vector<std::string> names;
    Profile p;
    if (file.empty() || !loadProfile(file, p)) return names;
    std::vector<std::string> seen;
    for (const Section& sec : p.sections) {
        if (sec.header < 0 && sec.keys.empty()) continue;
        const std::string f = foldName(sec.name);
        if (std::find(seen.begin(), seen.end(), f) != seen.end()) continue;
        seen.push_back(f);
        names.push_back(sec.name);
    }
    return names;
}

std::vector<std::pair<std::string, std::string>> profileSectionValues(const std::string& file,
                                                                      std::string_view section) {
    std::vector<std::pair<std::string, std::string>> out;
    Profile p;
    if (file.empty() || !loadProfile(file, p)) return out;
    const Section* sec = p.find(section);
    if (!sec) return out;
    for (size_t i : sec->keys) out.emplace_back(p.info[i].name, std::string(unquote(p.info[i].value)));
    return out;
}

std::vector<std::string> profileSectionLines(const std::string& file, std::string_view section) {
    std::vector<std::string> out;
    Profile p;
    if (file.empty() || !loadProfile(file, p)) return out;
    const Section* sec = p.find(section);
    if (!sec) return out;
    for (size_t i : sec->keys) out.emplace_back(trim(p.lines[i]));
    return out;
}

}  // namespace zrx::win

uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultText, char* buffer,
                                  uint32_t size, const char* fileName) {
    if (!buffer || size == 0) return 0;
    const std::string file = fileName ? fileName : "";
    if (!section) return copyList(zrx::win::profileSectionNames(file), buffer, size);
    if (!key) return copyList(keyNames(file, section), buffer, size);
    std::string value;
    if (zrx::win::profileRead(file, section, key, value)) return copyText(value, buffer, size);
    std::string_view def = defaultText ? defaultText : "";
    while (!def.empty() && def.back() == ' ') def.remove_suffix(1);
    return copyText(def, buffer, size);
}

uint32_t GetPrivateProfileIntA(const char* section, const char* key, int32_t defaultValue, const char* fileName) {
    std::string value;
    if (!section || !key || !fileName || !zrx::win::profileRead(fileName, section, key, value) || value.empty())
        return static_cast<uint32_t>(defaultValue);
    std::string_view v = value;
    bool negative = false;
    if (!v.empty() && (v.front() == '-' || v.front() == '+')) {
        negative = v.front() == '-';
        v.remove_prefix(1);
    }
    uint64_t n = 0;
    for (char c : v) {
        if (c < '0' || c > '9') break;
        n = std::min<uint64_t>(n * 10 + static_cast<uint64_t>(c - '0'), 0xFFFFFFFFu);
    }
    return negative ? 0 : static_cast<uint32_t>(n);
}

uint32_t GetPrivateProfileSectionA(const char* section, char* buffer, uint32_t size, const char* fileName) {
    if (!section || !fileName) return copyList({}, buffer, size);
    return copyList(zrx::win::profileSectionLines(fileName, section), buffer, size);
}

uint32_t GetPrivateProfileSectionNamesA(char* buffer, uint32_t size, const char* fileName) {
    return copyList(zrx::win::profileSectionNames(fileName ? fileName : ""), buffer, size);
}

int WritePrivateProfileStringA(const char* section, const char* key, const char* value, const char* fileName) {
    SetLastError(ERROR_SUCCESS);
    if (!section || !fileName) return 0;
    if (!key) return zrx::win::profileDeleteSection(fileName, section) ? 1 : 0;
    if (!value) return zrx::win::profileDeleteKey(fileName, section, key) ? 1 : 0;
    return zrx::win::profileWrite(fileName, section, key, value) ? 1 : 0;
}

int GetPrivateProfileStructA(const char* section, const char* key, void* data, uint32_t size, const char* fileName) {
    if (!section || !key || !fileName) return 0;
    return zrx::win::profileReadStruct(fileName, section, key, data, size) ? 1 : 0;
}

int WritePrivateProfileStructA(const char* section, const char* key, const void* data, uint32_t size,
                               const char* fileName) {
    if (!section || !key || !fileName) return 0;
    if (!data) return zrx::win::profileDeleteKey(fileName, section, key) ? 1 : 0;
    return zrx::win::profileWriteStruct(fileName, section, key, data, size) ? 1 : 0;
}
