// The update run end to end: signed lists made at test time, files fetched
// from local folders or a server on 127.0.0.1, and a scripted message callback.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "dialogs/MessageView.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/framework/QtTestApp.h"
#include "platform/net/TestServers.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/TimeUtils.h"
#include "platform/win/PrivateProfile.h"
#include "support/TempDir.h"
#include "update/UpdateFixtures.h"
#include "update/UpdateRun.h"

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
std::vector<std::string>& events() {
    static std::vector<std::string> e;
    return e;
}
void captureEvent(int32_t, const char* text) { events().push_back(text ? text : ""); }

// The scripted callback: answers and remembers the questions.
int g_answer = 6;
std::vector<std::string> g_questions;
int g_afterRuns = 0;
int scripted(TCUpdationCtx*, const char* text, uint32_t flags) {
    g_questions.push_back(text);
    return flags == 36 ? g_answer : 1;
}
void afterRun(TCUpdationCtx*) { ++g_afterRuns; }

struct Entry {
    std::string group;  // group attributes
    std::string name;
    std::string content;
    std::string revision = "2";
    std::string attrs = "";  // further attributes of the file element
};

class UpdateRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        keys_ = new zrxtest::TempDir;
        publisher_ = zrxtest::makePublisher(keys_->str(), "publisher");
    }
    static void TearDownTestSuite() {
        delete keys_;
        keys_ = nullptr;
    }
    void SetUp() override {
        updfx::testSigners().clear();
        updfx::testSigners().add(updfx::derBase64(publisher_.cert));
        records().clear();
        events().clear();
        g_questions.clear();
        g_answer = 6;
        g_afterRuns = 0;
        prevLog_ = csSetKV_HLogOutFunc(capture);
        prevEvents_ = csSetLogOutFunc(captureEvent);
        zoren_ = getAllUsersFolder().str() + "/zoren";
        fs::create_directories(zoren_);
    }
    void TearDown() override {
        SetModalHook(nullptr);
        setModuleFileName(nullptr);
        csSetKV_HLogOutFunc(prevLog_);
        csSetLogOutFunc(prevEvents_);
        fs::remove_all(zoren_);
        for (const char* m : {"APPL", "APPLDATA", "DATA", "XCFG", "PFT", "UPDATES", "PROGRAMDIR", "APPLFILENAME"})
            registerCFGMacro(m, "");
        setTimeSource(nullptr);
    }
    std::string updates() const { return zoren_ + "/RunApp/updates"; }
    std::string versions() const { return zoren_ + "/RunApp/RunApp_vers.ini"; }
    std::string ini() const { return zoren_ + "/ZrX509Updates.ini"; }

    // Publishes the entries in the server folder and signs the list there.
    std::string publish(const std::vector<Entry>& entries, const std::string& root, const std::string& server) {
        std::string xml = "<autoupdate xmlns=\"\" href=\"" + root + "\"><files>";
        std::string names;
        for (const Entry& e : entries) {
            zrxtest::writeFile(server + "/" + e.name, e.content);
            xml += "<g " + e.group + "><" + e.name + " revision=\"" + e.revision + "\" hesh=\"" +
                   updfx::gostHex(e.content) + "\" " + e.attrs + "/></g>";
            names += (names.empty() ? "" : ",") + e.name;
        }
        xml += "</files><applications><RunApp files=\"" + names + "\"/></applications></autoupdate>";
        const std::string list = server + "/upd.sxml";
        EXPECT_FALSE(zrxtest::writeSigned(publisher_, xml, list).empty());
        return list;
    }
    void settings(uint32_t mode, int period, int64_t lastCheck, const std::string& href) {
        zrxtest::writeFile(ini(), "[RunApp]\nupdationMode=" + std::to_string(mode) +
                                      "\ncheckPeriod=" + std::to_string(period) +
                                      "\nlastCheck=" + std::to_string(lastCheck) + "\nhref=" + href + "\n");
    }
    std::string stored(const char* key) const {
        std::string v;
        zrx::win::profileRead(ini(), "RunApp", key, v);
        return v;
    }
    bool logged(const std::string& part) const {
        for (const auto& r : records())
            if (r.second.find(part) != std::string::npos) return true;
        return false;
    }
    bool evented(const std::string& text) const {
        for (const auto& e : events())
            if (e == text) return true;
        return false;
    }
    static bool waitFor(const std::string& path) {
        for (int i = 0; i < 100 && !fs::exists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return fs::exists(path);
    }
    std::string installer(const std::string& marker) const { return "#!/bin/sh\necho ran > '" + marker + "'\n"; }

    static zrxtest::TempDir* keys_;
    static zrxtest::Publisher publisher_;
    zrxtest::TempDir server_, dest_;
    std::string zoren_;
    KV_HLogOutFunc prevLog_ = nullptr;
    TCSLogOutFunc prevEvents_ = nullptr;
};

zrxtest::TempDir* UpdateRunTest::keys_ = nullptr;
zrxtest::Publisher UpdateRunTest::publisher_;

TEST_F(UpdateRunTest, ModesAndTheCheckPeriod) {
    const std::string list =
        publish({{"mode=\"copy\" dest=\"" + dest_.str() + "\"", "a.bin", "A"}}, server_.str(), server_.str());
    const int64_t recent = today();
    // At start with the period running: no check, lastCheck kept.
    settings(3, 7, recent, list);
    TCUpdationCtx ctx(scripted, 0, nullptr);
    EXPECT_EQ(runUpdation(UPD_MODE_START, &ctx, "RunApp", nullptr), 0x40800028u);
    EXPECT_FALSE(fs::exists(dest_.file("a.bin")));
    // Without the at-start bit nothing is due either, whatever the period.
    settings(2, 0, 0, list);
    EXPECT_EQ(runUpdation(UPD_MODE_START, &ctx, "RunApp", nullptr), 0x40800028u);
    // Mode 3 runs regardless and keeps lastCheck.
    settings(3, 7, recent, list);
    EXPECT_EQ(runUpdation(UPD_MODE_FORCED, &ctx, "RunApp", nullptr), 0u);
    EXPECT_EQ(zrxtest::readFile(dest_.file("a.bin")), "A");
    EXPECT_EQ(stored("lastCheck"), std::to_string(recent));
    // Mode 0 ignores the period and stores lastCheck even when nothing is due.
    settings(3, 7, recent - 86400, list);
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &ctx, "RunApp", nullptr), 0u);
    EXPECT_TRUE(evented("Обновления отсутствуют."));
    EXPECT_EQ(stored("lastCheck"), std::to_string(today()));
    // At start with the period run out: a check, and lastCheck is stamped.
    settings(1, 1, recent - 2 * 86400, list);
    events().clear();
    EXPECT_EQ(runUpdation(UPD_MODE_START, &ctx, "RunApp", nullptr), 0u);
    EXPECT_TRUE(evented("Проверка наличия обновлений программы..."));
    EXPECT_EQ(stored("lastCheck"), std::to_string(today()));
    EXPECT_TRUE(g_questions.empty());
}

TEST_F(UpdateRunTest, CopiesRecordRevisionsAndSetFlagsOnlyOnCommand) {
    const std::string group = "mode=\"copy\" exit=\"yes\" dest=\"" + dest_.str() + "\"";
    const std::string list = publish({{group, "prog.bin", "new program", "5"}}, server_.str(), server_.str());
    settings(1, 0, 0, list);
    TCUpdationCtx atStart(scripted, 0, nullptr);
    EXPECT_EQ(runUpdation(UPD_MODE_START, &atStart, "RunApp", nullptr), 0u);
    EXPECT_EQ(zrxtest::readFile(dest_.file("prog.bin")), "new program");
    EXPECT_EQ(atStart.flags.value(), 0u);  // at start the program keeps running
    std::string rev;
    ASSERT_TRUE(zrx::win::profileRead(versions(), "modules", "prog.bin", rev));
    EXPECT_EQ(rev, "5");

    // Installed: nothing more to do.
    fs::remove(dest_.file("prog.bin"));
    TCUpdationCtx again(scripted, 0, nullptr);
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &again, "RunApp", nullptr), 0u);
    EXPECT_FALSE(fs::exists(dest_.file("prog.bin")));

    // A newer revision on command: flags 1 and 4.
    publish({{group, "prog.bin", "newer program", "6"}}, server_.str(), server_.str());
    TCUpdationCtx onCommand(scripted, 0, nullptr);
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &onCommand, "RunApp", nullptr), 0u);
    EXPECT_EQ(onCommand.flags.value(), UPD_MUST_EXIT | UPD_FILES_REPLACED);
    EXPECT_EQ(zrxtest::readFile(dest_.file("prog.bin")), "newer program");
}

TEST_F(UpdateRunTest, InstallersWithTheExitFlag) {
    const std::string marker = dest_.file("ran");
    const std::string list =
        publish({{"mode=\"run\" exit=\"1\"", "setup.sh", installer(marker)}}, server_.str(), server_.str());
    settings(2, 0, 0, list);
    // No: refused, flags cleared, nothing started.
    g_answer = 7;
    TCUpdationCtx ctx(scripted, 0, afterRun);
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &ctx, "RunApp", nullptr), 0xC0800024u);
    ASSERT_EQ(g_questions.size(), 1u);
    EXPECT_NE(g_questions[0].find("необходимо закрыть текущую программу.\nСделать это сейчас?"), std::string::npos);
    EXPECT_EQ(ctx.flags.value(), 0u);
    EXPECT_TRUE(logged("был отменен."));
    EXPECT_EQ(g_afterRuns, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(fs::exists(marker));
    // Yes: started, afterRun called, flag 1 only.
    g_answer = 6;
    TCUpdationCtx yes(scripted, 0, afterRun);
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &yes, "RunApp", nullptr), 0u);
    EXPECT_TRUE(waitFor(marker));
    EXPECT_EQ(g_afterRuns, 1);
    EXPECT_EQ(yes.flags.value(), UPD_MUST_EXIT);
    EXPECT_TRUE(yes.mustExit());
    EXPECT_TRUE(logged("Запущено обновление 'setup.sh"));
    // Without a callback a newer revision starts without a question.
    publish({{"mode=\"run\" exit=\"1\"", "setup.sh", installer(marker), "3"}}, server_.str(), server_.str());
    fs::remove(marker);
    g_questions.clear();
    TCUpdationCtx silent;
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &silent, "RunApp", nullptr), 0u);
    EXPECT_TRUE(waitFor(marker));
    EXPECT_TRUE(g_questions.empty());
}

TEST_F(UpdateRunTest, AnInstallerThatCannotStartKeepsTheProgramRunning) {
    const std::string list = publish({{"mode=\"run\" exit=\"1\"", "setup.bin", "neither a script nor a program"}},
                                     server_.str(), server_.str());
    settings(2, 0, 0, list);
    TCUpdationCtx ctx(scripted, 0, afterRun);
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &ctx, "RunApp", nullptr), 0xC0800026u);
    ASSERT_EQ(g_questions.size(), 2u);  // the question, then the error
    EXPECT_NE(g_questions[1].find("Запуск обновления '"), std::string::npos);
    EXPECT_EQ(ctx.flags.value(), 0u);
    EXPECT_EQ(g_afterRuns, 0);
    // Not started, so not recorded: the next run offers it again.
    std::string rev;
    EXPECT_FALSE(zrx::win::profileRead(versions(), "modules", "setup.bin", rev));
}

TEST_F(UpdateRunTest, AnExclusiveInstallerEndsTheRunAndOthersWait) {
    const std::string marker = dest_.file("ran");
    const std::string list = publish({{"mode=\"copy\" dest=\"" + dest_.str() + "\"", "later.bin", "later"},
                                      {"mode=\"run\" exit=\"1\" exclusive=\"1\"", "setup.sh", installer(marker)}},
                                     server_.str(), server_.str());
    settings(2, 0, 0, list);
    TCUpdationCtx ctx(scripted, 0, afterRun);
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &ctx, "RunApp", nullptr), 0u);
    EXPECT_TRUE(waitFor(marker));
    EXPECT_EQ(g_afterRuns, 1);
    EXPECT_FALSE(fs::exists(dest_.file("later.bin")));
    EXPECT_FALSE(fs::exists(updates() + "/later.bin"));  // never fetched
}

TEST_F(UpdateRunTest, APlantedFileIsNeitherCopiedNorStarted) {
    const std::string marker = dest_.file("ran");
    const std::string list =
        publish({{"mode=\"copy\" dest=\"" + dest_.str() + "\" exclusive=\"1\"", "first.bin", "first"},
                 {"mode=\"run\"", "evil.sh", installer(marker)},
                 {"mode=\"copy\" dest=\"" + dest_.str() + "\"", "other.bin", "other"}},
                server_.str(), server_.str());
    settings(2, 0, 0, list);
    // Files of those names already wait in the updates folder, not the published ones.
    fs::create_directories(updates());
    zrxtest::writeFile(updates() + "/evil.sh", "#!/bin/sh\necho planted > '" + marker + "'\n");
    zrxtest::writeFile(updates() + "/other.bin", "planted");
    TCUpdationCtx ctx(scripted, 0, nullptr);
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &ctx, "RunApp", nullptr), 0u);
    EXPECT_EQ(zrxtest::readFile(dest_.file("first.bin")), "first");
    EXPECT_FALSE(fs::exists(dest_.file("other.bin")));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(fs::exists(marker));
    EXPECT_TRUE(logged("не было загружено в этом сеансе"));
    // Only the copied entry is recorded: the others are offered again.
    std::string rev;
    EXPECT_TRUE(zrx::win::profileRead(versions(), "modules", "first.bin", rev));
    EXPECT_FALSE(zrx::win::profileRead(versions(), "modules", "other.bin", rev));
}

TEST_F(UpdateRunTest, NotifyAndUnknownActions) {
    const std::string list = publish({{"mode=\"notify\" description=\"Новое\"", "n.bin", "n"}, {"", "x.bin", "x"}},
                                     server_.str(), server_.str());
    settings(2, 0, 0, list);
    TCUpdationCtx ctx;
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &ctx, "RunApp", nullptr), 0u);
    bool notified = false;
    for (const auto& r : records())
        if (r.first == 0x40800022u && r.second.find("Доступно обновление  'Новое n.bin") == 0) notified = true;
    EXPECT_TRUE(notified);
    EXPECT_TRUE(logged("Не задано действие для обновляемого файла 'x.bin'!"));
}

TEST_F(UpdateRunTest, EndToEndOverHttp) {
    zrxtest::HttpServer srv;
    std::string served = server_.str();
    srv.svr.Get(R"(/upd/(.+))", [&](const httplib::Request& req, httplib::Response& res) {
        const std::string body = zrxtest::readFile(served + "/" + req.matches[1].str());
        if (body.empty()) res.status = 404;
        else res.set_content(body, "application/octet-stream");
    });
    srv.start();
    const std::string root = srv.url("/upd");
    publish({{"mode=\"copy\" dest=\"" + dest_.str() + "\"", "a.bin", "A1", "10"},
             {"mode=\"copy\" type=\"file\" dest=\"" + dest_.str() + "\"", "b.bin", "B1", "20"}},
            root, server_.str());
    settings(2, 0, 0, root + "/upd.sxml");
    TCUpdationCtx ctx;
    // First run installs and records the revisions.
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &ctx, "RunApp", nullptr), 0u);
    EXPECT_EQ(zrxtest::readFile(dest_.file("a.bin")), "A1");
    EXPECT_EQ(zrxtest::readFile(dest_.file("b.bin")), "B1");
    std::string rev;
    EXPECT_TRUE(zrx::win::profileRead(versions(), "modules", "b.bin", rev));
    EXPECT_EQ(rev, "20");
    // Second run: nothing to do.
    events().clear();
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &ctx, "RunApp", nullptr), 0u);
    EXPECT_TRUE(evented("Обновления отсутствуют."));
    // A tampered served file: refused and nothing installed.
    publish({{"mode=\"copy\" dest=\"" + dest_.str() + "\"", "a.bin", "A2", "11"}}, root, server_.str());
    zrxtest::writeFile(server_.file("a.bin"), "tampered");
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &ctx, "RunApp", nullptr), 0xC080000Eu);
    EXPECT_EQ(zrxtest::readFile(dest_.file("a.bin")), "A1");
    EXPECT_FALSE(fs::exists(updates() + "/a.bin"));  // deleted at once
    // An altered list is refused.
    std::string text = zrxtest::readFile(server_.file("upd.sxml"));
    ASSERT_TRUE(zrxtest::replaceOnce(text, "revision=\"11\"", "revision=\"12\""));
    zrxtest::writeFile(server_.file("upd.sxml"), text);
    records().clear();
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &ctx, "RunApp", nullptr), 0xC08000B1u);
    EXPECT_TRUE(logged("Загрузка и проверка реестра обновлений"));
    EXPECT_EQ(zrxtest::readFile(dest_.file("a.bin")), "A1");
}

TEST_F(UpdateRunTest, DestinationFoldersAreMadeWithTheModeOfTheirParent) {
    // A fresh installation: the application's data folder holds nothing yet.
    const std::string appData = zoren_ + "/RunApp";
    fs::create_directories(appData);
    chmod(appData.c_str(), 0750);
    const std::string list = publish({{"mode=\"copy\" dest=\"$APPLDATA$/doc/new\"", "a.bin", "A"},
                                      {"mode=\"copy\" dest=\"$APPLDATA$\\cfg\\win\"", "b.bin", "B"}},
                                     server_.str(), server_.str());
    settings(2, 0, 0, list);
    TCUpdationCtx ctx;
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &ctx, "RunApp", nullptr), 0u);
    EXPECT_EQ(zrxtest::readFile(appData + "/doc/new/a.bin"), "A");
    // Windows separators in a destination name nested folders.
    EXPECT_EQ(zrxtest::readFile(appData + "/cfg/win/b.bin"), "B");
    for (const char* d : {"/doc", "/doc/new", "/cfg", "/cfg/win"})
        EXPECT_EQ(fs::status(appData + d).permissions() & fs::perms::all, fs::perms(0750)) << d;
    // Both were recorded: the next run finds nothing to do.
    events().clear();
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &ctx, "RunApp", nullptr), 0u);
    EXPECT_TRUE(evented("Обновления отсутствуют."));
}

TEST_F(UpdateRunTest, ACopyThatFailsFailsTheRun) {
    zrxtest::writeFile(dest_.file("blocker"), "a file where a folder would be");
    const std::string list = publish({{"mode=\"copy\" dest=\"" + dest_.file("blocker") + "/sub\"", "a.bin", "A"},
                                      {"mode=\"copy\" dest=\"" + dest_.str() + "\"", "b.bin", "B"}},
                                     server_.str(), server_.str());
    settings(2, 0, 0, list);
    TCUpdationCtx ctx;
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &ctx, "RunApp", nullptr), 0xC0400014u);  // ENOTDIR
    EXPECT_TRUE(logged("Создание папки '" + dest_.file("blocker") + "/sub' для обновленного файла 'a.bin'."));
    // The other entry still went in; only it is recorded.
    EXPECT_EQ(zrxtest::readFile(dest_.file("b.bin")), "B");
    std::string rev;
    EXPECT_TRUE(zrx::win::profileRead(versions(), "modules", "b.bin", rev));
    EXPECT_FALSE(zrx::win::profileRead(versions(), "modules", "a.bin", rev));
    // The next run tries again and fails the same way.
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &ctx, "RunApp", nullptr), 0xC0400014u);
}

TEST_F(UpdateRunTest, AnInstallerRunsOncePerRevision) {
    const std::string marker = dest_.file("runs");
    const std::string script = "#!/bin/sh\necho run >> '" + marker + "'\n";
    const std::string list =
        publish({{"mode=\"run\" exit=\"1\"", "setup.sh", script, "7"}}, server_.str(), server_.str());
    settings(3, 0, 0, list);  // checked at every start
    TCUpdationCtx first(scripted, 0, afterRun);
    EXPECT_EQ(runUpdation(UPD_MODE_START, &first, "RunApp", nullptr), 0u);
    ASSERT_TRUE(waitFor(marker));
    EXPECT_EQ(g_questions.size(), 1u);
    std::string rev;
    ASSERT_TRUE(zrx::win::profileRead(versions(), "modules", "setup.sh", rev));
    EXPECT_EQ(rev, "7");
    // The next start neither asks nor starts it again.
    TCUpdationCtx second(scripted, 0, afterRun);
    EXPECT_EQ(runUpdation(UPD_MODE_START, &second, "RunApp", nullptr), 0u);
    EXPECT_EQ(g_questions.size(), 1u);
    EXPECT_FALSE(second.mustExit());
    EXPECT_EQ(g_afterRuns, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(zrxtest::readFile(marker), "run\n");
    // A newer revision is started once more.
    publish({{"mode=\"run\" exit=\"1\"", "setup.sh", script + "# 8\n", "8"}}, server_.str(), server_.str());
    TCUpdationCtx third(scripted, 0, afterRun);
    EXPECT_EQ(runUpdation(UPD_MODE_START, &third, "RunApp", nullptr), 0u);
    EXPECT_EQ(g_questions.size(), 2u);
    for (int i = 0; i < 100 && zrxtest::readFile(marker) != "run\nrun\n"; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(zrxtest::readFile(marker), "run\nrun\n");
}

TEST_F(UpdateRunTest, ADownloadIsBoundByTheSizeTheListStates) {
    zrxtest::HttpServer srv;
    std::atomic<size_t> sent{0};
    // Whoever answers for the server sends far more than the list says.
    srv.svr.Get("/upd/big.bin", [&](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("application/octet-stream", [&](size_t, httplib::DataSink& sink) {
            static const std::string chunk(64 * 1024, 'x');
            if (sent > (64u << 20) || !sink.write(chunk.data(), chunk.size())) return false;
            sent += chunk.size();
            return true;
        });
    });
    std::string served = server_.str();
    srv.svr.Get(R"(/upd/(.+))", [&](const httplib::Request& req, httplib::Response& res) {
        res.set_content(zrxtest::readFile(served + "/" + req.matches[1].str()), "application/octet-stream");
    });
    srv.start();
    const std::string root = srv.url("/upd");
    publish({{"mode=\"copy\" dest=\"" + dest_.str() + "\"", "big.bin", std::string(1000, 'b'), "2", "size=\"1000\""}},
            root, server_.str());
    fs::remove(server_.file("big.bin"));  // served by the handler above
    settings(2, 0, 0, root + "/upd.sxml");
    TCUpdationCtx ctx;
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &ctx, "RunApp", nullptr), static_cast<KResult>(-27));  // EFBIG
    EXPECT_TRUE(logged("превышает допустимый (1000 байт)"));
    EXPECT_LT(sent.load(), size_t(16) << 20);
    EXPECT_FALSE(fs::exists(updates() + "/big.bin"));
    EXPECT_FALSE(fs::exists(dest_.file("big.bin")));
}

TEST_F(UpdateRunTest, TheCommandShowsItsOutcome) {
    ensureQtApp();
    setModuleFileName("RunApp");  // the command runs for the program itself
    std::vector<std::string> shown;
    SetModalHook([&](TObject* w) {
        if (auto* m = dynamic_cast<TMessageViewForm*>(w)) shown.push_back(m->message());
        return mrNo;  // no restart now
    });
    auto outcome = [&] {
        shown.clear();
        checkUpdatesNow(nullptr);
        return shown.empty() ? std::string("<nothing shown>") : shown.front();
    };
    auto says = [](const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; };
    // No address configured.
    settings(2, 0, 0, "");
    EXPECT_PRED2(says, outcome(), "Не задан адрес реестра обновлений");
    // The list refused: no publisher certificate names its key.
    const std::string copyGroup = "mode=\"copy\" dest=\"" + dest_.str() + "\"";
    const std::string list = publish({{copyGroup, "a.bin", "A"}}, server_.str(), server_.str());
    settings(2, 0, 0, list);
    updfx::testSigners().clear();
    EXPECT_PRED2(says, outcome(), "Нет доверенного сертификата подписчика с идентификатором ключа");
    updfx::testSigners().add(updfx::derBase64(publisher_.cert));
    // A copy that failed.
    zrxtest::writeFile(dest_.file("blocker"), "a file where a folder would be");
    publish({{"mode=\"copy\" dest=\"" + dest_.file("blocker") + "/sub\"", "a.bin", "A"}}, server_.str(), server_.str());
    EXPECT_PRED2(says, outcome(), "Создание папки '" + dest_.file("blocker") + "/sub' для обновленного файла 'a.bin'");
    // What was installed.
    publish({{copyGroup, "a.bin", "A"}}, server_.str(), server_.str());
    const std::string installed = outcome();
    EXPECT_PRED2(says, installed, "Обновленный файл 'a.bin");
    EXPECT_PRED2(says, installed, "успешно сохранен в папку '" + dest_.str() + "'");
    EXPECT_EQ(shown.size(), 1u);
    // Nothing left to do.
    EXPECT_PRED2(says, outcome(), "Обновления отсутствуют.");
}

TEST_F(UpdateRunTest, AnUpdatesFolderThatCannotBeMade) {
    // An updates folder that cannot be made.
    registerCFGMacro("APPLDATA_NAME", "");
    zrxtest::writeFile(zoren_ + "/Blocked", "a file where the folder would be");
    TCUpdationCtx ctx;
    EXPECT_EQ(runUpdation(UPD_MODE_COMMAND, &ctx, "Blocked", nullptr), 0xC0800005u);
    EXPECT_TRUE(logged("Обновление программы производится не будет"));
}

}  // namespace
