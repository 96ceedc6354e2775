#pragma once
// The "HTML Format" clipboard representation of a selection: the source
// up to the selection's end, cleaned for pasting elsewhere, with the
// fragment markers, the viewer's default font as a style, and the header
// whose byte offsets locate the document and the fragment.
#include <cstdint>
#include <string>
#include <string_view>

struct ThtHtmlFormat {
    std::string Html;   // the fragment document (UTF-8), as text/html carries it
    std::string Block;  // the header followed by Html: the "HTML Format" bytes
};

// Start is the one-based index in Source of the first selected character,
// End the one-based index of the character after the selection (Source's
// length + 1 when the selection runs to its end). CurrentFile gives the
// source URL ("unsaved:///THtmlViewer.htm" when empty).
ThtHtmlFormat BuildHtmlFormat(std::u16string_view Source, int32_t Start, int32_t End, std::u16string_view CurrentFile,
                              int FontSize, std::u16string_view FontName);
