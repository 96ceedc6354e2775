// The application's shared services: file names and dialogs for certificates
// and requests, the load and save loops, the password policy, tool-bar
// tidying and the region list.
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "dialogs/AppServices.h"
#include "components/CompoundEdit.h"
#include "html/viewer/WindowViewer.h"
#include "platform/core/x509/X509Fixtures.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/QtTestApp.h"
#include "platform/framework/StdCtrls.h"
#include "platform/framework/TRegistry.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/Passwords.h"
#include "views/HtmlViewerColor.h"
#include "views/VZrX509BaseForm.h"
#include "support/TempDir.h"
#include "dialogs/FileDialogs.h"
#include "views/ObjectFiles.h"

// Qt last: what a label shows.
#include <QLabel>

namespace {

class HookScope {
public:
    explicit HookScope(TModalHook h) : old_(SetModalHook(std::move(h))) {}
    ~HookScope() { SetModalHook(old_); }

private:
    TModalHook old_;
};

// Collects the error texts the library shows.
std::vector<std::string> gShown;
int collectMessage(const char* text, int) {
    gShown.push_back(text ? text : "");
    return mrOk;
}
class MessageScope {
public:
    MessageScope() : old_(kvdSetShowMessageFunc(collectMessage)) { gShown.clear(); }
    ~MessageScope() {
        kvdSetShowMessageFunc(old_);
        gShown.clear();
    }

private:
    KVD_ShowMessageFunc old_;
};

X509* certWith(const char* cn, const char* serial, bool ca, EVP_PKEY* key) {
    x509fx::CertSpec s;
    s.subject = {{"CN", cn}};
    if (serial) s.subject.emplace_back("serialNumber", serial);
    if (ca) s.exts = {{NID_basic_constraints, "critical,CA:TRUE"}};
    return x509fx::makeCert(s, key, nullptr, nullptr);
}

class AppServices : public ::testing::Test {
protected:
    void SetUp() override { ensureQtApp(); }
};

TEST_F(AppServices, ProposedCertificateNames) {
    struct Case {
        const char* cn;
        const char* serial;
        bool ca;
        const char* expected;
    };
    const Case cases[] = {
        {"Корневой ЦСК", "UA-0001", true, "UA-0001.crt"},      {"Корневой ЦСК", "../UA/0001", true, "_UA_0001.crt"},
        {"Корневой ЦСК", nullptr, true, "noname.crt"},         {"Щербак Юлія", nullptr, false, "Shcherbak_Yuliia.crt"},
        {"Петренко Іван", "UA-9", false, "Petrenko_Ivan.crt"}, {".ssh/../Іван", nullptr, false, "ssh_.._Ivan.crt"},
    };
    EVP_PKEY* key = x509fx::newKey();
    for (const Case& c : cases) {
        TZrX509 cert(certWith(c.cn, c.serial, c.ca, key), true);
        EXPECT_EQ(c.expected, std::string(proposedCertificateFileName(cert).c_str())) << c.cn;
    }
    EVP_PKEY_free(key);
}

TEST_F(AppServices, FiltersTitlesAndExtensionsOfTheFileDialogs) {
    struct Seen {
        std::string title, filter, ext;
        bool save = false;
        TOpenOptions options = 0;
    } seen;
    HookScope hook([&](TObject* w) {
        auto* d = dynamic_cast<TOpenDialog*>(w);
        if (!d) return int(mrCancel);
        seen = {d->Title(), d->Filter(), d->DefaultExt(), d->IsSaveDialog(), d->Options()};
        return int(mrCancel);
    });
    TCString name;
    EXPECT_FALSE(askCertFileToLoad(name));
    EXPECT_EQ("Загрузка сертификата", seen.title);
    EXPECT_EQ("crt", seen.ext);
    EXPECT_FALSE(seen.save);
    EXPECT_TRUE(seen.options & ofSet(ofFileMustExist));
    EXPECT_EQ((std::vector<String>{"Файлы сертификатов (*.crt)", "Файлы сертификатов (*.cer)",
                                   "PEM-файлы сертификатов(*.pem)", "Все файлы (*.*)"}),
              QtFileFilters(seen.filter));
    askCertFileToSave(name);
    EXPECT_EQ("Запись сертификата", seen.title);
    EXPECT_TRUE(seen.save && (seen.options & ofSet(ofOverwritePrompt)));
    EXPECT_EQ((std::vector<String>{"Файлы сертификатов (*.crt)", "PEM-файлы сертификатов(*.pem)", "Все файлы (*.*)"}),
              QtFileFilters(seen.filter));
    askRequestFileToSave(name, false);
    EXPECT_EQ("p10", seen.ext);
    EXPECT_EQ("Запись запроса", seen.title);
    EXPECT_EQ((std::vector<String>{"Файлы простых заявок на сертификат (*.p10)", "PEM-файлы заявок(*.pem)",
                                   "Все файлы (*.*)"}),
              QtFileFilters(seen.filter));
    askRequestFileToSave(name, true, "Свой заголовок");
    EXPECT_EQ("Свой заголовок", seen.title);
    EXPECT_EQ(3u, QtFileFilters(seen.filter).size());
    EXPECT_EQ("Файлы зарегистрированных заявок (*.rq7)", QtFileFilters(seen.filter)[1]);
    askRegisteredRequestFileToSave(name);
    EXPECT_EQ("rq7", seen.ext);
    EXPECT_EQ((std::vector<String>{"Файлы зарегистрированных заявок (*.rq7)", "Все файлы (*.*)"}),
              QtFileFilters(seen.filter));
    // Masks with ';' and a description without them.
    EXPECT_EQ((std::vector<String>{"Картинки (*.png *.gif)"}), QtFileFilters("Картинки|*.png;*.gif"));
}

TEST_F(AppServices, ProposedNameGivesFolderAndFile) {
    std::string dir, file;
    HookScope hook([&](TObject* w) {
        auto* d = dynamic_cast<TOpenDialog*>(w);
        if (!d) return int(mrCancel);
        dir = d->InitialDir();
        file = d->FileName();
        d->SetFileName("/tmp/other.crt");
        return int(mrOk);
    });
    TCString name("/home/user/certs/Ivan.crt");
    EXPECT_TRUE(saveFileDialog(name, "t", "Все|*.*", "crt"));
    EXPECT_EQ("/home/user/certs", dir);
    EXPECT_EQ("Ivan.crt", file);
    EXPECT_EQ("/tmp/other.crt", std::string(name.c_str()));
}

TEST_F(AppServices, CertificateIsWrittenAsPemByExtensionInAnyCase) {
    zrxtest::TempDir tmp;
    x509fx::Pki pki;
    TZrX509 cert(pki.ee);
    for (const char* n : {"a.pem", "b.PEM", "c.Pem", "d.crt", "e"}) {
        std::string chosen = tmp.file(n);
        HookScope hook([&](TObject* w) {
            auto* d = dynamic_cast<TOpenDialog*>(w);
            if (!d) return int(mrCancel);
            d->SetFileName(chosen);
            return int(mrOk);
        });
        ASSERT_TRUE(saveCertificateFile(cert)) << n;
        const bool pem = std::string(n).size() > 4;
        std::string written;
        const std::string path = pem || std::string(n) == "d.crt" ? chosen : chosen + ".crt";
        ASSERT_EQ(0, readBuff(path.c_str(), written)) << path;
        EXPECT_EQ(pem && std::string(n) != "d.crt", written.rfind("-----BEGIN", 0) == 0) << n;
    }
}

TEST_F(AppServices, FailedSaveIsShownAndAskedAgain) {
    MessageScope messages;
    x509fx::Pki pki;
    TZrX509 cert(pki.ee);
    int asked = 0;
    HookScope hook([&](TObject* w) {
        auto* d = dynamic_cast<TOpenDialog*>(w);
        if (!d) return int(mrCancel);
        if (++asked > 1) return int(mrCancel);
        d->SetFileName("/nonexistent-folder/x/y.crt");
        return int(mrOk);
    });
    EXPECT_FALSE(saveCertificateFile(cert));
    EXPECT_EQ(2, asked);
    ASSERT_EQ(1u, gShown.size());
    EXPECT_NE(std::string::npos, gShown[0].find("/nonexistent-folder/x/y.crt"));
}

TEST_F(AppServices, LoadRetriesUntilAReadableConfirmedCertificate) {
    MessageScope messages;
    zrxtest::TempDir tmp;
    x509fx::Pki pki;
    const std::string bad = tmp.file("bad.crt"), good = tmp.file("good.crt");
    { std::ofstream(bad) << "not a certificate"; }
    ASSERT_TRUE(TZrX509(pki.ee).saveToFile(good.c_str(), false));
    std::vector<std::string> answers = {bad, good, good};
    size_t dialogs = 0;
    int views = 0;
    std::string viewCaption;
    HookScope hook([&](TObject* w) {
        if (auto* d = dynamic_cast<TOpenDialog*>(w)) {
            if (dialogs >= answers.size()) return int(mrCancel);
            d->SetFileName(answers[dialogs++]);
            return int(mrOk);
        }
        if (auto* v = dynamic_cast<TCViewZrX509BaseForm*>(w)) {
            viewCaption = v->Caption();
            // The first view is refused: the file dialog comes again.
            return int(++views == 1 ? mrCancel : mrOk);
        }
        return int(mrCancel);
    });
    TZrX509 cert;
    EXPECT_TRUE(loadCertificateFile("Сертификат ЦСК", cert, true));
    EXPECT_EQ(3u, dialogs);
    EXPECT_EQ(2, views);
    EXPECT_EQ(1u, gShown.size());
    EXPECT_EQ("Петренко Иван", std::string(cert.ownerName().c_str()));
    EXPECT_NE(std::string::npos, viewCaption.find(", владелец - \"Петренко Иван\""));
    EXPECT_EQ(0u, viewCaption.find("Загрузка "));
    // Cancelled: nothing is assigned.
    TZrX509 none;
    answers.clear();
    dialogs = 0;
    EXPECT_FALSE(loadCertificateFile(nullptr, none, false));
    EXPECT_TRUE(none.isEmpty());
}

// The view's caption and label name the owner whole: past an embedded NUL
// (shown as in the view) and with its '&'.
TEST_F(AppServices, ViewCaptionNamesTheWholeOwner) {
    struct Case {
        std::string cn, shown;
    } cases[] = {
        {std::string("www.bank.ua\0.evil.example", 25), "www.bank.ua\\00.evil.example"},
        {"AT&T Services", "AT&T Services"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        EVP_PKEY* key = x509fx::newKey();
        X509* x = x509fx::makeCert(x509fx::CertSpec{}, key, nullptr, nullptr);
        X509_NAME_add_entry_by_txt(X509_get_subject_name(x), "CN", MBSTRING_UTF8,
                                   reinterpret_cast<const unsigned char*>(c.cn.data()), int(c.cn.size()), -1, 0);
        X509_sign(x, key, EVP_sha256());
        TZrX509 cert(x);
        std::string caption, label;
        HookScope hook([&](TObject* w) {
            auto* v = dynamic_cast<TCViewZrX509BaseForm*>(w);
            if (!v) return int(mrCancel);
            caption = v->Caption();
            label = qobject_cast<QLabel*>(v->lbl1->Handle())->text().toStdString();
            return int(mrOk);
        });
        EXPECT_EQ(mrOk, viewObjectWithOwner(&cert, true, "Просмотр"));
        const std::string owner = ", владелец - \"" + c.shown + "\"";
        EXPECT_NE(std::string::npos, caption.find(owner)) << caption;
        EXPECT_NE(std::string::npos, label.find(owner)) << label;
        X509_free(x);
        EVP_PKEY_free(key);
    }
}

TEST_F(AppServices, PasswordPolicy) {
    // The start-up registered the policy and cleared the test password again.
    EXPECT_TRUE(passwordPolicyRegistered());
    int mn = 0, mx = 0;
    EXPECT_STREQ("", getPassMinMax(mn, mx));
    EXPECT_EQ(8, mn);
    EXPECT_EQ(32, mx);
    registerPasswordPolicy();
    EXPECT_STREQ("40719385", getPassMinMax(mn, mx));
    setTestPassword(nullptr);
    EXPECT_STREQ("", getPassMinMax(mn, mx));
    EXPECT_EQ(8, mn);
}

TEST_F(AppServices, RemoveDoubleSeparatorsOnARealToolBar) {
    auto* form = CreateComponent<TForm>(Application);
    auto* bar = new TToolBar(form);
    bar->SetParent(form);
    auto add = [&](const char* name, TToolButtonStyle style, bool visible) {
        auto* b = new TToolButton(form);
        b->SetName(name);
        b->SetStyle(style);
        b->SetParent(bar);
        b->SetVisible(visible);
        return b;
    };
    add("B1", tbsButton, true);
    add("S1", tbsSeparator, true);
    add("S2", tbsSeparator, true);
    add("B2", tbsButton, true);
    add("S3", tbsSeparator, true);
    add("B3", tbsButton, false);
    add("S4", tbsSeparator, true);
    add("B4", tbsButton, true);
    EXPECT_EQ(bar->Buttons(3), nextVisibleButton(bar, 3));
    EXPECT_EQ(bar->Buttons(6), nextVisibleButton(bar, 5));
    EXPECT_EQ(nullptr, nextVisibleButton(bar, 8));
    EXPECT_EQ(6, removeDoubleSeparators(bar));
    std::vector<std::string> names;
    for (int i = 0; i < bar->ButtonCount(); ++i) names.push_back(bar->Buttons(i)->Name());
    EXPECT_EQ((std::vector<std::string>{"B1", "S2", "B2", "B3", "S4", "B4"}), names);
    // A separator with nothing visible after it stops the walk.
    add("S5", tbsSeparator, true);
    add("B5", tbsButton, false);
    EXPECT_EQ(0, removeDoubleSeparators(bar));
    EXPECT_EQ(8, bar->ButtonCount());
    form->Free();
}

TEST_F(AppServices, RegionListAndViewerColour) {
    ASSERT_EQ(25, regionNameCount());
    EXPECT_STREQ("Чернігівська", regionName(0));
    EXPECT_STREQ("Автономна Республіка Крим", regionName(24));
    EXPECT_EQ(nullptr, regionName(25));
    auto* form = CreateComponent<TForm>(Application);
    form->SetName("RegionForm");
    auto* edit = new TCompoundHistoryEdit(form);
    edit->SetName("chedtRegion");
    edit->SetParent(form);
    presetRegionHistory(edit);
    EXPECT_TRUE(edit->ReadOnly());
    EXPECT_FALSE(edit->SaveHistory());
    EXPECT_EQ(10, edit->RowsVisible());
    ASSERT_EQ(25, edit->Items()->Count());
    // Newest first: the list reads in alphabetical order.
    EXPECT_EQ("Автономна Республіка Крим", edit->Items()->Get(0));
    EXPECT_EQ("Чернігівська", edit->Items()->Get(24));
    edit->Save();
    {
        TRegistry reg;  // nothing of the list reaches the registry
        EXPECT_FALSE(reg.KeyExists("Software\\Zoren\\RegionForm"));
    }
    auto* label = new TLabel(form);
    presetRegionHistory(label);  // left alone
    EXPECT_FALSE(setHtmlViewerColor(label));
    auto* viewer = new TWindowHtmlViewer(form);
    EXPECT_TRUE(setHtmlViewerColor(viewer));
    EXPECT_EQ(TColor(0xFCFFFF), viewer->DefBackground());
    form->Free();
}

TEST_F(AppServices, FixedSwitchesAndTokenLookup) {
    EXPECT_FALSE(hideRevocationPhrase());
    EXPECT_TRUE(useAltToolbarImages());
    TCString kind("x"), profile("y");
    EXPECT_EQ(0, findTokenCertificate("key", kind, profile));
    EXPECT_TRUE(kind.isEmpty() && profile.isEmpty());
}

}  // namespace
