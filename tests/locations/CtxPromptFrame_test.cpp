#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <filesystem>

#include "locations/LocationTestSupport.h"
#include "locations/CtxPromptFrame.h"
#include "locations/DeviceListUnit.h"
#include "platform/runtime/FileUtils.h"
#include "platform/p11/P11Support.h"
#include "platform/x509api/ZrX509Api.h"
#include "views/KeyViewFrmEx.h"
#include "support/TempDir.h"

using zrxtest::HsmEnvironment;
using zrxtest::ScriptedWindows;
using zrxtest::TestMedium;

namespace {

[[maybe_unused]] ::testing::Environment* const gHsm = ::testing::AddGlobalTestEnvironment(new HsmEnvironment);

class LocationFrame : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        TestMedium::install();
        TestMedium::reset();
        initP11Lib();
        setViewFlags(56);
    }
    void TearDown() override {
        setViewFlags(0);
        TestMedium::reset();
        zrxtest::forgetStoredState({"ZI509", "OpenNCTX"});
    }
    // A frame on a form, set up as its owners do.
    TCtxPtromptFrame* makeFrame(unsigned flags, const char* state = "", const char* plainMedia = nullptr) {
        form = CreateComponent<TForm>(Application);
        form->SetName("LocTestForm");
        auto* f = CreateComponent<TCtxPtromptFrame>(form);
        f->SetParent(form);
        f->setFlags(flags);
        f->fillMediaTypes();
        f->init(state);
        if (plainMedia) f->setPlainEditMedia(plainMedia);
        return f;
    }
    void dropFrame() {
        if (form) form->Free();
        form = nullptr;
    }
    std::vector<uint64_t> offeredMedia(TCtxPtromptFrame* f) {
        std::vector<uint64_t> codes;
        for (int i = 0; i < f->flbx1->Items()->Count(); ++i) codes.push_back(f->flbx1->List()->GetValueAt(i));
        return codes;
    }

    TForm* form = nullptr;
    zrxtest::TempDir dir;
};

TEST(LocationJoin, DeviceLocations) {
    struct Case {
        const char* prefix;
        const char* device;
        const char* location;
    } cases[] = {
        {"$:", "SoftHSM#123", "$:SoftHSM#123"}, {"$", "tok", "$:tok"}, {"#:", "dev1", "#:dev1"},   {"@", "x", "@:x"},
        {"%:", "%:whole", "%:whole"},           {"", "dev", "dev"},    {"A:", "A:usb0", "A:usb0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TCtxPtromptFrame::joinDeviceLocation(c.prefix, c.device).str(), c.location) << c.prefix;
    EXPECT_TRUE(TCtxPtromptFrame::isHsmLocation("$:t"));
    EXPECT_FALSE(TCtxPtromptFrame::isHsmLocation("#:t"));
}

TEST_F(LocationFrame, ExtensionRulesOnlyWhenWriting) {
    struct Case {
        const char* typed;
        bool writing;
        const char* afterExit;  // the path once the editor is left
        const char* location;   // what containerPath gives
    } cases[] = {
        {"/k/a.nctx", true, "/k/a.nctx", "/k/a.pfx"},
        {"/k/a.NCTX", true, "/k/a.NCTX", "/k/a.pfx"},
        {"/k/a", true, "/k/a.pfx", "/k/a.pfx"},
        {"/k/a.PFX", true, "/k/a.PFX", "/k/a.PFX"},
        {"/k.d/a", true, "/k.d/a.pfx", "/k.d/a.pfx"},
        {"/k/a.nctx", false, "/k/a.nctx", "/k/a.nctx"},
        {"/k/a", false, "/k/a", "/k/a"},
        {"/k/a.PFX", false, "/k/a.PFX", "/k/a.PFX"},
        {"$:tok", true, "$:tok", "$:tok"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + (c.writing ? " writing" : " reading"));
        TCtxPtromptFrame* f = makeFrame(c.writing ? kLocationForWriting : 0);
        f->setPathText(c.typed);
        f->Edit1Exit(f->hstEditFN);
        EXPECT_EQ(f->getPathText().str(), c.afterExit);
        EXPECT_EQ(f->containerPath().str(), c.location);
        EXPECT_EQ(f->mediaType(), ZrX_GetContainerType(c.location));
        dropFrame();
    }
}

TEST_F(LocationFrame, HsmTokensOfferedByViewFlags) {
    struct Case {
        uint32_t viewFlags;
        bool writing;
        bool hsm;
    } cases[] = {{24, true, true}, {24, false, true},  {56, true, true}, {8, true, false},
                 {8, false, true}, {16, false, false}, {16, true, true}, {0, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.viewFlags) + (c.writing ? " writing" : " reading"));
        setViewFlags(c.viewFlags);
        TCtxPtromptFrame* f = makeFrame(c.writing ? kLocationForWriting : 0);
        const std::vector<uint64_t> codes = offeredMedia(f);
        EXPECT_EQ(std::count(codes.begin(), codes.end(), 36u), c.hsm ? 1 : 0);
        EXPECT_EQ(std::count(codes.begin(), codes.end(), 0u), 1);
        EXPECT_EQ(std::count(codes.begin(), codes.end(), uint64_t(TestMedium::kMediaType)), 1);
        // A token location cannot be chosen where tokens are not offered.
        f->setLocation("$:tok");
        EXPECT_EQ(f->mediaType(), c.hsm ? 36u : 0u);
        dropFrame();
    }
}

TEST_F(LocationFrame, PickerAndEditorsFollowEachOther) {
    TCtxPtromptFrame* f = makeFrame(kLocationForWriting, "", "$");
    std::vector<uint32_t> heard;
    f->OnMediaChange = [&](TObject* s, uint32_t code) {
        EXPECT_EQ(s, f);
        heard.push_back(code);
    };
    f->setPathText("/k/c.pfx");
    // Choosing a device type puts its prefix; "$" uses the plain editor.
    f->flbx1->SetChecked(36);
    f->flbx1ListHide(f->flbx1);
    EXPECT_TRUE(f->edtFN->Visible());
    EXPECT_FALSE(f->hstEditFN->Visible());
    EXPECT_EQ(f->pathEditor(), f->edtFN);
    EXPECT_EQ(f->getPathText().str(), "$:");
    f->flbx1->SetChecked(TestMedium::kMediaType);
    f->flbx1ListHide(f->flbx1);
    EXPECT_TRUE(f->hstEditFN->Visible());
    EXPECT_EQ(f->getPathText().str(), "#:");
    // Files clear the path; the same choice again is heard but changes nothing.
    f->flbx1->SetChecked(0);
    f->flbx1ListHide(f->flbx1);
    EXPECT_EQ(f->getPathText().str(), "");
    f->setPathText("/k/d.pfx");
    f->flbx1ListHide(f->flbx1);
    EXPECT_EQ(f->getPathText().str(), "/k/d.pfx");
    EXPECT_EQ(heard, (std::vector<uint32_t>{36, TestMedium::kMediaType, 0, 0}));
    // Typing a device location switches the picker; an empty path means files.
    f->setPathText("#:dev7");
    f->Edit1Exit(f->hstEditFN);
    EXPECT_EQ(f->mediaType(), TestMedium::kMediaType);
    f->setPathText("");
    f->Edit1Exit(f->hstEditFN);
    EXPECT_EQ(f->mediaType(), 0u);
    // setLocation selects the media type along with the path.
    f->setLocation("$:SoftHSM#1");
    EXPECT_EQ(f->mediaType(), 36u);
    EXPECT_EQ(f->getPathText().str(), "$:SoftHSM#1");
    dropFrame();
}

TEST_F(LocationFrame, DefaultFileNameGivesTheTokenLabel) {
    TCtxPtromptFrame* f = makeFrame(kLocationForWriting);
    f->setDefaultFileName("Иван_Петров_ключи.pfx");
    EXPECT_EQ(f->defaultFileName.str(), "Иван_Петров_ключи.pfx");
    EXPECT_EQ(f->tokenLabel.str(), "Иван Петров ключи");
    dropFrame();
}

TEST_F(LocationFrame, StateIsKeptPerProgramStateAndPurpose) {
    const std::string path = dir.file("open.pfx");
    TCtxPtromptFrame* f = makeFrame(0, "Tst");
    const std::string base = changeFileExt(getModuleFileName().c_str(), "").str() + "Tst";
    EXPECT_EQ(f->hstEditFN->RegInfo()->ValueName(), base + "_CtxPathHistory");
    EXPECT_EQ(f->cmpstrg1->RegKey(), "Software\\Zoren\\ZI509\\" + base);
    // The frame learnt the form it sits on.
    EXPECT_EQ(f->cmpstrg1->ValueName(), "LocTestForm");
    f->setLocation(path.c_str());
    dropFrame();
    f = makeFrame(kLocationForWriting, "Tst");
    EXPECT_EQ(f->cmpstrg1->RegKey(), "Software\\Zoren\\ZI509\\" + base + "_Sv");
    EXPECT_EQ(f->getPathText().str(), "");  // a path to write to is not brought back
    f->setLocation("#:dev1");
    dropFrame();
    // Reading brings back the last path typed and its media type; writing its media type only.
    f = makeFrame(0, "Tst");
    EXPECT_EQ(f->getPathText().str(), path);
    EXPECT_EQ(f->mediaType(), 0u);
    EXPECT_GE(f->hstEditFN->Items()->IndexOf(path), 0);
    dropFrame();
    f = makeFrame(kLocationForWriting, "Tst");
    EXPECT_EQ(f->mediaType(), TestMedium::kMediaType);
    EXPECT_EQ(f->getPathText().str(), "#:");
    dropFrame();
}

TEST_F(LocationFrame, SelectDeviceByTheNumberOfDevices) {
    struct Case {
        std::vector<std::string> devices;
        int listResult;
        int pick;  // row chosen in the device dialog, -1 cancels
        int result;
        const char* location;
        const char* message;
    } cases[] = {
        {{}, 0, 0, 0, "", "Нет ни одного подключенного носителя выбранного типа!"},
        {{"dev1"}, 0, 0, 1, "#:dev1", nullptr},
        {{"dev1", "dev2", "dev3"}, 0, 1, 1, "#:dev2", nullptr},
        {{"dev1", "dev2"}, 0, -1, 0, "", nullptr},
        {{"dev1"}, int(zrx::container::kErrIo), 0, 0, "", "Поиск подключенных носителей '#:'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.devices.size());
        TestMedium::devices = c.devices;
        TestMedium::listResult = c.listResult;
        int dialogs = 0;
        ScriptedWindows windows([&](TObject* w) -> int {
            auto* d = dynamic_cast<TSelDevForm*>(w);
            if (!d) return mrOk;
            ++dialogs;
            EXPECT_TRUE(d->plainMode);
            if (c.pick < 0) return mrCancel;
            d->lv1->SetSelected(d->lv1->Items()->Item(c.pick));
            return mrOk;
        });
        TCtxPtromptFrame* f = makeFrame(0);
        f->setLocation("#:");
        EXPECT_EQ(f->selectDevice(1, "pw"), c.result);
        if (c.result) {
            EXPECT_EQ(f->resolvedLocation.str(), c.location);
        }
        EXPECT_EQ(dialogs, c.devices.size() > 1 && c.listResult >= 0 ? 1 : 0);
        if (c.message) {
            ASSERT_EQ(windows.messages.size(), 1u);
            EXPECT_NE(windows.messages[0].find(c.message), std::string::npos) << windows.messages[0];
        } else {
            EXPECT_TRUE(windows.messages.empty());
        }
        dropFrame();
    }
}

TEST_F(LocationFrame, OverwriteDecisions) {
    const std::string existing = dir.file("old.pfx");
    zrxtest::writeFile(existing, "old content");
    const std::string fresh = dir.file("new.pfx");
    struct Case {
        bool writing;
        const char* location;
        KResult found;  // of the test medium
        int answer;     // to the question, when one is asked
        bool accepted;
        int questions;
        const char* cleanAtCommit;
    } cases[] = {
        // Reading asks nothing, whatever the location holds.
        {false, existing.c_str(), 0, mrNo, true, 0, ""},
        {false, "#:dev1", 0, mrCancel, true, 0, ""},
        // A file is replaced only after Yes; a new one needs a writable folder.
        {true, existing.c_str(), 0, mrNo, false, 1, ""},
        {true, existing.c_str(), 0, mrYes, true, 1, ""},
        {true, fresh.c_str(), 0, mrOk, true, 0, ""},
        // A device with keys of the same purpose is cleaned at the commit only.
        {true, "#:dev1", zrx::container::kErrNotFound, mrOk, true, 0, ""},
        {true, "#:dev1", 0, mrCancel, false, 1, ""},
        {true, "#:dev1", 0, mrOk, true, 1, "#:dev1"},
        // A failed search is shown with its text and refuses.
        {true, "#:dev1", zrx::container::kErrIo, mrOk, false, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.location) + (c.writing ? " writing" : " reading"));
        TestMedium::findResult = c.found;
        TestMedium::devices = {"dev1"};
        ScriptedWindows windows([&](TObject*) { return c.answer; });
        TCtxPtromptFrame* f = makeFrame(c.writing ? kLocationForWriting : 0);
        f->setLocation(c.location);
        EXPECT_EQ(f->selectDevice(1, "pw") == 1, c.accepted);
        EXPECT_EQ(windows.windows, c.questions);
        EXPECT_EQ(f->cleanOnCommit().str(), c.cleanAtCommit);
        EXPECT_TRUE(TestMedium::cleaned.empty());
        if (*c.cleanAtCommit) {
            EXPECT_EQ(cleanStorageAtCommit(f->cleanOnCommit().c_str(), "pw"), 0u);
            EXPECT_EQ(TestMedium::cleaned, std::vector<std::string>{"#:dev1"});
            TestMedium::cleaned.clear();
        }
        dropFrame();
    }
    // The old file is left as it was, and no probe file stays behind.
    EXPECT_EQ(zrxtest::readFile(existing), "old content");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_EQ(cleanStorageAtCommit("", "pw"), 0u);
}

TEST_F(LocationFrame, FolderThatCannotBeWrittenIsRefusedAndUserFilesUntouched) {
    const std::string ro = dir.file("ro");
    std::filesystem::create_directory(ro);
    chmod(ro.c_str(), 0555);
    ScriptedWindows windows;
    TCtxPtromptFrame* f = makeFrame(kLocationForWriting);
    std::vector<std::string> refused = {dir.file("missing/c.pfx")};
    // Root writes into read-only folders.
    if (geteuid() != 0) refused.push_back(ro + "/c.pfx");
    for (const std::string& target : refused) {
        SCOPED_TRACE(target);
        windows.messages.clear();
        f->setLocation(target.c_str());
        EXPECT_EQ(f->selectDevice(1, "pw"), 0);
        ASSERT_EQ(windows.messages.size(), 1u);
        EXPECT_NE(windows.messages[0].find("не удалось создать тестовый файл"), std::string::npos);
        EXPECT_NE(windows.messages[0].find(target), std::string::npos);
    }
    chmod(ro.c_str(), 0755);
    // A file of the user's beside the container keeps its content.
    const std::string users = dir.file("w.pfx.tmp");
    zrxtest::writeFile(users, "mine");
    EXPECT_TRUE(f->testWritableFolder(dir.file("w.pfx").c_str()));
    EXPECT_EQ(zrxtest::readFile(users), "mine");
    EXPECT_TRUE(f->testWritableFolder("#:dev1"));
    dropFrame();
}

TEST_F(LocationFrame, TokenWithKeysIsNeverTakenForWriting) {
    static int round = 0;
    const std::string label = "Ключи " + std::to_string(++round);
    TCP11Slot* slot = HsmEnvironment::newToken(label, "12345678", "87654321");
    ASSERT_NE(slot, nullptr);
    ASSERT_TRUE(HsmEnvironment::putSignatureKeys(slot, "87654321"));
    const std::string location = std::string("$:") + slot->getTokenName();
    ScriptedWindows windows([](TObject*) { return int(mrOk); });
    TCtxPtromptFrame* f = makeFrame(kLocationForWriting);
    f->setLocation(location.c_str());
    EXPECT_EQ(f->selectDevice(1, "87654321"), 0);
    ASSERT_EQ(windows.messages.size(), 1u);
    EXPECT_NE(windows.messages[0].find("обнаружены сгенерированные ранее ключи"), std::string::npos);
    EXPECT_TRUE(f->cleanOnCommit().isEmpty());
    EXPECT_EQ(isTokenEmpty(location.substr(2).c_str()), P11_TOKEN_HOLDS_KEYS);
    dropFrame();
    // Opening it asks nothing.
    windows.messages.clear();
    f = makeFrame(0);
    f->setLocation(location.c_str());
    EXPECT_EQ(f->selectDevice(1, "87654321"), 1);
    EXPECT_TRUE(windows.messages.empty());
    dropFrame();
}

TEST_F(LocationFrame, BrowseFilesAndDevices) {
    // Files: the open dialog proposes the default name; the choice gets ".pfx" when written.
    std::string proposed;
    ScriptedWindows windows([&](TObject* w) -> int {
        if (auto* d = dynamic_cast<TOpenDialog*>(w)) {
            proposed = d->FileName();
            EXPECT_EQ(d->DefaultExt(), "pfx");
            d->SetFileName(dir.file("picked"));
            return mrOk;
        }
        if (auto* d = dynamic_cast<TSelDevForm*>(w)) {
            d->lv1->SetSelected(d->lv1->Items()->Item(d->lv1->Items()->Count() - 1));
            return mrOk;
        }
        return mrOk;
    });
    TCtxPtromptFrame* f = makeFrame(kLocationForWriting);
    f->setDefaultFileName("ключи.pfx");
    f->Button3Click(f->btn1);
    EXPECT_EQ(proposed, "ключи.pfx");
    EXPECT_EQ(f->getPathText().str(), dir.file("picked") + ".pfx");
    // A device media lists its devices.
    TestMedium::devices = {"dev1", "dev2"};
    f->setLocation("#:");
    f->Button3Click(f->btn1);
    EXPECT_EQ(f->getPathText().str(), "#:dev2");
    // Without the token list (the container viewer) tokens are listed as devices.
    static int round = 0;
    const std::string label = "Обзор " + std::to_string(++round);
    TCP11Slot* slot = HsmEnvironment::newToken(label, "12345678", "87654321");
    ASSERT_NE(slot, nullptr);
    const std::string token = slot->getTokenName();
    dropFrame();
    setViewFlags(24);
    f = makeFrame(0);
    f->setLocation("$:");
    windows.setScript([&](TObject* w) -> int {
        auto* d = dynamic_cast<TSelDevForm*>(w);
        if (!d) return mrOk;
        EXPECT_FALSE(d->plainMode);
        for (int i = 0; i < d->lv1->Items()->Count(); ++i)
            if (d->lv1->Items()->Item(i)->Caption() == token) d->lv1->SetSelected(d->lv1->Items()->Item(i));
        return mrOk;
    });
    f->Button3Click(f->btn1);
    EXPECT_EQ(f->getPathText().str(), "$:" + token);
    dropFrame();
}

}  // namespace
