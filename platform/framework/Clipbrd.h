// The clipboard: plain text, HTML, and formats registered by name, such as
// "HTML Format" (the block with its offsets header that HTML is exchanged
// in), each under a MIME type of its own.
#pragma once

#include <string>

#include "platform/framework/Classes.h"

constexpr unsigned CF_TEXT = 1, CF_UNICODETEXT = 13;
// The id of the "HTML Format" clipboard format.
unsigned CF_HTML();
// The id of a format by name (names compare without regard to case; the
// same name gives the same id, from 0xC000 up); 0 for an empty name.
unsigned RegisterClipboardFormat(const String& name);
// The MIME type a registered format travels under:
// application/x-qt-windows-mime;value="<name>" (empty for an unknown id).
String ClipboardFormatMimeType(unsigned format);

class TClipboard : public TPersistent {
    DECLARE_CLASS(TClipboard)
    // Between Open and the matching Close everything put on the clipboard
    // (text, HTML, buffers) makes one entry, set on the last Close; without
    // Open each call replaces the clipboard's content.
    void Open();
    void Close();
    String AsText() const;
    void SetAsText(const String& text);
    // HTML with its plain-text form, as one clipboard entry.
    void SetAsHtml(const String& html, const String& plainText);
    String AsHtml() const;
    // HTML alone (text/html), beside what else the entry holds when open.
    void SetHtml(const String& html);
    // The bytes of a registered format (CF_HTML() and others), as given.
    void SetBuffer(unsigned format, const void* data, size_t size);
    std::string GetBuffer(unsigned format) const;
    // CF_HTML() answers for HTML in either form (text/html or the block).
    bool HasFormat(unsigned format) const;
    void Clear();

private:
    class QMimeData* pending();
    void publish(class QMimeData* data);
    int FOpen = 0;
    class QMimeData* FPending = nullptr;
};

TClipboard* Clipboard();
