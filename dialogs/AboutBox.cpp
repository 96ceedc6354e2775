#include "dialogs/AboutBox.h"

#include <ctime>

#include "dialogs/DialogLayout.h"
#include "dialogs/MessageView.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Translation.h"
#include "platform/runtime/VersionInfo.h"

#ifndef ZRX_PROGRAM_VERSION
#error "the build defines ZRX_PROGRAM_VERSION"
#endif

namespace {
// The maker's addresses shown as links.
constexpr const char* kMakerWeb = "www.zoren.ua";
constexpr const char* kMakerMail = "info@zoren.ua";

constexpr int kExpandedClientHeight = 362;
constexpr int kPanelHeight = 170;

String aboutPicture(const char* name) {
    return makePathName(makePathName(getModulePath().c_str(), "about").c_str(), name).str();
}
}  // namespace

const char* programVersionText() { return ZRX_PROGRAM_VERSION; }

TCString fileVersionText(const char* path) {
    if (!path || !fileExists(path)) return TCString();
    TCModuleVersionInfo v;
    if (!getFileVerInfo(path, v)) return tr("Нет данных!");
    return v.asText();
}

TCString aboutNoticeLine(int firstYear, int currentYear) {
    if (firstYear >= currentYear) return TCString::format(tr("© %d Зорен").c_str(), firstYear);
    if (currentYear == firstYear + 1) return TCString::format(tr("© %d, %d Зорен").c_str(), firstYear, currentYear);
    return TCString::format(tr("© %d-%d Зорен").c_str(), firstYear, currentYear);
}

IMPLEMENT_CLASS(TNAboutForm, TForm) {}

TNAboutForm::TNAboutForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("NAboutForm");
    SetCaption("Информация о версии продукта");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetKeyPreview(true);
    SetClientWidth(620);
    SetClientHeight(kExpandedClientHeight);

    img1 = placeControl<TImage>(this, this, "img1", 14, 14, 48, 48);
    img1->Picture()->LoadFromFile(aboutPicture("about.png"));
    img2 = placeControl<TImage>(this, this, "img2", 14, 14, 48, 48);
    img2->SetVisible(false);
    StaticText1 = placeControl<TStaticText>(this, this, "StaticText1", 80, 14, 530, 20);
    StaticText1->Font()->SetStyle(fsSet(fsBold));
    StaticText1->Font()->SetSize(11);
    StaticText3 = placeControl<TStaticText>(this, this, "StaticText3", 80, 40, 530, 18);
    txt2 = placeControl<TStaticText>(this, this, "txt2", 80, 64, 530, 18);
    txt1 = placeControl<TStaticText>(this, this, "txt1", 80, 88, 530, 18);

    Panel2 = placeControl<TPanel>(this, this, "Panel2", 10, 130, 600, kPanelHeight);
    Panel2->SetBevelOuter(bvNone);
    ListView1 = placeControl<TListView>(this, Panel2, "ListView1", 0, 0, 600, kPanelHeight);
    ListView1->SetAlign(alClient);
    ListView1->SetViewStyle(vsReport);
    ListView1->SetReadOnly(true);
    ListView1->SetRowSelect(true);
    TListColumn* module = ListView1->Columns()->Add();
    module->SetCaption("Модуль");
    module->SetWidth(400);
    TListColumn* version = ListView1->Columns()->Add();
    version->SetCaption("Версия");
    version->SetWidth(87);

    // Below the versions: the links and the buttons, kept at the bottom.
    const TAnchors bottomLeft = akSet(akLeft) | akSet(akBottom), bottomRight = akSet(akRight) | akSet(akBottom);
    pnlLinks = placeControl<TPanel>(this, this, "pnlLinks", 10, kExpandedClientHeight - 44, 300, 36);
    pnlLinks->SetBevelOuter(bvNone);
    pnlLinks->SetAnchors(bottomLeft);
    urlWeb = placeControl<TUrlLabel>(this, pnlLinks, "urlWeb", 0, 0, 200, 17);
    urlWeb->SetPrefix("https://");
    urlWeb->SetCaption(kMakerWeb);
    urlWeb->SetAnimate(true);
    urlMail = placeControl<TUrlLabel>(this, pnlLinks, "urlMail", 0, 18, 200, 17);
    urlMail->SetPrefix("mailto:");
    urlMail->SetCaption(kMakerMail);
    urlMail->SetAnimate(true);
    Button2 = placeButton(this, this, "Button2", "Версии >>", 430, kExpandedClientHeight - 38, 88, mrNone);
    Button2->OnClick = [this](TObject* s) { Button2Click(s); };
    Button1 = placeButton(this, this, "Button1", "Закрыть", 524, kExpandedClientHeight - 38, 88, mrCancel);
    Button1->SetDefault(true);
    Button1->SetCancel(true);
    for (TButton* b : {Button2, Button1}) b->SetAnchors(bottomRight);
    setExpanded(false);
}

void TNAboutForm::setExpanded(bool on) {
    if (on == FExpanded) return;
    FExpanded = on;
    const int delta = Panel2->Height() - 15;
    if (on) {
        SetClientHeight(ClientHeight() + delta);
        Panel2->SetVisible(true);
        Button2->SetCaption(tr("<< Версии").str());
    } else {
        Panel2->SetVisible(false);
        SetClientHeight(ClientHeight() - delta);
        Button2->SetCaption(tr("Версии >>").str());
    }
}

void TNAboutForm::Button2Click(TObject*) { setExpanded(!FExpanded); }

void TNAboutForm::fillVersions(const TAboutModule* modules, const String& folder) {
    ListView1->Items()->Clear();
    TListItem* own = ListView1->Items()->Add();
    own->SetCaption(tr("Версия программы").str());
    own->SubItems()->Add(programVersionText());
    txt2->SetCaption(String("v ") + programVersionText());
    if (folder.empty() || !modules) return;
    for (const TAboutModule* m = modules; m->caption && *m->caption; ++m) {
        if (!m->fileName || !*m->fileName) continue;
        const TCString version = fileVersionText(makePathName(folder.c_str(), m->fileName).c_str());
        if (version.isEmpty()) continue;
        TListItem* row = ListView1->Items()->Add();
        row->SetCaption(tr(m->caption).str());
        row->SubItems()->Add(version.str());
    }
}

void TNAboutForm::showEmblem(int month, int day) {
    const bool joke = month == 4 && day == 1;
    if (joke && img2->Picture()->FileName().empty()) img2->Picture()->LoadFromFile(aboutPicture("about-animated.gif"));
    img2->SetVisible(joke);
    img2->SetAnimate(joke);
    img1->SetVisible(!joke);
}

void showAboutBox(int firstYear, const TAboutModule* modules, void*) {
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    const String title = Application ? Application->Title() : String();
    auto* form = new TNAboutForm(dialogOwner());
    showProgramDialog(form, [&] {
        form->StaticText1->SetCaption(title);
        form->SetCaption(tr("Информация").str());
        form->txt1->SetCaption(aboutNoticeLine(firstYear, today.tm_year + 1900).str());
        form->StaticText3->SetCaption(title + tr(" системы криптографической защиты \"Зорен-X.509\"").str());
        form->fillVersions(modules, getModulePath().str());
        form->showEmblem(today.tm_mon + 1, today.tm_mday);
    });
}

void showProgramAboutBox() {
    static const TAboutModule modules[] = {
        {"Базовая библиотека X.509", "libzrx_core_x509"},
        {"Библиотека программного интерфейса X.509", "libzrx_x509api"},
        {"Модуль криптографических алгоритмов OpenSSL", "libcrypto"},
        {"Библиотека времени выполнения", "libzrx_runtime"},
        {"", nullptr},
    };
    showAboutBox(2020, modules);
}
