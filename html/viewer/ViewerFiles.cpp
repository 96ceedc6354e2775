#include "html/viewer/ViewerFiles.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "html/text/HtmlStrings.h"
#include "html/text/UrlUtils.h"
#include "html/viewer/HtmlViewer.h"
#include "platform/runtime/TCString.h"
#include "platform/runtime/Utf16.h"

namespace {

struct FileTypeRow {
    std::u16string_view Extension;
    THtmlFileType Type;
};

// Sorted by extension, for a binary search.
constexpr std::array<FileTypeRow, 23> FileTypes = {{
    {u".asp", HTMLType}, {u".bmp", ImgType},    {u".css", HTMLType},    {u".dib", ImgType},  {u".emf", ImgType},
    {u".gif", ImgType},  {u".htm", HTMLType},   {u".html", HTMLType},   {u".ico", ImgType},  {u".jfif", ImgType},
    {u".jpe", ImgType},  {u".jpeg", ImgType},   {u".jpg", ImgType},     {u".php", HTMLType}, {u".png", ImgType},
    {u".rle", ImgType},  {u".shtml", HTMLType}, {u".tif", ImgType},     {u".tiff", ImgType}, {u".txt", TextType},
    {u".wmf", ImgType},  {u".xht", XHtmlType},  {u".xhtml", XHtmlType},
}};
static_assert(std::is_sorted(FileTypes.begin(), FileTypes.end(),
                             [](const FileTypeRow& a, const FileTypeRow& b) { return a.Extension < b.Extension; }));

// The extension with its dot, lower-cased; empty when the last name has none.
std::u16string ExtensionOf(std::u16string_view FileName) {
    const std::u16string path = DocumentPathText(FileName);
    const size_t slash = path.rfind(u'/');
    const size_t dot = path.rfind(u'.');
    if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash)) return {};
    return LowerCaseString(std::u16string_view(path).substr(dot));
}

// "://" after the first character, and not a file URL.
bool IsOtherSchemeAddress(std::u16string_view Name) {
    const size_t sep = Name.find(u"://");
    return sep != std::u16string_view::npos && sep > 0 &&
           LowerCaseString(Name).find(u"file://") == std::u16string::npos;
}

// The folder part of a local name, with its closing '/' (empty when none).
std::u16string FolderOf(std::u16string_view Name) {
    const size_t slash = Name.rfind(u'/');
    return slash == std::u16string_view::npos ? std::u16string() : std::u16string(Name.substr(0, slash + 1));
}

}  // namespace

THtmlFileType HtmlFileTypeOf(std::u16string_view FileName) {
    const std::u16string ext = ExtensionOf(FileName);
    const auto end = FileTypes.end();
    const auto it = std::lower_bound(FileTypes.begin(), end, ext,
                                     [](const FileTypeRow& row, const std::u16string& e) { return row.Extension < e; });
    return it != end && it->Extension == ext ? it->Type : OtherType;
}

THtmlFileType LinkFileTypeOf(std::u16string_view ExpandedName) {
    // On this platform a local path never starts with a scheme: "http:",
    // "mailto:" and the like are addresses for the application.
    if (IsUrlWithScheme(ExpandedName)) return OtherType;
    return HtmlFileTypeOf(ExpandedName);
}

std::u16string ExpandLocalFileName(std::u16string_view Name) {
    const std::string utf8 = wc2ch(Name.data(), int(Name.size())).str();
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::absolute(std::filesystem::path(utf8), ec);
    if (ec) return std::u16string(Name);
    return zrx_utf8::toUtf16(p.lexically_normal().string());
}

std::u16string ExpandDocumentFileName(std::u16string_view Filename, const ThvNameContext& Context) {
    if (IsOtherSchemeAddress(Filename)) return std::u16string(Filename);
    // A file URL names its path from the root already: no server root before it.
    const bool fromFileUrl = LowerCaseString(Filename).find(u"file:") != std::u16string::npos;
    std::u16string R = TrimString(UrlToDosPath(Filename));
    const bool rootRelative = !R.empty() && R[0] == u'/' && (R.size() < 2 || R[1] != u'/');
    if (rootRelative && !fromFileUrl && !Context.ServerRoot.empty()) R = DocumentPathText(Context.ServerRoot) + R;

    if (!R.empty() && R[0] == u'/') {
        // "//host/share" names a network share, as written.
        if (R.size() > 1 && R[1] == u'/') return R;
        return ExpandLocalFileName(R);
    }
    if (LowerCaseString(Context.Base) == u"dospath") return R;
    if (!Context.Base.empty()) return CombineDosPaths(UrlToDosPath(Context.Base), R);
    return ExpandLocalFileName(FolderOf(UrlToDosPath(Context.CurrentFile)) + R);
}

std::u16string THtmlViewer::HtmlExpandFilename(std::u16string_view Filename) {
    std::u16string R = ExpandDocumentFileName(Filename, {ServerRoot(), FBase, FCurrentFile});
    if (OnFilenameExpanded) OnFilenameExpanded(this, R);
    return R;
}
