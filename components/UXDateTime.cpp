#include "components/UXDateTime.h"

#include <cstdio>

namespace {
// The same calendar day and time of day, to the second.
bool sameLocalTime(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

// The text is exactly digits of the given field widths; the fields read.
bool readDigitFields(const String& text, std::initializer_list<int> widths, int* out) {
    size_t need = 0;
    for (int w : widths) need += size_t(w);
    if (text.size() != need) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    size_t pos = 0;
    for (int w : widths) {
        *out++ = std::stoi(text.substr(pos, size_t(w)));
        pos += size_t(w);
    }
    return true;
}

String fmt(const char* f, int a, int b, int c, int d = 0, int e = 0, int g = 0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, a, b, c, d, e, g);
    return buf;
}

TDateTime dateOfTime(int64_t t) {
    SYSTEMTIME st = time_t2localtime(t);
    return EncodeDate(st.wYear, st.wMonth, st.wDay);
}

int64_t timeOfDate(TDateTime d) {
    int y, m, day;
    DecodeDate(d, y, m, day);
    SYSTEMTIME st;
    st.wYear = uint16_t(y);
    st.wMonth = uint16_t(m);
    st.wDay = uint16_t(day);
    return systemtime2time_t(st);
}
}  // namespace

// ---- TUXDateTimePicker

IMPLEMENT_CLASS(TUXDateTimePicker, TCompoundEdit) {
    r.Boolean("AutoGrayed", &TUXDateTimePicker::AutoGrayed, &TUXDateTimePicker::SetAutoGrayed);
    r.Object<TDateTimePicker>("DTPicker", &TUXDateTimePicker::DTPicker, nullptr);
    r.Boolean("Grayed", &TUXDateTimePicker::Grayed, &TUXDateTimePicker::SetGrayed);
    r.Enum("Kind", DateTimeKindInfo, &TUXDateTimePicker::GetKind, &TUXDateTimePicker::SetKind);
}

TUXDateTimePicker::TUXDateTimePicker(TComponent* AOwner) : TCompoundEdit(AOwner) {
    FPicker = new TDateTimePicker(this);
    FPicker->SetParent(this);
    FPicker->SetAlign(alClient);
    FPicker->SetParentColor(true);
    FPicker->SetParentFont(true);
    FPicker->SetCalAlignment(dtaRight);
    FPicker->OnClick = [this](TObject*) { click(); };
    FPicker->OnDropDown = [](TObject*) {};
    SetReadOnly(true);
    SetText("");
    SetHeight(FPicker->Height());
}

void TUXDateTimePicker::SetAutoGrayed(bool v) {
    FAutoGrayed = v;
    if (v) {
        OnDblClick = [this](TObject*) { dblClick(); };
        FPicker->OnDblClick = [this](TObject*) { dblClick(); };
    }
}

void TUXDateTimePicker::dblClick() {
    if (FAutoGrayed) SetGrayed(!FGrayed);
}

void TUXDateTimePicker::click() {
    if (FPicker->Checked() == FGrayed) SetGrayed(!FPicker->Checked());
}

void TUXDateTimePicker::SetGrayed(bool g) {
    if (g == FGrayed) return;
    FGrayed = g;
    enableEditor(!g);
    if (OnGrayed) OnGrayed(this, g);
}

void TUXDateTimePicker::enableEditor(bool v) {
    // With its check box shown, unticking disables only the field, so the
    // user can tick it again to give a value.
    if (FPicker->ShowCheckbox()) FPicker->SetChecked(v);
    else FPicker->SetEnabled(v);
    FPicker->SetColor(v ? clWindow : clBtnFace);
    // No value shows no date or time.
    FPicker->SetBlank(!v);
}

void TUXDateTimePicker::SetUXDateTime(int64_t t) {
    if (FAutoGrayed) {
        if (t == 0) {
            SetGrayed(true);
            return;
        }
        SetGrayed(false);
    } else if (t == 0) {
        return;
    }
    try {
        if (GetKind() == dtkDate) {
            FPicker->SetDate(dateOfTime(t));
        } else {
            if (t < 0) throw EConvertError("Invalid time");
            FPicker->SetTime(EncodeTime(int(t / 3600), int(t % 3600 / 60), int(t % 60), 0));
        }
    } catch (const EConvertError&) {}
}

int64_t TUXDateTimePicker::GetUXDateTime() const {
    if (GetKind() == dtkDate) return timeOfDate(FPicker->Date());
    int h, m, s, ms;
    DecodeTime(FPicker->Time(), h, m, s, ms);
    return int64_t(h) * 3600 + m * 60 + s;
}

void TUXDateTimePicker::SetMaxDate(int64_t t) { FPicker->SetMaxDate(t == 0 ? 0.0 : dateOfTime(t)); }
int64_t TUXDateTimePicker::GetMaxDate() const { return FPicker->MaxDate() == 0 ? 0 : timeOfDate(FPicker->MaxDate()); }
void TUXDateTimePicker::SetMinDate(int64_t t) { FPicker->SetMinDate(t == 0 ? 0.0 : dateOfTime(t)); }
int64_t TUXDateTimePicker::GetMinDate() const { return FPicker->MinDate() == 0 ? 0 : timeOfDate(FPicker->MinDate()); }

bool TUXDateTimePicker::setTextValue(const String& text) {
    if (text.empty()) {
        if (FAutoGrayed) SetGrayed(true);
        return true;
    }
    int f[6] = {};
    try {
        if (GetKind() == dtkTime) {
            if (!readDigitFields(text, {2, 2, 2}, f)) return false;
            TDateTime t = EncodeTime(f[0], f[1], f[2], 0);
            if (FAutoGrayed) SetGrayed(false);
            FPicker->SetTime(t);
        } else {
            if (!readDigitFields(text, {4, 2, 2}, f) && !readDigitFields(text, {4, 2, 2, 2, 2, 2}, f)) return false;
            TDateTime d = EncodeDate(f[0], f[1], f[2]);
            if (FAutoGrayed) SetGrayed(false);
            FPicker->SetDate(d);
        }
    } catch (const EConvertError&) {
        return false;
    }
    return true;
}

String TUXDateTimePicker::getTextValue() const {
    if (FAutoGrayed && FGrayed) return String();
    int a, b, c, ms;
    if (GetKind() == dtkTime) {
        DecodeTime(FPicker->Time(), a, b, c, ms);
        return fmt("%02d%02d%02d", a, b, c);
    }
    DecodeDate(FPicker->Date(), a, b, c);
    if (a == 0 || b == 0 || c == 0) return String();
    return fmt("%04d%02d%02d000000", a, b, c);
}

void TUXDateTimePicker::SetKeyEvent(TKeyEvent ev) {
    FPicker->OnKeyDown = ev;
    OnKeyDown = std::move(ev);
}

void TUXDateTimePicker::setColor(TColor c) {
    TCompoundEdit::setColor(c);
    FPicker->SetColor(c);
}

void TUXDateTimePicker::enable(bool on) {
    TCompoundEdit::enable(on);
    FPicker->SetEnabled(on);
}

bool TUXDateTimePicker::isFocusHandle(const TWinControl* handle) const {
    return TCompoundEdit::isFocusHandle(handle) || handle == FPicker || FPicker->DroppedDown();
}

// ---- TUXDatetimeEditor

IMPLEMENT_CLASS(TUXDatetimeEditor, TCompoundEdit) {
    r.Integer("DateEditWidth", &TUXDatetimeEditor::GetDateEditWidth, &TUXDatetimeEditor::SetDateEditWidth);
}

TUXDatetimeEditor::TUXDatetimeEditor(TComponent* AOwner) : TCompoundEdit(AOwner) {
    FDate = new TDateTimePicker(this);
    FDate->SetKind(dtkDate);
    FDate->SetWidth(1);
    FDate->SetParent(this);
    FDate->SetAlign(alLeft);
    FDate->SetTabOrder(0);
    FSplitter = new TSplitter(this);
    FSplitter->SetParent(this);
    FSplitter->SetLeft(1);
    FSplitter->SetAlign(alLeft);
    FSplitter->SetWidth(2);
    FSplitter->SetBeveled(true);
    FSplitter->SetResizeStyle(rsPattern);
    FSplitter->OnMoved = [this](TObject*) { FDateWidthSet = true; };
    FTime = new TDateTimePicker(this);
    FTime->SetKind(dtkTime);
    FTime->SetParent(this);
    FTime->SetAlign(alClient);
    FTime->SetTabOrder(1);
    for (TDateTimePicker* p : {FDate, FTime}) {
        p->SetParentColor(true);
        p->SetParentFont(true);
        p->OnChange = [this](TObject*) { DateTimeChange(); };
    }
    SetReadOnly(true);
    SetText("");
    SetHeight(FDate->Height());
}

void TUXDatetimeEditor::SetDateEditWidth(int v) {
    FDateWidthSet = true;
    if (FDate) FDate->SetWidth(v);
}

void TUXDatetimeEditor::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TCompoundEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
    // Until a width is chosen (property or splitter) the date takes half the
    // editor, also after the editor is resized from its first size.
    if (FDate && (FDate->Width() <= 7 || !FDateWidthSet)) FDate->SetWidth(AWidth / 2 + 5);
}

void TUXDatetimeEditor::SetDateAndTime(int64_t t) {
    if (t == 0) return;
    SYSTEMTIME st = time_t2systemtime(t);
    try {
        FDate->SetDate(EncodeDate(st.wYear, st.wMonth, st.wDay));
        FTime->SetTime(EncodeTime(st.wHour, st.wMinute, st.wSecond, 0));
        FInstant = t;
    } catch (const EConvertError&) {}
}

SYSTEMTIME TUXDatetimeEditor::shownFields() const {
    int y, mo, d, h, mi, s, ms;
    DecodeDate(FDate->Date(), y, mo, d);
    DecodeTime(FTime->Time(), h, mi, s, ms);
    SYSTEMTIME st;
    st.wYear = uint16_t(y);
    st.wMonth = uint16_t(mo);
    st.wDay = uint16_t(d);
    st.wHour = uint16_t(h);
    st.wMinute = uint16_t(mi);
    st.wSecond = uint16_t(s);
    st.wMilliseconds = uint16_t(ms);
    return st;
}

int64_t TUXDatetimeEditor::GetDateAndTime() const {
    const SYSTEMTIME st = shownFields();
    if (FInstant != 0 && sameLocalTime(time_t2systemtime(FInstant), st)) return FInstant;
    return systemtime2time_t(st);
}

void TUXDatetimeEditor::showExistingTime() {
    const SYSTEMTIME st = shownFields();
    const SYSTEMTIME back = time_t2systemtime(systemtime2time_t(st));
    if (sameLocalTime(back, st)) return;
    const bool was = FUpdating;
    FUpdating = true;
    try {
        FDate->SetDate(EncodeDate(back.wYear, back.wMonth, back.wDay));
        FTime->SetTime(EncodeTime(back.wHour, back.wMinute, back.wSecond, 0));
    } catch (const EConvertError&) {}
    FUpdating = was;
}

bool TUXDatetimeEditor::setTextValue(const String& text) {
    if (text.empty()) return true;
    int f[6];
    if (!readDigitFields(text, {4, 2, 2, 2, 2, 2}, f)) return false;
    try {
        TDateTime d = EncodeDate(f[0], f[1], f[2]);
        TDateTime t = EncodeTime(f[3], f[4], f[5], 0);
        FDate->SetDate(d);
        FTime->SetTime(t);
    } catch (const EConvertError&) {
        return false;
    }
    DateTimeChange();
    return true;
}

String TUXDatetimeEditor::getTextValue() const {
    int y, mo, d, h, mi, s, ms;
    DecodeDate(FDate->Date(), y, mo, d);
    DecodeTime(FTime->Time(), h, mi, s, ms);
    return fmt("%04d%02d%02d%02d%02d%02d", y, mo, d, h, mi, s);
}

void TUXDatetimeEditor::SetKeyEvent(TKeyEvent ev) {
    FDate->OnKeyDown = ev;
    FTime->OnKeyDown = ev;
    OnKeyDown = std::move(ev);
}

void TUXDatetimeEditor::setColor(TColor c) {
    TCompoundEdit::setColor(c);
    FDate->SetColor(c);
    FTime->SetColor(c);
}

void TUXDatetimeEditor::enable(bool on) {
    TCompoundEdit::enable(on);
    FDate->SetEnabled(on);
    FTime->SetEnabled(on);
}

bool TUXDatetimeEditor::isFocusHandle(const TWinControl* handle) const {
    return TCompoundEdit::isFocusHandle(handle) || handle == FDate || handle == FTime;
}

void TUXDatetimeEditor::DoEnter() {
    // The generic enter only: the masked edit's own selection handling would
    // act on the hidden text.
    if (OnEnter) OnEnter(this);
}

// The edit's hidden text mirrors the pickers: "DD.MM.YYYY HH:MM:SS".
void TUXDatetimeEditor::DateTimeChange() {
    if (FUpdating || !FDate || !FTime) return;
    showExistingTime();
    int y, mo, d, h, mi, s, ms;
    DecodeDate(FDate->Date(), y, mo, d);
    DecodeTime(FTime->Time(), h, mi, s, ms);
    FUpdating = true;
    SetText(fmt("%02d.%02d.%04d %02d:%02d:%02d", d, mo, y, h, mi, s));
    FUpdating = false;
}

void TUXDatetimeEditor::Change() {
    TCompoundEdit::Change();
    if (FUpdating || !FDate || !FTime) return;
    String t = Trim(GetText());
    size_t blank = t.find(' ');
    if (blank == String::npos) return;
    String datePart = Trim(t.substr(0, blank)), timePart = Trim(t.substr(blank + 1));
    if (datePart.empty() || timePart.empty()) return;
    int d, mo, y, h = 0, mi = 0, s = 0;
    FUpdating = true;
    try {
        if (std::sscanf(datePart.c_str(), "%d.%d.%d", &d, &mo, &y) == 3) FDate->SetDate(EncodeDate(y, mo, d));
        if (std::sscanf(timePart.c_str(), "%d:%d:%d", &h, &mi, &s) >= 2) FTime->SetTime(EncodeTime(h, mi, s, 0));
    } catch (const EConvertError&) {}
    FUpdating = false;
}
