// The masked edit. An edit mask has up to three fields separated by ';':
// the mask proper, '0' when the literals are not part of Text, and the blank
// character (default '_'). Mask characters: 0 digit, 9 optional digit,
// # optional digit or sign, L letter, l optional letter, A letter or digit,
// a optional letter or digit, C any character, c optional any character,
// > upper case, < lower case, <> no case change, ! (kept for compatibility),
// \ the next character is a literal; everything else is a literal.
// Letters are any Unicode letters (Cyrillic included).
#pragma once

#include <vector>

#include "platform/framework/StdCtrls.h"

class EDBEditError : public Exception {
    using Exception::Exception;
};

struct TEditMaskInfo {
    enum Kind { Literal, Digit, DigitOpt, DigitSignOpt, Letter, LetterOpt, AlphaNum, AlphaNumOpt, Any, AnyOpt };
    enum Case { NoCase, Upper, Lower };
    struct Pos {
        Kind kind;
        char32_t literal;
        Case charCase;
    };
    std::vector<Pos> positions;  // one per character of the edit text
    bool saveLiterals = true;
    char32_t blank = U'_';
    bool empty() const { return positions.empty(); }
    static TEditMaskInfo Parse(const String& EditMask);
    static bool Optional(Kind k) {
        return k == DigitOpt || k == DigitSignOpt || k == LetterOpt || k == AlphaNumOpt || k == AnyOpt;
    }
    // Whether `c` may stand at position `i` (after case conversion).
    bool Fits(size_t i, char32_t c) const;
};

// Qt's input-mask form of an edit mask (empty for no mask).
String MaskToQtInputMask(const String& EditMask);
// The edit text of `Value` under the mask: literals in place, characters
// that fit taken in order (literals in Value are skipped where they match),
// unfilled positions as the blank character.
String MaskEditText(const String& EditMask, const String& Value);
// Text from an edit text: blanks become spaces; without saved literals only
// the characters of the editable positions remain.
String MaskTextOf(const String& EditMask, const String& EditText);
// The value of `Value` formatted by the mask, as Text would give it.
String FormatMaskText(const String& EditMask, const String& Value);
// True when every required position holds a fitting character; otherwise
// false with `Pos` the first position that does not.
bool MaskValidate(const String& EditMask, const String& EditText, int& Pos);
// True when no position of the edit text has been filled.
bool MaskIsBlank(const String& EditMask, const String& EditText);

class TMaskEdit : public TEdit {
    DECLARE_CLASS(TMaskEdit)
    explicit TMaskEdit(TComponent* AOwner);
    const String& EditMask() const { return FEditMask; }
    void SetEditMask(const String& v);
    bool IsMasked() const { return !FEditMask.empty(); }
    // The text with literals and blank characters, as shown.
    String EditText() const;
    void SetEditText(const String& v);
    String GetText() const override;
    // Checks the text against the mask when it was changed; a mismatch goes
    // to ValidateError. A text with nothing filled in is not checked.
    void ValidateEdit();
    void KeyPress(char32_t& Key) override;
    void DoExit() override;
    // Room kept free inside the edit (for embedded buttons), in pixels.
    void SetTextMargins(int Left, int Top, int Right, int Bottom);

protected:
    // The framework raises EDBEditError with the position selected.
    virtual void ValidateError(int Pos);
    void ApplyText() override;

private:
    String FEditMask;
    TEditMaskInfo FInfo;
};
