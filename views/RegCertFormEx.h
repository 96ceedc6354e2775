#pragma once
// The issuing dialog: a request's rendering with the proposed validity of
// the certificate made from it, within bounds, and optionally the
// certificate-blocking phrase and its question.
#include <cstdint>

#include "components/CompoundEdit.h"
#include "components/UXDateTime.h"
#include "platform/runtime/TCFlags.h"
#include "views/VZrX509BaseForm.h"

// Bounds of the validity dates (seconds; 0: no bound).
struct TCValidityRange {
    TCValidityRange();
    int64_t earliestStart;
    int64_t earliestEnd;
    int64_t latestStart;  // 0: open
    int64_t latestEnd;    // 0: open
    bool isStartAllowed(int64_t t) const;
    bool isEndAllowed(int64_t t) const;
};

// Parameters of the issuing dialog.
struct TCRegFormParams {
    uint32_t flags = 0;
    TCString text;  // the certificate-blocking phrase ("phrase|question" once a question is given)
    TCValidityRange range;
    int64_t startDate = 0;
    int64_t endDate = 0;
};

// Flags of the dialog.
enum : uint32_t {
    krfSeriesButtons = 0x1,  // execute, all, skip, stop
    krfPhraseGroup = 0x8,    // phrase and question
    krfRangeFromParams = 0x10,
    krfDatesGroup = 0x20,
    krfRejectButton = 0x40,  // "Отклонить", modal result 3
};

class TKeyRegFormEx : public TCViewZrX509BaseForm {
    DECLARE_CLASS(TKeyRegFormEx)
    explicit TKeyRegFormEx(TComponent* AOwner);

    // The date check of the answer buttons: a refused date keeps the window
    // open with the focus on its picker.
    void Button2Click(TObject* Sender);
    void PrintActionExecute(TObject* Sender) override;
    void SaveHTMLActionExecute(TObject* Sender) override;
    // Places the shown groups side by side, each field right of its group's
    // widest (translated) label; the phrase group takes the rest of the row.
    void arrangeGroups();

    TCValidityRange range;
    TPanel* Panel2;
    TGroupBox* grpBx2;
    TLabel *lbl3, *lbl4;
    TUXDateTimePicker *uxdtmpckr1, *uxdtmpckr2;
    TGroupBox* grpBx1;
    TLabel *lbl2, *lbl5;
    TEdit* edit2;
    TCompoundHistoryEdit* chedt1;
};

// Shows the issuing dialog; on OK the parameters take the dates and the
// phrase (with the question) back. Answers the modal result.
int execKeyRegForm(const char* html, const char* ownerName, TCRegFormParams& params, TCFlags<unsigned int>& flags,
                   const char* printHtml);
