#include "locations/CtxPromptFrame.h"

#include <unistd.h>

#include <cerrno>
#include <random>

#include "locations/DeviceListUnit.h"
#include "dialogs/DialogLayout.h"
#include "locations/HsmTokensForm.h"
#include "dialogs/MessageView.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/TCStringList.h"
#include "platform/runtime/Translation.h"
#include "platform/x509api/ZrX509Api.h"
#include "views/KeyViewFrmEx.h"

namespace {
constexpr uint32_t kDebugMask = 0x20004000;
constexpr uint32_t kHsmMedia = 36;
// View flags: HSM tokens may be written, read, and managed in the token list.
constexpr uint32_t kViewHsmWrite = 16, kViewHsmRead = 8, kViewHsmList = 32;
constexpr const char* kFormNameMark = "%FORMNAME%";

TCString translated(const char* format) { return zrnTranslateString(format); }

TCString mediaPrefix(uint32_t code) { return TCString::format("%c:", char(code)); }
}  // namespace

IMPLEMENT_CLASS(TCtxPtromptFrame, TFrame) {}

TCtxPtromptFrame::TCtxPtromptFrame(TComponent* AOwner) : TFrame(AOwner) {
    SetName("CtxPtromptFrame");
    SetBounds(0, 0, 420, 64);
    lbl2 = placeLabel(this, this, "lbl2", "Тип", 8, 10);
    lbl1 = placeLabel(this, this, "lbl1", "Путь", 8, 38);
    lbl2->SetWidth(48);
    lbl1->SetWidth(48);

    hstEditFN = placeControl<THistoryEdit>(this, this, "hstEditFN", 60, 34, 318, 21);
    hstEditFN->SetMaxHistCount(20);
    hstEditFN->RegInfo()->SetRootKey(hkCURRENT_USER);
    hstEditFN->RegInfo()->SetKey("Software\\Zoren\\OpenNCTX");
    edtFN = placeControl<TEdit>(this, this, "edtFN", 60, 34, 318, 21);
    edtFN->SetVisible(false);
    for (TControl* c : std::initializer_list<TControl*>{hstEditFN, edtFN})
        c->SetAnchors(akSet(akLeft) | akSet(akTop) | akSet(akRight));
    hstEditFN->OnExit = [this](TObject* s) { Edit1Exit(s); };
    edtFN->OnExit = [this](TObject* s) { Edit1Exit(s); };

    flbx1 = placeControl<TCFlagsBox>(this, this, "flbx1", 60, 6, 200, 21);
    flbx1->SetReadOnly(true);
    flbx1->SetListType(clsSingleSelection);
    flbx1->SetHideListOnSelect(true);
    flbx1->SetRowsVisible(10);
    flbx1->SetSortType(stData);
    flbx1->OnListHide = [this](TObject* s) { flbx1ListHide(s); };

    btn1 = placeControl<TButton>(this, this, "btn1", 384, 33, 28, 23);
    btn1->SetCaption("...");
    btn1->SetAnchors(akSet(akTop) | akSet(akRight));
    btn1->OnClick = [this](TObject* s) { Button3Click(s); };

    dlgOpenEx1 = new TOpenDialog(this);
    dlgOpenEx1->SetName("dlgOpenEx1");
    dlgOpenEx1->SetOptions(ofSet(ofReadOnly) | ofSet(ofNoChangeDir) | ofSet(ofExtensionDifferent) |
                           ofSet(ofPathMustExist) | ofSet(ofEnableSizing));

    cmpstrg1 = new TCCompStorage(this);
    cmpstrg1->SetName("cmpstrg1");
    cmpstrg1->SetRegKey("Software\\Zoren\\ZI509");
    cmpstrg1->SetStorePosition(true);
    cmpstrg1->GetStoredProps()->Add("flbx1.Checked");
    TCustomForm* active = Screen ? Screen->ActiveForm() : nullptr;
    if (active && active != Application->MainForm()) cmpstrg1->SetValueName(active->Name() + "_prFrm");
    cmpstrg1->restore();
}

TCtxPtromptFrame::~TCtxPtromptFrame() {
    hstEditFN->Save();
    cmpstrg1->store();
}

void TCtxPtromptFrame::FormAssigned(TCustomForm* form) {
    if (cmpstrg1 && cmpstrg1->ValueName() == kFormNameMark) cmpstrg1->SetValueName(form->Name());
}

void TCtxPtromptFrame::fillMediaTypes() {
    const bool hsmAllowed = testViewFlags(writing() ? kViewHsmWrite : kViewHsmRead);
    TCStringList media;
    ZrX_GetSupportedDevices(media, true);
    for (int i = 0; i < media.count(); ++i) {
        const uint32_t code = uint32_t(media.at(i)->object());
        if (code == kHsmMedia && !hsmAllowed) continue;
        flbx1->AddItem(zrnTranslateString(media.at(i)->c_str()).c_str(), code, true);
    }
    // Nothing chosen yet means files: show it.
    TListItem* current = flbx1->List()->ItemByValue(mediaType());
    if (current && !current->Checked()) flbx1->SetChecked(mediaType());
}

void TCtxPtromptFrame::init(const char* stateName) {
    TCString base = changeFileExt(getModuleFileName().c_str(), "");
    base += stateName ? stateName : "";
    if (writing()) base += "_Sv";
    cmpstrg1->SetRegKey(cmpstrg1->RegKey() + "\\" + base.str());
    hstEditFN->RegInfo()->SetValueName(base.str() + "_CtxPathHistory");
    hstEditFN->SetSaveHistory(true);
    hstEditFN->Load();
    // The last path typed for opening comes back; a path to write to does not.
    if (!writing()) cmpstrg1->GetStoredProps()->Add("hstEditFN.Text");
    cmpstrg1->restore();
    flbx1ListHide(flbx1);
    updatePathEditors(kCurrentMedia);
}

void TCtxPtromptFrame::setPlainEditMedia(const char* mediaChars) {
    FPlainEditMedia = mediaChars ? mediaChars : "";
    updatePathEditors(kCurrentMedia);
}

void TCtxPtromptFrame::setDefaultFileName(const char* name) {
    defaultFileName = name ? name : "";
    tokenLabel = changeFileExt(defaultFileName.c_str(), "");
    tokenLabel.substChar('_', ' ');
}

void TCtxPtromptFrame::setLocation(const char* location) {
    setPathText(location);
    setMediaType(ZrX_GetContainerType(location));
}

TCString TCtxPtromptFrame::getPathText() const {
    const String text = edtFN->Visible() ? edtFN->GetText() : hstEditFN->GetText();
    return TCString(text).trim();
}

void TCtxPtromptFrame::setPathText(const char* text) {
    const String t = text ? text : "";
    if (hstEditFN->Visible()) hstEditFN->SetHText(t);
    else edtFN->SetText(t);
}

TWinControl* TCtxPtromptFrame::pathEditor() const {
    return edtFN->Visible() ? static_cast<TWinControl*>(edtFN) : hstEditFN;
}

uint32_t TCtxPtromptFrame::mediaType() const { return uint32_t(flbx1->GetChecked()); }

void TCtxPtromptFrame::setMediaType(uint32_t code) {
    if (code == mediaType()) return;
    // A media type the picker does not offer (not supported, or HSM tokens
    // where they may not be used) leaves the picker as it is.
    if (!flbx1->List()->ItemByValue(code)) return;
    if (OnMediaChange) OnMediaChange(this, code);
    flbx1->SetChecked(code);
    updatePathEditors(code);
}

uint32_t TCtxPtromptFrame::containerTypeOfPath() const {
    const TCString path = getPathText();
    return path.isEmpty() ? 0 : ZrX_GetContainerType(path.c_str());
}

void TCtxPtromptFrame::updatePathEditors(uint32_t code) {
    if (code == kCurrentMedia) code = mediaType();
    const bool plain = code != 0 && !FPlainEditMedia.isEmpty() && FPlainEditMedia.pos(char(code)) >= 0;
    const String text = pathEditor()->GetText();
    edtFN->SetVisible(plain);
    hstEditFN->SetVisible(!plain);
    // The path goes along to the editor now shown.
    if (pathEditor()->GetText() != text) {
        if (plain) edtFN->SetText(text);
        else hstEditFN->SetText(text);
    }
    if (code != 0 && getPathText().isEmpty()) setPathText(mediaPrefix(code).c_str());
}

TCString TCtxPtromptFrame::containerPath() {
    TCString path = getPathText();
    // New containers are ".pfx" files; a container being opened keeps its name.
    if (writing() && ZrX_IsFileContainer(path.c_str()) && getExt(path.c_str()).toLower() != ".pfx") {
        path = changeFileExt(path.c_str(), ".pfx");
        setPathText(path.c_str());
    }
    return path;
}

TCString TCtxPtromptFrame::joinDeviceLocation(const char* prefix, const char* device) {
    const TCString p(prefix ? prefix : "");
    const TCString d(device ? device : "");
    // The device lists of these media give bare device names; the others give
    // whole locations.
    if (p.isEmpty() || (p.at(0) != '#' && p.at(0) != '$' && p.at(0) != '@')) return d;
    TCString r = p;
    if (p.at(1) != ':') r += ":";
    return r + d;
}

bool TCtxPtromptFrame::listDevices(const char* prefix, TCStringList& devices, const char* caller) {
    csOutDbgText(kDebugMask, "**%s, Call ZrX_GetDevicesList", caller);
    const int n = ZrX_GetDevicesList(prefix, devices, 0);
    csOutDbgText(kDebugMask, "**ZrX_GetDevicesList result: %d", n);
    if (n >= 0) return true;
    // A failure is no device count: say what went wrong.
    kvdShowErrorLibMessage(nullptr, KResult(n), 0, translated("Поиск подключенных носителей '%s'").c_str(), prefix);
    return false;
}

int TCtxPtromptFrame::selectDevice(int result, const char* password) {
    FCleanOnCommit.clear();
    resolvedLocation = containerPath();
    if (!ZrX_IsFileContainer(resolvedLocation.c_str()) && resolvedLocation.length() <= 2) {
        // A bare media prefix: the attached device, or the user's choice.
        TCStringList devices;
        if (!listDevices(resolvedLocation.c_str(), devices, "Button1Click")) return 0;
        if (devices.count() == 0) {
            messageDlg(translated("Нет ни одного подключенного носителя выбранного типа!"), mtError, mbSet(mbOK));
            return 0;
        }
        TCString device = *devices.at(0);
        if (devices.count() > 1) {
            device.clear();
            if (!selectFromDeviceList(&devices, device)) return 0;
        }
        resolvedLocation = joinDeviceLocation(resolvedLocation.c_str(), device.c_str());
    }
    return CheckOverwrite(resolvedLocation.c_str(), password) ? result : 0;
}

bool TCtxPtromptFrame::CheckOverwrite(const char* location, const char* password) {
    if (!writing()) return true;
    const bool file = ZrX_IsFileContainer(location) != 0;
    bool exists = false;
    if (file) {
        exists = fileExists(location);
    } else {
        csOutDbgText(kDebugMask, "**CheckOverwrite, Call ZrX_FileExistsEx");
        const KResult rc = ZrX_FileExistsEx(location, password, fileExistsContext);
        csOutDbgText(kDebugMask, "**ZrX_FileExistsEx result: %d ", int(rc));
        if (rc == zrx::container::kErrNotFound) {
            exists = false;
        } else if (rc == 0) {
            exists = true;
        } else {
            kvdShowErrorLibMessage(nullptr, rc, 0, translated("Поиск аналогичных ключей на носителе '%s'").c_str(),
                                   location);
            return false;
        }
    }
    if (!exists) return testWritableFolder(location);
    if (file) {
        const TCString q =
            TCFString(translated("Заменить обнаруженный файл контейнера личных ключей '%s'?").c_str(), location);
        // The file is replaced by a write into its folder: that must work too.
        return messageDlg(q, mtConfirmation, mbSet(mbYes, mbNo)) == mrYes && testWritableFolder(location);
    }
    if (isHsmLocation(location)) {
        messageDlg(TCFString(translated("На HSM-токене '%s' обнаружены сгенерированные ранее ключи.\nДля повторного "
                                        "использования токена необходимо произвести инициализацию носителя в окне "
                                        "работы со списком HSM-токенов.")
                                 .c_str(),
                             location),
                   mtConfirmation, mbSet(mbOK));
        return false;
    }
    const TCString q = TCFString(translated("На носителе '%s' обнаружены ключи аналогичного назначения.\nПеред "
                                            "записью ключей носитель будет очищен от аналогичных данных.")
                                     .c_str(),
                                 location);
    if (messageDlg(q, mtConfirmation, mbSet(mbOK, mbCancel)) != mrOk) return false;
    // Nothing is removed while the user may still cancel or the generation
    // roll back: the clean waits for the commit.
    FCleanOnCommit = location;
    return true;
}

bool TCtxPtromptFrame::testWritableFolder(const char* location) {
    if (!ZrX_IsFileContainer(location)) return true;
    TCString folder = extractFilePath(location);
    if (folder.isEmpty()) folder = TCString(location).startsWith("/") ? "/" : ".";
    // A name of our own, created exclusively: no user's file is ever touched.
    static std::random_device seed;
    int handle = -EEXIST;
    for (int attempt = 0; attempt < 8 && handle == -EEXIST; ++attempt) {
        const TCString probe = makePathName(
            folder.c_str(), TCString::format(".zrx-write-test-%d-%08x.tmp", int(getpid()), seed()).c_str());
        handle = openFile(probe.c_str(), FO_TEMP_CREATE);
    }
    if (handle < 0) {
        messageDlg(TCFString(translated("Программе не удалось создать тестовый файл в указанной в пути к контейнеру: "
                                        "'%s' папке. Проверьте доступность данной папки для записи или введите "
                                        "другой путь.")
                                 .c_str(),
                             location),
                   mtError, mbSet(mbOK));
        return false;
    }
    closeFile(handle);  // a temporary file: closing removes it
    return true;
}

void TCtxPtromptFrame::flbx1ListHide(TObject*) {
    const uint32_t code = mediaType();
    if (OnMediaChange) OnMediaChange(this, code);
    if (code == containerTypeOfPath()) return;
    updatePathEditors(code);
    setPathText(code != 0 ? mediaPrefix(code).c_str() : "");
}

void TCtxPtromptFrame::Edit1Exit(TObject*) {
    uint32_t code = 0;
    TCString path = getPathText();
    if (!path.isEmpty()) {
        // A new container file without extension becomes a ".pfx" file.
        if (writing() && ZrX_IsFileContainer(path.c_str()) && getExt(path.c_str()).isEmpty()) {
            path += ".pfx";
            setPathText(path.c_str());
        }
        code = containerTypeOfPath();
    }
    setMediaType(code);
}

void TCtxPtromptFrame::Button3Click(TObject*) {
    const uint32_t code = mediaType();
    if (code == 0) {
        TCustomForm* form = ParentForm();
        dlgOpenEx1->SetTitle(form ? form->GetText() : String());
        dlgOpenEx1->SetDefaultExt("pfx");
        dlgOpenEx1->SetFilter(translated("Файловые контейнеры(*.pfx)|*.pfx|Все файлы|*.*").str());
        dlgOpenEx1->SetFileName(defaultFileName.str());
        if (!dlgOpenEx1->Execute()) return;
        setPathText(dlgOpenEx1->FileName().c_str());
        Edit1Exit(this);
        return;
    }
    const TCString path = getPathText();
    TCString chosen;
    if ((path.at(0) == '$' || code == kHsmMedia) && testViewFlags(kViewHsmList)) {
        if (!chooseHsmToken(chosen, writing(), tokenLabel.c_str())) return;
    } else {
        // The devices of the media chosen in the picker.
        const TCString prefix = containerTypeOfPath() == code ? path : mediaPrefix(code);
        TCStringList devices;
        if (!listDevices(prefix.c_str(), devices, "Button3Click")) return;
        chosen = prefix;
        if (!selectFromDeviceList(&devices, chosen)) return;
    }
    if (chosen.at(0) == char(code)) setPathText(chosen.c_str());
    else setPathText(TCString::format("%c:%s", char(code), chosen.c_str()).c_str());
}

KResult cleanStorageAtCommit(const char* location, const char* password) {
    if (!location || !*location) return 0;
    return ZrX_CleanStorage(location, password);
}
