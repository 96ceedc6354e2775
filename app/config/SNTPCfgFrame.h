#pragma once
// The time-control settings frame: switch, NTP server, port and allowed
// difference, edited against a time-server record.
#include "app/config/ConfigBase.h"
#include "components/CNumberEdit.h"
#include "components/HistoryEdit.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

class TCSNTPCfgFrame : public TFrame {
    DECLARE_CLASS(TCSNTPCfgFrame)
    explicit TCSNTPCfgFrame(TComponent* AOwner);

    TCheckBox* chk1;  // "Отключить контроль времени"
    TLabel* lbl1;
    THistoryEdit* hstrydt1;  // server, at most as long as the record holds
    TLabel* lbl2;
    TCNumberEdit* nedt1;  // port
    TLabel* lbl3;
    TCNumberEdit* nedt2;  // allowed difference
    TLabel* lbl4;

    void chk1Click(TObject* Sender);
    void loadParams(const TSNTPParams& params);
    void storeParams(TSNTPParams& params);
    // True when time control is off or a server is named; otherwise the
    // page comes forward, the operator is told and the server field focused.
    bool checkParams(TTabSheet* page);
};
