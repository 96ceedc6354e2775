#pragma once
// HTML building blocks of the object renderings (screen mode 0, print mode 1).
#include <openssl/x509.h>

#include <string_view>

#include "platform/runtime/TCString.h"

class TZrX509Name;
class TX509v3ExtList;

// Escapes &, <, >, " and ' for HTML text and attribute values; the whole
// text, a NUL in it shown as "\00" (zrxVisibleText).
TCString zrxHtmlEscape(std::string_view text);
inline TCString zrxHtmlEscape(const char* text) { return zrxHtmlEscape(std::string_view(text ? text : "")); }

// The longest run of characters without a break opportunity in a view: a
// longer run (a fingerprint, a key identifier, a dump) would push the table
// past the window.
inline constexpr size_t kZrxHtmlMaxRun = 48;
// The text escaped as zrxHtmlEscape does, with break opportunities (<wbr>,
// which adds no character to the value) where runs longer than
// kZrxHtmlMaxRun may break: after every 8th ':' (colon-separated hex goes in
// groups of 8 pairs), and pieces still too long every 32 characters.
TCString zrxHtmlBreakable(const TCString& text);

class TZrXHtmlPage {
public:
    // Appends to out; full pages start with the encoding declaration.
    TZrXHtmlPage(TCString& out, int mode, bool fragment = false);
    void title(const TCString& text, const TCString& sub = TCString());
    // A status line in a colour of the screen form.
    void status(const TCString& text, bool good);
    void section(const char* caption);                           // caption is translated
    void row(const char* label, const TCString& value);          // label translated, value escaped
    void rowText(const TCString& label, const TCString& value);  // both escaped as given
    void rowHtml(const TCString& labelHtml, const TCString& html);
    void nameRows(const TZrX509Name& name);
    void extensionRows(const TX509v3ExtList& exts);
    void note(const TCString& text);
    void rawHtml(const char* html);
    void finish();
    bool print() const { return mode_ == 1; }

private:
    void closeTable();
    TCString& out_;
    int mode_;
    bool tableOpen_ = false;
    bool finished_ = false;
};

// Decoded text of one extension's value (multi-line text, not escaped).
TCString zrxExtensionValueText(const X509_EXTENSION* ext);
