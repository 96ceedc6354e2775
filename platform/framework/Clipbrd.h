// The clipboard: plain text and HTML ("HTML Format").
#pragma once

#include "platform/framework/Classes.h"

constexpr unsigned CF_TEXT = 1, CF_UNICODETEXT = 13;
// The id of the "HTML Format" clipboard format.
unsigned CF_HTML();

class TClipboard : public TPersistent {
    DECLARE_CLASS(TClipboard)
    String AsText() const;
    void SetAsText(const String& text);
    // HTML with its plain-text form, as one clipboard entry.
    void SetAsHtml(const String& html, const String& plainText);
    String AsHtml() const;
    bool HasFormat(unsigned format) const;
    void Clear();
};

TClipboard* Clipboard();
