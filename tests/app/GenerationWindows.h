#pragma once
// Answers to the windows of one key generation, as a user would give them:
// the owner-parameter dialog filled and accepted (or cancelled), the save
// dialogs pointed at a test folder, the issuing dialog accepted, and what
// the result window listed.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "dialogs/LogGrabView.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/framework/Dialogs.h"
#include "platform/runtime/FileUtils.h"
#include "requests/EditUserParmsForm.h"
#include "views/RegCertFormEx.h"
#include "requests/UserExParsFrame.h"

namespace zrxtest {

inline const char kGenPassword[] = "Пароль-1234";
inline const char kGenOwner[] = "Петренко Іван";

// How the dialogs of one generation are answered.
struct GenerationAnswers {
    std::string location;  // the new container
    const char* password = kGenPassword;
    bool cancelOwner = false;
    bool selfIssued = false;
    bool excludeNonStandard = false;
    int kaParams = -1;       // the key-agreement set, when chosen
    bool kaOnly = false;     // "Ключи связи" alone ticked (the profile lets the owner choose)
    std::string saveAs;      // an extension replacing the proposed one (".PEM")
    int cancelSaveAt = -1;   // the save dialog (0, 1...) that is cancelled
    std::string saveFolder;  // where the save dialogs put the files
    std::string goneAtSave;  // a folder removed when the first save dialog shows (the medium going away)
};

// What the generation showed.
struct GenerationSeen {
    std::vector<std::string> saveTitles, savedFiles, proposed, results, issuing;
    std::vector<int64_t> issuingDays;
    std::vector<bool> resultErrors;  // the result window showed the error icon
    std::string onlyEmptyTokens;     // the macro while the owner dialog was open
    std::string refusal;             // why the owner dialog did not accept
};

// Answers one window of a generation; -1 when the window is none of them.
inline int answerGenerationWindow(TObject* w, const GenerationAnswers& a, GenerationSeen& seen) {
    if (auto* f = dynamic_cast<TEditUserParmsForm*>(w)) {
        seen.onlyEmptyTokens = getCFGMacroValue("onlyEmptyTokens").str();
        if (a.cancelOwner) return mrCancel;
        f->CEditorsBox1->setValue("SN", "Петренко");
        f->CEditorsBox1->setValue("GN", "Іван");
        f->CEditorsBox1->setValue("CN", kGenOwner);
        f->locationFrame()->setLocation(a.location.c_str());
        f->PasswordEdit->SetText(a.password);
        f->PasswordConfirm->SetText(f->PasswordConfirm->Visible() ? a.password : "");
        if (a.kaOnly) {
            f->chckbxs1->SetIsChecked(1, false);
            f->chckbxs1->SetIsChecked(2, true);
            f->chckbxs1ChekBoxClick(f->chckbxs1);
        }
        if (a.kaParams >= 0) f->flbx2->SetChecked(uint64_t(a.kaParams));
        for (TCBaseReqPropsFrame* page : f->pages())
            if (auto* c = dynamic_cast<TCreatorUserExPars*>(page)) {
                // As a user's click: the box changes, then its handler runs.
                c->chk1->SetChecked(a.excludeNonStandard);
                c->chk1Click(c->chk1);
                c->chk2->SetChecked(a.selfIssued);
                c->chk2Click(c->chk2);
            }
        f->UpdateActions();
        if (f->act1->Enabled()) f->Button1->Click();
        // A refusal would leave the dialog waiting for a user.
        if (f->ModalResult() == mrOk) return 0;
        seen.refusal = "not accepted";
        return mrCancel;
    }
    if (auto* d = dynamic_cast<TSaveDialog*>(w)) {
        const int index = int(seen.saveTitles.size());
        seen.saveTitles.push_back(d->Title());
        seen.proposed.push_back(d->InitialDir() + "/" + d->FileName());
        if (index == a.cancelSaveAt) return mrCancel;
        if (index == 0 && !a.goneAtSave.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(a.goneAtSave, ec);
        }
        std::string name = d->FileName();
        if (!a.saveAs.empty()) name = changeFileExt(name.c_str(), a.saveAs.c_str()).str();
        d->SetFileName(a.saveFolder + "/" + name);
        seen.savedFiles.push_back(d->FileName());
        return mrOk;
    }
    if (auto* r = dynamic_cast<TKeyRegFormEx*>(w)) {
        seen.issuing.push_back(r->Caption());
        seen.issuingDays.push_back((r->uxdtmpckr2->GetUXDateTime() - r->uxdtmpckr1->GetUXDateTime()) / 86400);
        return mrOk;
    }
    if (auto* g = dynamic_cast<TLogGrabViewForm*>(w)) {
        seen.results.push_back(g->joinedText().str());
        seen.resultErrors.push_back(g->img3->Visible());
        return mrOk;
    }
    return -1;
}

}  // namespace zrxtest
