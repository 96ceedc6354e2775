// Copying the selection: its text, and the part of the source it was laid
// out from as "HTML Format" (and as text/html).
#include <string>

#include "html/text/Buffer.h"
#include "html/viewer/HtmlFormat.h"
#include "html/viewer/HtmlViewer.h"
#include "platform/framework/Clipbrd.h"
#include "platform/runtime/Utf16.h"

namespace {
// The characters decoded from the start of the content up to byte position
// Pos of the buffer: the index in the source text of the character there.
int32_t SourceIndexOfPosition(TBuffer& Buffer, int32_t Pos) {
    const int first = int(Buffer.BomLength());
    if (Pos <= first) return 0;
    return int32_t(Buffer.GetString(first, Pos).size());
}
}  // namespace

void THtmlViewer::CopyToClipboard() {
    const int32_t len = FSectionList->GetSelLength();
    if (len <= 0) return;
    TClipboard* clipboard = Clipboard();
    clipboard->Open();
    try {
        clipboard->Clear();
        FSectionList->CopyToClipboardA(len + 1);

        const std::u16string source = DocumentSource();
        int32_t start = FindSourcePos(FSectionList->SelB);
        int32_t end = FindSourcePos(FSectionList->SelE);
        // Source positions count bytes of the buffer; the fragment is cut in characters.
        if (FDocument) {
            start = start < 0 ? 0 : SourceIndexOfPosition(*FDocument, start);
            if (end >= 0) end = SourceIndexOfPosition(*FDocument, end);
        }
        // A selection past the last mapped character takes the source to its
        // end, its last character included.
        const int32_t after = end < 0 ? int32_t(source.size()) + 1 : end + 1;
        const ThtHtmlFormat html =
            BuildHtmlFormat(source, start + 1, after, FCurrentFile, DefFontSize(), zrx_utf8::toUtf16(DefFontName()));
        clipboard->SetHtml(html.Html);
        // The block as the format defines it, with its terminating zero.
        clipboard->SetBuffer(CF_HTML(), html.Block.c_str(), html.Block.size() + 1);
    } catch (...) {
        clipboard->Close();
        throw;
    }
    clipboard->Close();
}
