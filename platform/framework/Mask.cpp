#include "platform/framework/Mask.h"

#include <QChar>
#include <QLineEdit>
#include <QString>

#include "platform/framework/QtBridge.h"
#include "platform/framework/QtInternals.h"

namespace {
std::u32string toU32(const String& s) {
    QList<uint> u = toQ(s).toUcs4();
    return std::u32string(u.begin(), u.end());
}
String fromU32(const std::u32string& s) { return fromQ(QString::fromUcs4(s.data(), qsizetype(s.size()))); }

// Splits at the unescaped ';' separators.
std::vector<std::u32string> maskFields(const std::u32string& m) {
    std::vector<std::u32string> out(1);
    for (size_t i = 0; i < m.size(); ++i) {
        if (m[i] == U'\\' && i + 1 < m.size()) {
            out.back() += m[i];
            out.back() += m[++i];
        } else if (m[i] == U';' && out.size() < 3) {
            out.emplace_back();
        } else {
            out.back() += m[i];
        }
    }
    return out;
}

char32_t applyCase(char32_t c, TEditMaskInfo::Case k) {
    if (k == TEditMaskInfo::Upper) return QChar::toUpper(c);
    if (k == TEditMaskInfo::Lower) return QChar::toLower(c);
    return c;
}
}  // namespace

TEditMaskInfo TEditMaskInfo::Parse(const String& EditMask) {
    TEditMaskInfo info;
    std::vector<std::u32string> f = maskFields(toU32(EditMask));
    if (f.size() > 1 && !f[1].empty() && f[1][0] == U'0') info.saveLiterals = false;
    if (f.size() > 2 && !f[2].empty()) info.blank = f[2][0];
    const std::u32string& m = f[0];
    Case cs = NoCase;
    for (size_t i = 0; i < m.size(); ++i) {
        char32_t c = m[i];
        Kind k = Literal;
        switch (c) {
        case U'\\':
            if (i + 1 < m.size()) info.positions.push_back({Literal, m[++i], cs});
            continue;
        case U'>': cs = Upper; continue;
        case U'<':
            if (i + 1 < m.size() && m[i + 1] == U'>') {
                cs = NoCase;
                ++i;
            } else {
                cs = Lower;
            }
            continue;
        case U'!': continue;
        case U'0': k = Digit; break;
        case U'9': k = DigitOpt; break;
        case U'#': k = DigitSignOpt; break;
        case U'L': k = Letter; break;
        case U'l': k = LetterOpt; break;
        case U'A': k = AlphaNum; break;
        case U'a': k = AlphaNumOpt; break;
        case U'C': k = Any; break;
        case U'c': k = AnyOpt; break;
        default: break;
        }
        info.positions.push_back({k, k == Literal ? c : 0, cs});
    }
    return info;
}

bool TEditMaskInfo::Fits(size_t i, char32_t c) const {
    if (i >= positions.size()) return false;
    const Pos& p = positions[i];
    bool digit = c >= U'0' && c <= U'9';
    switch (p.kind) {
    case Literal: return c == p.literal;
    case Digit:
    case DigitOpt: return digit;
    case DigitSignOpt: return digit || c == U'+' || c == U'-';
    case Letter:
    case LetterOpt: return QChar::isLetter(c);
    case AlphaNum:
    case AlphaNumOpt: return digit || QChar::isLetter(c);
    case Any:
    case AnyOpt: return c >= 32;
    }
    return false;
}

String MaskToQtInputMask(const String& EditMask) {
    std::vector<std::u32string> f = maskFields(toU32(EditMask));
    if (f[0].empty()) return String();
    TEditMaskInfo info = TEditMaskInfo::Parse(EditMask);
    static const std::u32string qtSpecial = U"AaNnXx90Dd#HhBb><!\\[]{};";
    std::u32string out;
    const std::u32string& m = f[0];
    for (size_t i = 0; i < m.size(); ++i) {
        char32_t c = m[i];
        switch (c) {
        case U'\\':
            if (i + 1 < m.size()) {
                char32_t l = m[++i];
                if (qtSpecial.find(l) != std::u32string::npos) out += U'\\';
                out += l;
            }
            break;
        case U'<':
            if (i + 1 < m.size() && m[i + 1] == U'>') {
                out += U'!';
                ++i;
            } else {
                out += U'<';
            }
            break;
        case U'>': out += U'>'; break;
        case U'!': break;
        case U'0': out += U'9'; break;
        case U'9': out += U'0'; break;
        case U'#': out += U'#'; break;
        // Qt's letter classes are ASCII only; letters are checked as they are typed.
        case U'L':
        case U'A':
        case U'C': out += U'X'; break;
        case U'l':
        case U'a':
        case U'c': out += U'x'; break;
        default:
            if (qtSpecial.find(c) != std::u32string::npos) out += U'\\';
            out += c;
        }
    }
    out += U';';
    out += info.blank;
    return fromU32(out);
}

String MaskEditText(const String& EditMask, const String& Value) {
    TEditMaskInfo info = TEditMaskInfo::Parse(EditMask);
    if (info.empty()) return Value;
    std::u32string v = toU32(Value), out;
    size_t vi = 0;
    for (size_t i = 0; i < info.positions.size(); ++i) {
        const TEditMaskInfo::Pos& p = info.positions[i];
        if (p.kind == TEditMaskInfo::Literal) {
            if (vi < v.size() && v[vi] == p.literal) ++vi;
            out += p.literal;
            continue;
        }
        char32_t put = info.blank;
        // Characters that fit nowhere here (stray literals) are passed over.
        // The blank is taken as it stands, before any case change, so that a
        // formatted text formats to itself.
        while (vi < v.size()) {
            const char32_t raw = v[vi++];
            if (raw == info.blank || raw == U' ') break;
            const char32_t c = applyCase(raw, p.charCase);
            if (info.Fits(i, c)) {
                put = c;
                break;
            }
        }
        out += put;
    }
    return fromU32(out);
}

String MaskTextOf(const String& EditMask, const String& EditText) {
    TEditMaskInfo info = TEditMaskInfo::Parse(EditMask);
    if (info.empty()) return EditText;
    std::u32string e = toU32(EditText), out;
    for (size_t i = 0; i < e.size(); ++i) {
        bool literal = i < info.positions.size() && info.positions[i].kind == TEditMaskInfo::Literal;
        if (literal && !info.saveLiterals) continue;
        out += (!literal && e[i] == info.blank) ? U' ' : e[i];
    }
    return fromU32(out);
}

String FormatMaskText(const String& EditMask, const String& Value) {
    return MaskTextOf(EditMask, MaskEditText(EditMask, Value));
}

bool MaskValidate(const String& EditMask, const String& EditText, int& Pos) {
    TEditMaskInfo info = TEditMaskInfo::Parse(EditMask);
    std::u32string e = toU32(EditText);
    for (size_t i = 0; i < info.positions.size(); ++i) {
        const TEditMaskInfo::Pos& p = info.positions[i];
        char32_t c = i < e.size() ? e[i] : info.blank;
        bool blank = c == info.blank || c == U' ';
        if (p.kind == TEditMaskInfo::Literal) {
            if (c == p.literal) continue;
        } else if (blank ? TEditMaskInfo::Optional(p.kind) : info.Fits(i, c)) {
            continue;
        }
        Pos = int(i);
        return false;
    }
    if (e.size() > info.positions.size()) {
        Pos = int(info.positions.size());
        return false;
    }
    return true;
}

bool MaskIsBlank(const String& EditMask, const String& EditText) {
    TEditMaskInfo info = TEditMaskInfo::Parse(EditMask);
    std::u32string e = toU32(EditText);
    for (size_t i = 0; i < e.size(); ++i) {
        bool literal = i < info.positions.size() && info.positions[i].kind == TEditMaskInfo::Literal;
        if (!literal && e[i] != info.blank && e[i] != U' ') return false;
    }
    return true;
}

// ---- TMaskEdit

IMPLEMENT_CLASS(TMaskEdit, TEdit) { r.Str("EditMask", &TMaskEdit::EditMask, &TMaskEdit::SetEditMask); }

TMaskEdit::TMaskEdit(TComponent* AOwner) : TEdit(AOwner) {}

void TMaskEdit::SetEditMask(const String& v) {
    if (v == FEditMask) return;
    String value = GetText();
    FEditMask = v;
    FInfo = TEditMaskInfo::Parse(v);
    if (auto* e = static_cast<QLineEdit*>(Handle())) e->setInputMask(toQ(MaskToQtInputMask(v)));
    if (!value.empty()) SetText(value);
}

String TMaskEdit::EditText() const {
    auto* e = static_cast<QLineEdit*>(Handle());
    if (!e) return FText;
    return IsMasked() ? fromQ(e->displayText()) : fromQ(e->text());
}

void TMaskEdit::SetEditText(const String& v) { SetText(v); }

String TMaskEdit::GetText() const {
    if (!IsMasked()) return TEdit::GetText();
    return MaskTextOf(FEditMask, EditText());
}

void TMaskEdit::ApplyText() {
    if (IsMasked()) FText = MaskEditText(FEditMask, FText);
    TEdit::ApplyText();
}

void TMaskEdit::KeyPress(char32_t& Key) {
    TEdit::KeyPress(Key);
    if (!IsMasked() || Key < 32 || ReadOnly()) return;
    // Qt checks only ASCII letters; the position's class is checked here.
    size_t i = size_t(SelStart());
    while (i < FInfo.positions.size() && FInfo.positions[i].kind == TEditMaskInfo::Literal) {
        if (FInfo.positions[i].literal == Key) return;
        ++i;
    }
    if (i >= FInfo.positions.size()) return;
    if (!FInfo.Fits(i, applyCase(Key, FInfo.positions[i].charCase))) Key = 0;
}

void TMaskEdit::ValidateEdit() {
    if (!IsMasked() || !Modified()) return;
    String et = EditText();
    if (MaskIsBlank(FEditMask, et)) return;
    int pos = 0;
    if (!MaskValidate(FEditMask, et, pos)) ValidateError(pos);
}

void TMaskEdit::ValidateError(int Pos) {
    SetFocus();
    SetSelStart(Pos);
    SetSelLength(1);
    throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
}

void TMaskEdit::DoExit() {
    ValidateEdit();
    TEdit::DoExit();
}

void TMaskEdit::SetTextMargins(int Left, int Top, int Right, int Bottom) {
    if (auto* e = static_cast<QLineEdit*>(Handle())) e->setTextMargins(Left, Top, Right, Bottom);
}
