#pragma once
// The "UserExPars" request pages: the general page (certificate-blocking
// phrase, security question, extended key usages) registered at program
// start, and the generator's page that replaces it from the main window's
// start-up (no question; excluding non-standard extensions and making a
// self-issued certificate instead).
#include "components/CCompStorage.h"
#include "components/CompoundEdit.h"
#include "platform/framework/StdCtrls.h"
#include "requests/ReqPropsFrame.h"

class TUserExPars : public TCBaseReqPropsFrame {
    DECLARE_CLASS(TUserExPars)
    explicit TUserExPars(TComponent* AOwner);

    TLabel* Label1;
    TEdit* Edit1;  // the certificate-blocking phrase
    TLabel* lbl1;
    TCompoundHistoryEdit* chedt1;  // the security question

    bool loadPars(TCRequestParamMaker* maker, TCustomForm* owner) override;
    // Refuses an empty phrase under profile flag 0x2000; else the challenge
    // password is "phrase" or "phrase|question".
    bool storePars(TCRequestParamMaker* maker) override;
    void setCompact(bool c) override;

protected:
    // The usage boxes from the top down to the page's bottom, following it
    // (a long list of usages is shown whole where the page has room).
    void placeEkuBoxes(int top);
};

class TCreatorUserExPars : public TUserExPars {
    DECLARE_CLASS(TCreatorUserExPars)
    explicit TCreatorUserExPars(TComponent* AOwner);

    TCheckBox* chk1;  // "Исключить нестандартные расширения"
    TCheckBox* chk2;  // "Сформировать самоизаднный сертификат"
    TCCompStorage* cmpstrg1;

    bool loadPars(TCRequestParamMaker* maker, TCustomForm* owner) override;
    bool storePars(TCRequestParamMaker* maker) override;
    void setCompact(bool c) override;

    void chk1Click(TObject* Sender);
    void chk2Click(TObject* Sender);

private:
    TCRequestParamMaker* maker_ = nullptr;  // not owned
};

// The generator's page takes the name "UserExPars".
void registerCreatorUserExPars();
