// Date and time editors over the framework's picker: a date or a time of day
// that can be empty (grayed), and a date with a time side by side. Values
// cross as 64-bit seconds since 1970 or as digit texts: dates
// "YYYYMMDD000000", times "HHMMSS", dates with times "YYYYMMDDHHMMSS".
#pragma once

#include <cstdint>

#include "components/CompoundEdit.h"
#include "platform/runtime/TimeUtils.h"
#include "platform/framework/DateTimePicker.h"
#include "platform/framework/Splitter.h"

using TGrayedEvent = std::function<void(TObject* Sender, bool isGrayed)>;

class TUXDateTimePicker : public TCompoundEdit {
    DECLARE_CLASS(TUXDateTimePicker)
    explicit TUXDateTimePicker(TComponent* AOwner);

    TDateTimePicker* DTPicker() const { return FPicker; }
    TDateTimeKind GetKind() const { return FPicker->Kind(); }
    void SetKind(TDateTimeKind k) { FPicker->SetKind(k); }
    bool AutoGrayed() const { return FAutoGrayed; }
    void SetAutoGrayed(bool v);
    bool Grayed() const { return FGrayed; }
    void SetGrayed(bool g);
    void enableEditor(bool v);

    // Seconds since 1970 for the date kind (the local day), seconds since
    // midnight for the time kind; 0 is "no value".
    void SetUXDateTime(int64_t t);
    int64_t GetUXDateTime() const;
    void SetMaxDate(int64_t t);
    int64_t GetMaxDate() const;
    void SetMinDate(int64_t t);
    int64_t GetMinDate() const;

    // The empty text is "no value"; otherwise the whole text must be read
    // ("HHMMSS", or "YYYYMMDD" with an optional six-digit time part).
    bool setTextValue(const String& text) override;
    String getTextValue() const override;
    void SetKeyEvent(TKeyEvent ev) override;
    void setColor(TColor c) override;
    void enable(bool on) override;
    bool isFocusHandle(const TWinControl* handle) const override;

    TGrayedEvent OnGrayed;

    void click();
    void dblClick();

private:
    TDateTimePicker* FPicker;
    bool FAutoGrayed = false;
    bool FGrayed = false;
};

class TUXDatetimeEditor : public TCompoundEdit {
    DECLARE_CLASS(TUXDatetimeEditor)
    explicit TUXDatetimeEditor(TComponent* AOwner);

    TDateTimePicker* DatePicker() const { return FDate; }
    TDateTimePicker* TimePicker() const { return FTime; }
    TSplitter* Splitter() const { return FSplitter; }
    int GetDateEditWidth() const { return FDate ? FDate->Width() : 0; }
    void SetDateEditWidth(int v);

    // 0 changes nothing. What is read back is the instant shown: the one set
    // while the fields still show it (the hour that repeats when summer time
    // ends names two), and a time typed into the hour that summer time skips
    // is shown as the instant it stands for.
    void SetDateAndTime(int64_t t);
    int64_t GetDateAndTime() const;
    // The empty text changes nothing; otherwise all fourteen digits must be read.
    bool setTextValue(const String& text) override;
    String getTextValue() const override;
    void SetKeyEvent(TKeyEvent ev) override;
    void setColor(TColor c) override;
    void enable(bool on) override;
    bool isFocusHandle(const TWinControl* handle) const override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void DoEnter() override;

protected:
    void Change() override;

private:
    void DateTimeChange();
    SYSTEMTIME shownFields() const;
    void showExistingTime();
    TDateTimePicker* FDate = nullptr;
    TSplitter* FSplitter = nullptr;
    TDateTimePicker* FTime = nullptr;
    bool FUpdating = false;
    bool FDateWidthSet = false;
    int64_t FInstant = 0;  // set last by SetDateAndTime; 0 when none
};
