#include "platform/framework/Dialogs.h"

#include <filesystem>

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QStyle>
#include <QLabel>

#include <algorithm>

#include "platform/framework/ExtCtrls.h"
#include "platform/framework/QtBridge.h"
#include "platform/framework/StdCtrls.h"
#include "platform/runtime/Translation.h"

namespace {
// Captions are the program's source texts, shown in the interface language.
struct BtnInfo {
    const char* name;
    const char* caption;
    TModalResult result;
};
const BtnInfo kButtons[] = {{"Yes", "&Да", mrYes},
                            {"No", "&Нет", mrNo},
                            {"OK", "OK", mrOk},
                            {"Cancel", "Отмена", mrCancel},
                            {"Abort", "&Прервать", mrAbort},
                            {"Retry", "&Повторить", mrRetry},
                            {"Ignore", "&Пропустить", mrIgnore},
                            {"All", "&Все", mrAll},
                            {"NoToAll", "Н&ет для всех", mrNoToAll},
                            {"YesToAll", "Д&а для всех", mrYesToAll},
                            {"Help", "&Справка", mrNone},
                            {"Close", "&Закрыть", mrClose}};
const char* kCaptions[] = {"Предупреждение", "Ошибка", "Информация", "Подтверждение", ""};
}  // namespace

TCustomForm* CreateMessageDialog(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons) {
    EnsureApplication();
    auto* f = new TForm(Application);
    f->SetBorderStyle(bsDialog);
    f->SetPosition(poScreenCenter);
    f->SetCaption(Application->Title().empty() || DlgType != mtCustom ? zrnTranslateString(kCaptions[DlgType]).str()
                                                                      : Application->Title());
    auto* msg = new TLabel(f);
    msg->SetName("Message");
    msg->SetParent(f);
    QFontMetrics fm(QApplication::font());
    QRect tr = fm.boundingRect(QRect(0, 0, 400, 10000), Qt::TextWordWrap, toQ(Msg));
    msg->SetWordWrap(true);
    msg->SetAutoSize(false);
    msg->SetBounds(16, 16, std::max(tr.width() + 4, 120), tr.height() + 4);
    msg->SetCaption(Msg);
    // '&' is a text character in messages, not an accelerator.
    if (auto* l = static_cast<QLabel*>(msg->Handle())) l->setText(toQ(Msg));
    std::vector<TButton*> btns;
    if (!Buttons) Buttons = mbSet(mbOK);
    for (int i = 0; i < 12; ++i) {
        if (!(Buttons & (1u << i))) continue;
        auto* b = new TButton(f);
        b->SetName(kButtons[i].name);
        b->SetParent(f);
        b->SetCaption(zrnTranslateString(kButtons[i].caption).str());
        b->SetModalResult(kButtons[i].result);
        btns.push_back(b);
    }
    // Default: the first of Yes/OK; cancel: Cancel, else No, else the only button.
    for (TButton* b : btns)
        if (b->ModalResult() == mrYes || b->ModalResult() == mrOk) {
            b->SetDefault(true);
            break;
        }
    for (TModalResult want : {mrCancel, mrNo, mrClose})
        if (auto it = std::find_if(btns.begin(), btns.end(), [&](TButton* b) { return b->ModalResult() == want; });
            it != btns.end()) {
            (*it)->SetCancel(true);
            break;
        }
    if (btns.size() == 1) btns[0]->SetCancel(true);
    int bw = 75, gap = 8, total = int(btns.size()) * bw + (int(btns.size()) - 1) * gap;
    int w = std::max(msg->Width() + 32, total + 32);
    int top = msg->Top() + msg->Height() + 16;
    int x = (w - total) / 2;
    for (TButton* b : btns) {
        b->SetBounds(x, top, bw, 25);
        x += bw + gap;
    }
    f->SetClientWidth(w);
    f->SetClientHeight(top + 25 + 12);
    f->AfterConstruction();
    for (TButton* b : btns)
        if (b->Default()) f->SetActiveControl(b);
    return f;
}

int ShowModalAndFree(TCustomForm* form, const std::function<void()>& prepare, const std::function<void(int)>& collect) {
    int r = mrCancel;
    try {
        if (prepare) prepare();
        r = form->ShowModal();
        if (collect) collect(r);
    } catch (...) {
        form->Free();
        throw;
    }
    form->Free();
    return r;
}

int MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int) {
    return ShowModalAndFree(CreateMessageDialog(Msg, DlgType, Buttons));
}

void ShowMessage(const String& Msg) { MessageDlg(Msg, mtCustom, mbSet(mbOK)); }

// ---- file dialogs

const TEnumInfo OpenOptionInfo{
    "TOpenOption",
    {"ofReadOnly",        "ofOverwritePrompt",  "ofHideReadOnly",       "ofNoChangeDir",         "ofShowHelp",
     "ofNoValidate",      "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist",       "ofFileMustExist",
     "ofCreatePrompt",    "ofShareAware",       "ofNoReadOnlyReturn",   "ofNoTestFileCreate",    "ofNoNetworkButton",
     "ofNoLongNames",     "ofOldStyleDialog",   "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing",
     "ofDontAddToRecent", "ofForceShowHidden"}};

IMPLEMENT_CLASS(TCommonDialog, TComponent) {}

IMPLEMENT_CLASS(TOpenDialog, TCommonDialog) {
    r.Str("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt);
    r.Str("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName);
    r.Str("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter);
    r.Integer("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex);
    r.Str("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir);
    r.Set("Options", OpenOptionInfo, &TOpenDialog::Options, &TOpenDialog::SetOptions);
    r.Str("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
}

IMPLEMENT_CLASS(TSaveDialog, TOpenDialog) {}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFiles(new TStringList) {}
TOpenDialog::~TOpenDialog() { delete FFiles; }

// "Text (*.txt)|*.txt|All|*.*" -> Qt's "Text (*.txt)", "All (*.*)": masks split
// at ';' go in parentheses after the description, unless it shows them already.
std::vector<String> QtFileFilters(const String& filter) {
    std::vector<String> out;
    QStringList parts = toQ(filter).split('|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString masks = parts[i + 1].trimmed();
        masks.replace(';', ' ');
        QString desc = parts[i].trimmed();
        if (desc.endsWith("(" + masks + ")")) out.push_back(fromQ(desc));
        else out.push_back(fromQ(desc + " (" + masks + ")"));
    }
    return out;
}

static QStringList qtFilters(const String& filter) {
    QStringList out;
    for (const String& f : QtFileFilters(filter)) out << toQ(f);
    return out;
}

// The checks the real dialog makes before it lets a name through, applied
// to a name given by the modal hook: the default extension, a file that must
// exist, and the question before an existing file is overwritten.
bool TOpenDialog::HookAnswerAccepted() {
    if (FFileName.empty()) return true;
    std::filesystem::path p(FFileName);
    if (!FDefaultExt.empty() && !p.has_extension()) {
        String ext = FDefaultExt[0] == '.' ? FDefaultExt.substr(1) : FDefaultExt;
        FFileName += "." + ext;
        if (FFiles->Count() == 1) FFiles->Put(0, FFileName);
        p = std::filesystem::path(FFileName);
    }
    std::error_code ec;
    bool exists = std::filesystem::exists(p, ec);
    if (!FSave && (FOptions & ofSet(ofFileMustExist)) && !exists) return false;
    if (FSave && (FOptions & ofSet(ofOverwritePrompt)) && exists)
        return MessageDlg(FFileName + " already exists.\nDo you want to replace it?", mtWarning, mbYesNo) == mrYes;
    return true;
}

bool TOpenDialog::Execute() {
    EnsureApplication();
    fire(OnShow, this);
    int result = mrCancel;
    if (ModalHookActive()) {
        FFiles->Clear();
        RunModalHook(this, result);
        if (result == mrOk && FFiles->Count() == 0 && !FFileName.empty()) FFiles->Add(FFileName);
        if (result == mrOk && FFileName.empty() && FFiles->Count() > 0) FFileName = FFiles->Get(0);
        if (result == mrOk && !HookAnswerAccepted()) result = mrCancel;
        fire(OnClose, this);
        return result == mrOk;
    }
    QFileDialog dlg(Screen->ActiveForm() ? Screen->ActiveForm()->Handle() : nullptr);
    dlg.setWindowTitle(toQ(FTitle));
    dlg.setAcceptMode(FSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(FSave                                    ? QFileDialog::AnyFile
                    : (FOptions & ofSet(ofAllowMultiSelect)) ? QFileDialog::ExistingFiles
                    : (FOptions & ofSet(ofFileMustExist))    ? QFileDialog::ExistingFile
                                                             : QFileDialog::AnyFile);
    if (!(FOptions & ofSet(ofOverwritePrompt))) dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    QStringList filters = qtFilters(FFilter);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        if (FFilterIndex >= 1 && FFilterIndex <= filters.size()) dlg.selectNameFilter(filters[FFilterIndex - 1]);
    }
    if (!FInitialDir.empty()) dlg.setDirectory(toQ(FInitialDir));
    if (!FDefaultExt.empty()) dlg.setDefaultSuffix(toQ(FDefaultExt));
    if (!FFileName.empty()) dlg.selectFile(toQ(FFileName));
    bool ok = dlg.exec() == QDialog::Accepted;
    if (ok) {
        FFiles->Clear();
        for (const QString& f : dlg.selectedFiles()) FFiles->Add(fromQ(f));
        FFileName = FFiles->Count() ? FFiles->Get(0) : String();
        FFilterIndex = int(filters.indexOf(dlg.selectedNameFilter())) + 1;
    }
    fire(OnClose, this);
    return ok;
}
