#include "platform/win/Registry.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/TempDir.h"

using namespace zrx::win;

namespace {

// Points the registry at another file for the scope.
class RegistryFile {
public:
    explicit RegistryFile(const std::string& path) : old_(registryPath()) { setenv("ZRX_REGISTRY", path.c_str(), 1); }
    ~RegistryFile() { setenv("ZRX_REGISTRY", old_.c_str(), 1); }

private:
    std::string old_;
};

std::string bytes(const void* p, size_t n) { return std::string(static_cast<const char*>(p), n); }

HKEY createKey(const char* path, uint32_t access = KEY_ALL_ACCESS) {
    HKEY k = 0;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, access, nullptr, &k, nullptr), ERROR_SUCCESS);
    return k;
}

}  // namespace

TEST(Registry, EveryValueKindRoundTripsWithNamesInAnyCase) {
    // A store of its own: the names listed below are all the key holds, also on a repeated run.
    zrxtest::TempDir dir;
    RegistryFile use(dir.file("reg.sqlite"));
    const uint32_t dword = 0xFFFFFFFEu;
    const uint64_t qword = 0x0123456789ABCDEFull;
    const unsigned char bin[] = {0, 1, 0xFF, 0x80, 0};
    struct Case {
        const char* name;
        const char* readAs;
        uint32_t type;
        std::string data;
    } cases[] = {
        {"Text", "TEXT", REG_SZ, std::string("Привет, мир\0", 21)},
        {"Путь", "ПУТЬ", REG_EXPAND_SZ, std::string("%HOME%/x\0", 9)},
        {"Список", "сПИСОК", REG_MULTI_SZ, std::string("a\0бв\0\0", 7)},
        {"Number", "nUmBeR", REG_DWORD, bytes(&dword, 4)},
        {"Большое", "БОЛЬШОЕ", REG_QWORD, bytes(&qword, 8)},
        {"Блоб", "блоб", REG_BINARY, bytes(bin, sizeof bin)},
        {"", "", REG_SZ, std::string("default\0", 8)},
        {"Empty", "EMPTY", REG_BINARY, std::string()},
    };
    HKEY k = createKey("Software\\Zoren\\Ключи\\Test");
    for (const Case& c : cases)
        ASSERT_EQ(RegSetValueExA(k, c.name, 0, c.type, reinterpret_cast<const uint8_t*>(c.data.data()),
                                 static_cast<uint32_t>(c.data.size())),
                  ERROR_SUCCESS)
            << c.name;
    RegCloseKey(k);

    // Read back through a path spelled in other letter case.
    HKEY r = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\zoren\\КЛЮЧИ\\test", 0, KEY_READ, &r), ERROR_SUCCESS);
    for (const Case& c : cases) {
        uint32_t type = 99, size = 0;
        ASSERT_EQ(RegQueryValueExA(r, c.readAs, nullptr, &type, nullptr, &size), ERROR_SUCCESS) << c.name;
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(size, c.data.size());
        std::vector<uint8_t> buf(size + 1, 0xAA);
        uint32_t got = size;
        ASSERT_EQ(RegQueryValueExA(r, c.readAs, nullptr, &type, buf.data(), &got), ERROR_SUCCESS);
        EXPECT_EQ(bytes(buf.data(), got), c.data) << c.name;
    }
    // A buffer too small reports the size needed.
    char small[4];
    uint32_t size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(r, "text", nullptr, nullptr, reinterpret_cast<uint8_t*>(small), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 21u);
    // Missing values and keys.
    EXPECT_EQ(RegQueryValueExA(r, "nothing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    HKEY none = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Zoren\\Нет", 0, KEY_READ, &none), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(none, 0u);
    // Names keep the spelling of their creation.
    std::vector<std::string> names;
    ASSERT_EQ(regValueNames(r, names), ERROR_SUCCESS);
    EXPECT_EQ(names, (std::vector<std::string>{"Text", "Путь", "Список", "Number", "Большое", "Блоб", "", "Empty"}));
    RegCloseKey(r);

    // Overwriting through another spelling keeps one value, its place and its spelling.
    k = createKey("software\\ZOREN\\ключи\\TEST");
    ASSERT_EQ(regSetValue(k, "PUTЬ", REG_SZ, "x"), ERROR_SUCCESS);  // mixed scripts: a new value
    ASSERT_EQ(regSetValue(k, "пУТЬ", REG_SZ, std::string("y\0", 2)), ERROR_SUCCESS);
    ASSERT_EQ(regValueNames(k, names), ERROR_SUCCESS);
    EXPECT_EQ(names[1], "Путь");
    EXPECT_EQ(names.size(), 9u);
    uint32_t type = 0;
    std::string data;
    ASSERT_EQ(regQueryValue(k, "путь", &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(data, std::string("y\0", 2));
    RegCloseKey(k);
}

TEST(Registry, RejectsWrongSizesAndOverlongNames) {
    HKEY k = createKey("Software\\Zoren\\Limits");
    const uint8_t three[3] = {1, 2, 3};
    EXPECT_EQ(RegSetValueExA(k, "d", 0, REG_DWORD, three, 3), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExA(k, "q", 0, REG_QWORD, three, 3), ERROR_INVALID_PARAMETER);
    // A key name is limited to 255 characters (not bytes); longer ones are refused cleanly.
    std::string cyr;
    for (int i = 0; i < 255; ++i) cyr += "ж";
    HKEY sub = 0;
    EXPECT_EQ(RegCreateKeyExA(k, cyr.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_SUCCESS);
    RegCloseKey(sub);
    EXPECT_EQ(RegCreateKeyExA(k, (cyr + "ж").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
              ERROR_INVALID_PARAMETER);
    // Long value names and large values work.
    const std::string longName(5000, 'n');
    const std::string big(1 << 20, 'v');
    EXPECT_EQ(regSetValue(k, longName, REG_BINARY, big), ERROR_SUCCESS);
    std::string back;
    EXPECT_EQ(regQueryValue(k, longName, nullptr, &back), ERROR_SUCCESS);
    EXPECT_EQ(back, big);
    RegCloseKey(k);
    EXPECT_EQ(RegCloseKey(k), ERROR_INVALID_HANDLE);
    EXPECT_EQ(regSetValue(k, "x", REG_SZ, "y"), ERROR_INVALID_HANDLE);
}

TEST(Registry, AccessCreateDeleteAndEnumerate) {
    HKEY k = createKey("Software\\Zoren\\Tree\\B\\Deep");
    RegCloseKey(k);
    RegCloseKey(createKey("Software\\Zoren\\Tree\\a"));
    RegCloseKey(createKey("Software\\Zoren\\Tree\\В"));  // Cyrillic
    uint32_t disposition = 0;
    HKEY tree = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Zoren\\TREE", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &tree,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    std::vector<std::string> names;
    ASSERT_EQ(regKeyNames(tree, names), ERROR_SUCCESS);
    EXPECT_EQ(names, (std::vector<std::string>{"a", "B", "В"}));
    char name[8];
    uint32_t len = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(tree, 1, name, &len, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "B");
    EXPECT_EQ(len, 1u);
    len = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(tree, 3, name, &len, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    // The longest sub-key name is given in bytes: a buffer of that size plus
    // the terminator holds the Cyrillic name.
    uint32_t subKeys = 0, maxSubKeyLen = 0;
    ASSERT_EQ(RegQueryInfoKeyA(tree, nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 3u);
    EXPECT_EQ(maxSubKeyLen, 2u);
    len = maxSubKeyLen + 1;
    EXPECT_EQ(RegEnumKeyExA(tree, 2, name, &len, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "В");

    // A read-only handle reads but never writes or creates.
    HKEY ro = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Zoren\\Tree", 0, KEY_READ, &ro), ERROR_SUCCESS);
    EXPECT_EQ(regSetValue(ro, "v", REG_SZ, "x"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteTreeA(ro, "B"), ERROR_ACCESS_DENIED);
    HKEY sub = 0;
    EXPECT_EQ(RegCreateKeyExA(ro, "New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyExA(ro, "b", 0, nullptr, 0, KEY_READ, nullptr, &sub, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

    // Values: delete one, then a key with sub-keys needs the tree delete.
    ASSERT_EQ(regSetValue(tree, "v", REG_SZ, "x"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(tree, "V"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(tree, "V"), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(regSetValue(sub, "x", REG_SZ, "y"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(tree, "b"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(tree, "a"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTreeA(tree, "b"), ERROR_SUCCESS);
    // The handle still open on the deleted key reports it as deleted.
    std::string data;
    EXPECT_EQ(regQueryValue(sub, "x", nullptr, &data), ERROR_KEY_DELETED);
    RegCloseKey(sub);
    ASSERT_EQ(regKeyNames(tree, names), ERROR_SUCCESS);
    EXPECT_EQ(names, (std::vector<std::string>{"В"}));
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Zoren\\Tree\\B\\Deep", 0, KEY_READ, &sub),
              ERROR_FILE_NOT_FOUND);
    // Re-creating a deleted path gives a fresh, empty key.
    sub = createKey("Software\\Zoren\\Tree\\B");
    RegKeyInfo info;
    ASSERT_EQ(regKeyInfo(sub, info), ERROR_SUCCESS);
    EXPECT_EQ(info.subKeys, 0u);
    EXPECT_EQ(info.values, 0u);
    RegCloseKey(sub);
    RegCloseKey(ro);
    RegCloseKey(tree);
}

TEST(Registry, KeepsDataInTheFileNamedByTheEnvironment) {
    HKEY k = createKey("Software\\Zoren\\Durable");
    ASSERT_EQ(regSetValue(k, "v", REG_SZ, "kept"), ERROR_SUCCESS);
    RegCloseKey(k);
    HKEY o = 0;
    {
        zrxtest::TempDir other;
        RegistryFile use(other.file("sub/dir/reg.sqlite"));
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Zoren\\Durable", 0, KEY_READ, &o), ERROR_FILE_NOT_FOUND);
        RegCloseKey(createKey("Software\\Other"));
        struct stat st {};
        ASSERT_EQ(stat(other.file("sub/dir/reg.sqlite").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);  // the user's own
    }
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Zoren\\Durable", 0, KEY_READ, &o), ERROR_SUCCESS);
    std::string v;
    EXPECT_EQ(regQueryValue(o, "v", nullptr, &v), ERROR_SUCCESS);
    EXPECT_EQ(v, "kept");
    RegCloseKey(o);
}

// The store's connection lives to the end of the process, so its log is
// never folded in at close; many writes still leave a short log, which the
// next start has to read back whole.
TEST(Registry, ManyWritesLeaveAShortLog) {
    zrxtest::TempDir dir;
    const std::string file = dir.file("reg.sqlite");
    RegistryFile use(file);
    HKEY k = createKey("Software\\Zoren\\Many");
    for (int i = 0; i < 400; ++i)
        ASSERT_EQ(regSetValue(k, ("value" + std::to_string(i)).c_str(), REG_SZ, std::string(200, 'x')), ERROR_SUCCESS);
    RegCloseKey(k);
    struct stat st {};
    ASSERT_EQ(stat((file + "-wal").c_str(), &st), 0);
    const off_t frame = 4096 + 24;
    EXPECT_LT(st.st_size, 128 * frame);
}

TEST(Registry, DamagedDatabaseIsSetAsideAndAFreshOneUsed) {
    zrxtest::TempDir dir;
    const std::string path = dir.file("reg.sqlite");
    zrxtest::writeFile(path, std::string(8192, 'x'));
    RegistryFile use(path);
    HKEY k = createKey("Software\\Zoren\\Fresh");
    EXPECT_EQ(regSetValue(k, "v", REG_SZ, "ok"), ERROR_SUCCESS);
    RegCloseKey(k);
    EXPECT_EQ(zrxtest::readFile(path + ".bad"), std::string(8192, 'x'));
}

TEST(Registry, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kWrites = 150;
    // Open the store in the parent first: the children must not reuse its connection.
    RegCloseKey(createKey("Software\\Zoren\\Shared"));
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            int failures = 0;
            for (int i = 0; i < kWrites; ++i) {
                HKEY k = 0;
                const std::string path = "Software\\Zoren\\Shared\\P" + std::to_string(c);
                if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                                    nullptr) != ERROR_SUCCESS) {
                    ++failures;
                    continue;
                }
                const uint32_t v = static_cast<uint32_t>(i);
                if (RegSetValueExA(k, ("v" + std::to_string(i)).c_str(), 0, REG_DWORD,
                                   reinterpret_cast<const uint8_t*>(&v), 4) != ERROR_SUCCESS)
                    ++failures;
                RegCloseKey(k);
                HKEY shared = 0;
                RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Zoren\\Shared", 0, KEY_ALL_ACCESS, &shared);
                if (regSetValue(shared, "c" + std::to_string(c) + "_" + std::to_string(i), REG_SZ, "x") !=
                    ERROR_SUCCESS)
                    ++failures;
                RegCloseKey(shared);
            }
            _exit(failures == 0 ? 0 : 1);
        }
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    HKEY shared = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Zoren\\Shared", 0, KEY_READ, &shared), ERROR_SUCCESS);
    std::vector<std::string> names;
    ASSERT_EQ(regValueNames(shared, names), ERROR_SUCCESS);
    EXPECT_EQ(names.size(), 2u * kWrites);
    for (int c = 0; c < 2; ++c) {
        HKEY k = 0;
        ASSERT_EQ(RegOpenKeyExA(shared, ("p" + std::to_string(c)).c_str(), 0, KEY_READ, &k), ERROR_SUCCESS);
        ASSERT_EQ(regValueNames(k, names), ERROR_SUCCESS);
        EXPECT_EQ(names.size(), static_cast<size_t>(kWrites));
        uint32_t v = 0, size = 4;
        EXPECT_EQ(RegQueryValueExA(k, "v149", nullptr, nullptr, reinterpret_cast<uint8_t*>(&v), &size), ERROR_SUCCESS);
        EXPECT_EQ(v, 149u);
        RegCloseKey(k);
    }
    RegCloseKey(shared);
}

namespace {

// Runs SQL on the store through a connection of its own.
bool sql(const std::string& path, const std::string& text) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
              sqlite3_exec(db, text.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close_v2(db);
    return ok;
}

// Fills a store with enough values to span many pages, then lets it go
// (a call on another store closes its connection).
void fillStore(const std::string& path) {
    {
        RegistryFile use(path);
        HKEY k = createKey("Software\\Zoren\\Many");
        for (int i = 0; i < 400; ++i)
            ASSERT_EQ(regSetValue(k, "value" + std::to_string(i), REG_SZ, std::string(200, char('a' + i % 26))),
                      ERROR_SUCCESS);
        RegCloseKey(k);
    }
    RegistryFile other(path + ".other");
    RegCloseKey(createKey("Software\\Other"));
}

// Overwrites the pages after the first two with garbage.
void damagePages(const std::string& path) {
    ASSERT_TRUE(sql(path, "PRAGMA wal_checkpoint(TRUNCATE)"));
    std::string bytes = zrxtest::readFile(path);
    ASSERT_GT(bytes.size(), 4u * 4096);
    for (size_t i = 2 * 4096; i < bytes.size(); i += 7) bytes[i] = char(0xA5);
    zrxtest::writeFile(path, bytes);
}

}  // namespace

// A store damaged in its pages, or of the right version without its tables,
// is set aside as "<file>.bad" when opened; a fresh one serves from then on.
TEST(Registry, DamagedPagesOrMissingTablesAreSetAsideAtOpen) {
    const struct {
        const char* what;
        void (*damage)(const std::string& path);
    } cases[] = {
        {"pages", damagePages},
        {"tables", [](const std::string& path) { ASSERT_TRUE(sql(path, "DROP TABLE regvalue")); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        zrxtest::TempDir dir;
        const std::string path = dir.file("reg.sqlite");
        fillStore(path);
        c.damage(path);
        RegistryFile use(path);
        HKEY k = createKey("Software\\Zoren\\Fresh");
        EXPECT_EQ(regSetValue(k, "v", REG_SZ, "ok"), ERROR_SUCCESS);
        std::string v;
        EXPECT_EQ(regQueryValue(k, "v", nullptr, &v), ERROR_SUCCESS);
        EXPECT_EQ(v, "ok");
        RegCloseKey(k);
        struct stat st {};
        EXPECT_EQ(stat((path + ".bad").c_str(), &st), 0);
    }
}

// Damage met while the store is in use is reported as corruption (not as a
// deleted key) and the store is set aside: the next calls work again.
TEST(Registry, DamageFoundAtRunTimeIsReportedAndSetAside) {
    zrxtest::TempDir dir;
    const std::string path = dir.file("reg.sqlite");
    fillStore(path);
    RegistryFile use(path);
    HKEY k = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Zoren\\Many", 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    damagePages(path);
    // Another writer's commit makes this connection read the pages again.
    ASSERT_TRUE(sql(path, "PRAGMA user_version=1"));
    std::string v;
    int32_t err = ERROR_SUCCESS;
    for (int i = 0; i < 400 && err == ERROR_SUCCESS; ++i)
        err = regQueryValue(k, "value" + std::to_string(i), nullptr, &v);
    EXPECT_EQ(err, ERROR_BADDB);
    RegCloseKey(k);
    HKEY fresh = createKey("Software\\Zoren\\After");
    EXPECT_EQ(regSetValue(fresh, "v", REG_SZ, "ok"), ERROR_SUCCESS);
    RegCloseKey(fresh);
    struct stat st {};
    EXPECT_EQ(stat((path + ".bad").c_str(), &st), 0);
}

// A parent link that loops back is reported as corruption; the tree delete
// ends instead of looping for ever.
TEST(Registry, ParentCycleEndsTreeDeletion) {
    zrxtest::TempDir dir;
    const std::string path = dir.file("reg.sqlite");
    RegistryFile use(path);
    RegCloseKey(createKey("Software\\Loop\\B\\C"));
    HKEY loop = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Loop", 0, KEY_ALL_ACCESS, &loop), ERROR_SUCCESS);
    ASSERT_TRUE(sql(path, "UPDATE regkey SET parent=(SELECT id FROM regkey WHERE fold='c') WHERE fold='loop'"));
    EXPECT_EQ(RegDeleteTreeA(loop, nullptr), ERROR_BADDB);
    RegCloseKey(loop);
}
