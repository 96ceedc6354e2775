// Entry digests against libgcrypt, the cache rules, the update log, the
// cache clean-up and the information page.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/config/CfgMacros.h"
#include "platform/runtime/Log.h"
#include "platform/win/PrivateProfile.h"
#include "support/TempDir.h"
#include "update/UpdateCache.h"
#include "update/UpdateFixtures.h"
#include "update/UpdateLog.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::pair<uint32_t, std::string>>& records() {
    static std::vector<std::pair<uint32_t, std::string>> r;
    return r;
}
int capture(uint32_t code, const char* text) {
    records().emplace_back(code, text ? text : "");
    return 0;
}

void setHash(TCUPFileInfo& e, const std::string& hex) { TCString(hex).asBuffer(e.hash, sizeof e.hash); }

class FileOpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        records().clear();
        registerCFGMacro("APPL", "OpsApp");
        registerCFGMacro("APPLDATA", dir_.file("appdata").c_str());
        registerCFGMacro("UPDATES", dir_.file("updates").c_str());
        fs::create_directories(dir_.file("updates"));
        fs::create_directories(dir_.file("appdata"));
    }
    void TearDown() override {
        closeUpdateLog();
        csSetKV_HLogOutFunc(nullptr);
        for (const char* m : {"APPL", "APPLDATA", "UPDATES", "MODDIR"}) registerCFGMacro(m, "");
    }
    std::string folder() const { return dir_.file("updates"); }
    bool logged(uint32_t code, const std::string& part) const {
        for (const auto& r : records())
            if (r.first == code && r.second.find(part) != std::string::npos) return true;
        return false;
    }
    zrxtest::TempDir dir_;
};

TEST_F(FileOpsTest, DigestsOfPlainFilesAndXmlModules) {
    csSetKV_HLogOutFunc(capture);
    const std::string bytes = std::string(100000, 'U') + std::string("\0\x01", 2);
    zrxtest::writeFile(folder() + "/plain.bin", bytes);
    const std::string module =
        "<?xml version=\"1.0\"?>\n<module path=\"$MODDIR$/x\">\n  <item a='1' b=\"2\">text</item>\n</module>\n";
    zrxtest::writeFile(folder() + "/mod.xml", module);
    registerCFGMacro("MODDIR", "/would/change/the/text");

    TCUPFileInfo plain("plain.bin");
    setHash(plain, updfx::gostHex(bytes));
    EXPECT_EQ(plain.checkHash(folder().c_str(), false), 0u);

    TCUPFileInfo mod("mod.xml");
    mod.kind = UPF_KIND_XML;
    setHash(mod, updfx::gostHex(updfx::xmllintC14n(folder() + "/mod.xml")));
    EXPECT_EQ(mod.checkHash(folder().c_str(), false), 0u);

    // A wrong digest, quiet and not.
    setHash(plain, std::string(64, '0'));
    EXPECT_EQ(plain.checkHash(folder().c_str(), true), 0xC080000Eu);
    EXPECT_TRUE(records().empty());
    EXPECT_EQ(plain.checkHash(folder().c_str(), false), 0xC080000Eu);
    EXPECT_TRUE(logged(0xC080000Eu, "Контроль хеш-функции модуля 'plain.bin'."));
    // A module with a DOCTYPE is refused by the reader: no digest, no match.
    zrxtest::writeFile(folder() + "/dtd.xml", "<!DOCTYPE m [<!ENTITY e \"x\">]><m>&e;</m>");
    TCUPFileInfo dtd("dtd.xml");
    dtd.kind = UPF_KIND_XML;
    EXPECT_EQ(dtd.checkHash(folder().c_str(), false), XML_E_DTD);
    // A missing file is a runtime file error.
    TCUPFileInfo absent("absent.bin");
    EXPECT_EQ(absent.checkHash(folder().c_str(), false), 0xC0400002u);
    EXPECT_TRUE(logged(0xC0400002u, "Вычисление хеш-функции файла"));
    EXPECT_FALSE(absent.isCached(folder().c_str()));
}

TEST_F(FileOpsTest, DownloadUsesTheCacheAndDeletesWrongFiles) {
    csSetKV_HLogOutFunc(capture);
    zrxtest::TempDir server;
    zrxtest::writeFile(server.file("f.bin"), "published");
    TCUpdationConfig settings;
    settings.href = server.file("upd.sxml");  // the entry's folder comes from it
    TCUPFileInfo e("f.bin");
    setHash(e, updfx::gostHex("published"));

    // A right file already there is not fetched again; the success line is logged all the same.
    zrxtest::writeFile(folder() + "/f.bin", "published");
    fs::remove(server.file("f.bin"));
    EXPECT_EQ(e.download(folder().c_str(), settings), 0u);
    EXPECT_TRUE(e.verified);
    EXPECT_TRUE(logged(0x40800021u, "Обновленный файл 'f.bin"));

    // A wrong file is fetched again; a wrong download is refused and deleted.
    zrxtest::writeFile(folder() + "/f.bin", "stale");
    zrxtest::writeFile(server.file("f.bin"), "tampered");
    EXPECT_EQ(e.download(folder().c_str(), settings), 0xC080000Eu);
    EXPECT_FALSE(e.verified);
    EXPECT_FALSE(fs::exists(folder() + "/f.bin"));

    // A copy needs a destination.
    records().clear();
    EXPECT_EQ(e.copyToDest(folder().c_str()), 0xC0800005u);
    EXPECT_TRUE(logged(0xC0800005u, "Не задана папка для записи обновленного файла 'f.bin'!"));
}

TEST_F(FileOpsTest, DisplayTexts) {
    TCUPFileInfo e("prog.exe");
    e.revisionKind = UPF_REVISION_VERSION;
    e.revision = 0x02010304;
    EXPECT_EQ(e.displayText(), "prog.exe версии 2.1.3.4");
    e.description = "Программа";
    e.revisionKind = UPF_REVISION_DATE;
    e.revision = 86400 * 365;
    EXPECT_EQ(e.displayText().str().rfind("Программа редакции от ", 0), 0u);
}

TEST_F(FileOpsTest, UpdateLogLines) {
    openUpdateLog();
    ASSERT_EQ(csGetHLogOutFunc(), updateLogOutput);
    KV_HLogText(0x40800021u, "Файл загружен");
    KV_HLogText(0xC080000Eu, "Хеш не совпал");
    closeUpdateLog();
    EXPECT_EQ(csGetHLogOutFunc(), nullptr);
    const std::string text = zrxtest::readFile(folder() + "/updateLog.txt");
    EXPECT_NE(text.find(" 40800021 Файл загружен.\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" Ошибка C080000E. Хеш не совпал.\n"), std::string::npos) << text;

    // With another output installed (the daily log) no update log is opened,
    // and closing leaves that output in place.
    fs::remove(folder() + "/updateLog.txt");
    csSetKV_HLogOutFunc(capture);
    openUpdateLog();
    KV_HLogText(0, "в дневной журнал");
    closeUpdateLog();
    EXPECT_EQ(csGetHLogOutFunc(), capture);
    EXPECT_FALSE(fs::exists(folder() + "/updateLog.txt"));
    EXPECT_TRUE(logged(0, "в дневной журнал"));
}

TEST_F(FileOpsTest, CleanUpKeepsTheLog) {
    csSetKV_HLogOutFunc(capture);
    for (const char* f : {"a.bin", "upd.sxml", "UPDATELOG.TXT"}) zrxtest::writeFile(folder() + "/" + f, "x");
    zrxtest::writeFile(folder() + "/updateLog.txt", "log");
    EXPECT_TRUE(cleanUpdateCache());
    EXPECT_FALSE(fs::exists(folder() + "/a.bin"));
    EXPECT_FALSE(fs::exists(folder() + "/upd.sxml"));
    EXPECT_TRUE(fs::exists(folder() + "/updateLog.txt"));
    EXPECT_TRUE(fs::exists(folder() + "/UPDATELOG.TXT"));  // names holding it in any case stay

    // No updates folder named: nothing is listed.
    registerCFGMacro("UPDATES", "");
    EXPECT_FALSE(cleanUpdateCache());
}

TEST_F(FileOpsTest, InformationPage) {
    const std::string vers = dir_.file("appdata") + "/OpsApp_vers.ini";
    TCString page("unchanged");
    updateInfoHtml(page);  // no versions file
    EXPECT_NE(page.str().find("color=red"), std::string::npos);
    zrxtest::writeFile(vers, "[modules]\nprog.exe=02010304\n");
    updateInfoHtml(page);  // no lastUpdated: the red text whatever [modules] holds
    EXPECT_NE(page.str().find("Информация о обновлениях отсутсвует!"), std::string::npos);

    zrxtest::writeFile(vers,
                       "lastUpdated=1700000000\n[modules]\nprog.exe=02010304\nconf.xml=65A0C000\nodd.dat=zz\n"
                       "small.dll=00000010\n<b>x</b>.exe=01000000\n");
    updateInfoHtml(page);
    const std::string html = page.str();
    EXPECT_NE(html.find("<table width = 80%>"), std::string::npos);  // widths as written
    EXPECT_EQ(html.find("%s"), std::string::npos);
    EXPECT_NE(html.find("<tr><td>prog.exe</td><td>2.1.3.4</td></tr>"), std::string::npos) << html;
    EXPECT_NE(html.find("<tr><td>conf.xml</td><td>12.01.2024</td></tr>"), std::string::npos) << html;
    EXPECT_EQ(html.find("odd.dat"), std::string::npos);
    EXPECT_NE(html.find("<tr><td>small.dll</td><td>00000010</td></tr>"), std::string::npos);
    EXPECT_NE(html.find("<tr><td>&lt;b&gt;x&lt;/b&gt;.exe</td><td>1.0.0.0</td></tr>"), std::string::npos);
    EXPECT_EQ(html.find("<b>x</b>"), std::string::npos);
    EXPECT_EQ(html.substr(html.size() - 12), "</table></p>");
}

}  // namespace
