#include "components/CNumberEdit.h"

#include <cctype>
#include <charconv>

#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/Translation.h"

namespace {

String upperAscii(String s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool isTabSheet(const TControl* c) {
    for (const TClassInfo* ci = &c->ClassType(); ci; ci = ci->ClassParent())
        if (String(ci->ClassName()) == "TTabSheet") return true;
    return false;
}
}  // namespace

IMPLEMENT_CLASS(TCNumberEdit, TCompoundEdit) {
    r.Boolean("AllowConversion", &TCNumberEdit::GetAllowConversion, &TCNumberEdit::SetAllowConversion);
    r.Boolean("AllowHex", &TCNumberEdit::AllowHex, &TCNumberEdit::SetAllowHex);
    r.Int64("Default", &TCNumberEdit::Default, &TCNumberEdit::SetDefault);
    r.Boolean("IsUnsigned", &TCNumberEdit::IsUnsigned, &TCNumberEdit::SetIsUnsigned);
    r.Int64("MaxValue", &TCNumberEdit::GetMaxValue, &TCNumberEdit::SetMaxValue);
    r.Int64("MinValue", &TCNumberEdit::GetMinValue, &TCNumberEdit::SetMinValue);
    r.Boolean("SetDefaultValue", &TCNumberEdit::SetDefaultValue, &TCNumberEdit::SetSDefaultValue);
    r.Boolean("UseBounds", &TCNumberEdit::GetUseBounds, &TCNumberEdit::SetUseBounds);
    r.Int64("Value", &TCNumberEdit::Value, &TCNumberEdit::SetValue);
}

TCNumberEdit::TCNumberEdit(TComponent* AOwner) : TCompoundEdit(AOwner) { writeText(FValue = FDefault); }

String TCNumberEdit::Val2Text(uint64_t v) const {
    char buf[32];
    std::to_chars_result r;
    if (FAllowHex) r = std::to_chars(buf, buf + sizeof buf, v, 16);
    else if (FIsUnsigned) r = std::to_chars(buf, buf + sizeof buf, v);
    else r = std::to_chars(buf, buf + sizeof buf, static_cast<int64_t>(v));
    return upperAscii(String(buf, r.ptr));
}

bool TCNumberEdit::parseText(const String& text, uint64_t& v) const {
    String t = upperAscii(Trim(text));
    if (t.size() > 63) t.resize(63);
    if (t.empty()) return false;
    const char* b = t.data();
    const char* e = b + t.size();
    std::from_chars_result r;
    uint64_t u = 0;
    if (FAllowHex) {
        r = std::from_chars(b, e, u, 16);
    } else if (FIsUnsigned) {
        r = std::from_chars(b, e, u);
    } else {
        int64_t s = 0;
        r = std::from_chars(b, e, s);
        u = static_cast<uint64_t>(s);
    }
    // Only the canonical form reads: what prints back identically.
    if (r.ec != std::errc() || r.ptr != e || Val2Text(u) != t) return false;
    v = u;
    return true;
}

uint64_t TCNumberEdit::readValue() {
    String t = GetText();
    String trimmed = Trim(t);
    if (trimmed.empty() || trimmed == "-" || trimmed == "+") return FDefault;
    uint64_t v;
    FValue = parseText(t, v) ? v : FDefault;
    return FValue;
}

bool TCNumberEdit::inBounds(uint64_t v) const {
    if (!GetUseBounds()) return true;
    if (FIsUnsigned) return v >= FMinValue && v <= FMaxValue;
    return int64_t(v) >= int64_t(FMinValue) && int64_t(v) <= int64_t(FMaxValue);
}

uint64_t TCNumberEdit::CheckBounds(uint64_t v) const {
    if (!GetUseBounds()) return v;
    if (FIsUnsigned) return v < FMinValue ? FMinValue : v > FMaxValue ? FMaxValue : v;
    int64_t s = int64_t(v);
    return s < int64_t(FMinValue) ? FMinValue : s > int64_t(FMaxValue) ? FMaxValue : v;
}

uint64_t TCNumberEdit::GetValue() {
    uint64_t v = readValue();
    uint64_t b = CheckBounds(v);
    if (b != v && FSetDefaultValue) b = CheckBounds(FDefault);
    return b;
}

void TCNumberEdit::writeText(uint64_t v) {
    String t = Val2Text(v);
    if (GetText() != t) SetText(t);
}

void TCNumberEdit::SetValue(uint64_t v) {
    uint64_t b = CheckBounds(v);
    if (b != v && FSetDefaultValue) b = CheckBounds(FDefault);
    FValue = b;
    writeText(b);
}

void TCNumberEdit::SetDefault(uint64_t v) {
    if (v == FDefault) return;
    FDefault = CheckBounds(v);
    writeText(FDefault);
    FValue = FDefault;
}

void TCNumberEdit::ChekValue() {
    String t = Trim(GetText());
    if (t.empty() || t == "-" || t == "+") return;
    uint64_t v = readValue();
    writeText(v);
}

bool TCNumberEdit::validate(bool showMessage) {
    ChekValue();
    if (!GetUseBounds()) return true;
    String t = Trim(GetText());
    uint64_t v = t.empty() || t == "-" || t == "+" ? FDefault : readValue();
    if (inBounds(v)) return true;
    TCustomForm* form = ParentForm();
    if (showMessage && form && static_cast<TControl*>(form) != this) {
        for (TWinControl* sheet = GetParentTabSheet(this); sheet; sheet = GetParentTabSheet(sheet)) {
            TWinControl* pages = sheet->Parent();
            if (pages && isTabSheet(sheet) && GetPropInfo(pages, "ActivePage")) {
                try {
                    SetObjectProp(pages, "ActivePage", sheet);
                } catch (const std::exception&) {}
            }
        }
        // The bounds are shown as the edit shows values.
        String msg = tr("Значение поля должно лежать между %Ld и %Ld!").str();
        String bounds[] = {Val2Text(FMinValue), Val2Text(FMaxValue)};
        size_t pos = 0;
        for (const String& b : bounds) {
            pos = msg.find("%Ld", pos);
            if (pos == String::npos) break;
            msg.replace(pos, 3, b);
            pos += b.size();
        }
        MessageDlg(msg, mtError, mbSet(mbOK));
        try {
            form->SetActiveControl(this);
            if (CanFocus()) SetFocus();
        } catch (const std::exception&) {}
    }
    return false;
}

bool TCNumberEdit::setTextValue(const String& text) {
    SetText(text);
    ChekValue();
    return true;
}

void TCNumberEdit::KeyPress(char32_t& Key) {
    TCompoundEdit::KeyPress(Key);
    if (Key == 0) return;
    // Control characters (copy, paste, cut, undo, select all, backspace) pass.
    if (Key < 32 || Key == 127) return;
    if (FAllowHex && ((Key >= 'A' && Key <= 'F') || (Key >= 'a' && Key <= 'f'))) return;
    if (Key >= '0' && Key <= '9') return;
    if ((Key == '-' || Key == '+') && !FIsUnsigned) return;
    Key = 0;
}

void TCNumberEdit::DoExit() {
    ChekValue();
    TCompoundEdit::DoExit();
}

void TCNumberEdit::SetAllowHex(bool b) {
    if (b == FAllowHex) return;
    uint64_t v = readValue();
    String t = Trim(GetText());
    bool keepText = t.empty() || t == "-" || t == "+";
    FAllowHex = b;
    if (FButton || !b) UpdateButton();
    if (b && !FButton) SetAllowConversion(true);
    if (!keepText) writeText(v);
}

void TCNumberEdit::SetAllowConversion(bool v) {
    if (v && !FButton) {
        FButton = new TButton(this);
        FButton->SetParent(this);
        FButton->SetParentShowHint(false);
        FButton->SetShowHint(true);
        FButton->SetTabStop(false);
        FButton->SetDefault(false);
        FButton->SetWidth(0);
        FButton->OnClick = [this](TObject*) { BtnClick(); };
        UpdateButton();
        FButton->BringToFront();
    } else if (!v && FButton) {
        TButton* b = FButton;
        FButton = nullptr;
        b->Free();
        SetTextMargins(0, 0, 0, 0);
    }
    SetupButtonWidth();
}

void TCNumberEdit::UpdateButton() {
    if (!FButton) return;
    FButton->SetCaption(FAllowHex ? "&h" : "&d");
    FButton->SetHint(tr(FAllowHex ? "Шестнадцатиричный" : "Десятичный").str());
}

void TCNumberEdit::SetupButtonWidth() {
    if (!FButton || FButton->Width() != 0) return;
    FButton->SetWidth(GetFCanvas()->TextWidth("H") + 8);
    SetBtnBounds();
}

void TCNumberEdit::SetBtnBounds() {
    if (!FButton) return;
    int w = FButton->Width();
    FButton->SetBounds(Width() - w - 3, 0, w, std::max(0, Height() - 3));
    SetEditRect();
}

bool TCNumberEdit::UpdateEditRect(TRect& rect) {
    if (!FButton) return false;
    rect.Right = ClientWidth() - FButton->Width() - 1;
    return true;
}

void TCNumberEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TCompoundEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
    SetBtnBounds();
}

void TCNumberEdit::BtnClick() {
    SetAllowHex(!FAllowHex);
    if (CanFocus()) SetFocus();
}
