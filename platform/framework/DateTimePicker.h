// The date-time picker: a date with a drop-down calendar, or a time of day,
// with an optional check box in front ("no value" when unticked).
#pragma once

#include "platform/framework/Controls.h"
#include "platform/framework/DateTime.h"

enum TDateTimeKind { dtkDate, dtkTime };
extern const TEnumInfo DateTimeKindInfo;
enum TDTCalAlignment { dtaLeft, dtaRight };
extern const TEnumInfo DTCalAlignmentInfo;

class TDateTimePicker : public TWinControl {
    DECLARE_CLASS(TDateTimePicker)
    explicit TDateTimePicker(TComponent* AOwner);
    ~TDateTimePicker() override;

    TDateTimeKind Kind() const { return FKind; }
    void SetKind(TDateTimeKind v);
    // The whole value; the date kind shows its date, the time kind its time.
    TDateTime DateTime() const { return FDateTime; }
    void SetDateTime(TDateTime v);
    TDateTime Date() const { return DateOf(FDateTime); }
    void SetDate(TDateTime v);  // keeps the time of day
    TDateTime Time() const { return TimeOf(FDateTime); }
    void SetTime(TDateTime v);  // keeps the date
    // Limits of the date; 0 is none.
    TDateTime MinDate() const { return FMinDate; }
    void SetMinDate(TDateTime v);
    TDateTime MaxDate() const { return FMaxDate; }
    void SetMaxDate(TDateTime v);
    bool ShowCheckbox() const { return FShowCheckbox; }
    void SetShowCheckbox(bool v);
    bool Checked() const { return FChecked; }
    void SetChecked(bool v);
    // The field shows nothing (a "no value" state); the value is kept.
    bool Blank() const { return FBlank; }
    void SetBlank(bool v);
    TDTCalAlignment CalAlignment() const { return FCalAlignment; }
    void SetCalAlignment(TDTCalAlignment v) { FCalAlignment = v; }
    // The calendar is open.
    bool DroppedDown() const;
    // The inner field's own window (what holds the focus).
    QWidget* FieldWidget() const;

    TNotifyEvent OnChange;  // the value changed by the user
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    // OnClick: the check box was ticked or unticked by the user.

protected:
    void ApplyColor() override;
    void SetEnabledImpl();

private:
    struct Impl;
    Impl* FImpl;
    void showValue();
    void applyRange();
    TDateTimeKind FKind = dtkDate;
    TDateTime FDateTime = 0;
    TDateTime FMinDate = 0, FMaxDate = 0;
    bool FShowCheckbox = false;
    bool FChecked = true;
    bool FBlank = false;
    bool FSetting = false;
    TDTCalAlignment FCalAlignment = dtaLeft;
};
