// Every way of loading a document into the viewer, the load sequence they
// all end in, and what a load keeps: history, visited links, the refresh
// request of the page.
#include <algorithm>
#include <exception>
#include <filesystem>
#include <streambuf>
#include <istream>

#include "html/layout/Images.h"
#include "html/parser/HtmlParser.h"
#include "html/text/Buffer.h"
#include "html/text/HtmlStrings.h"
#include "html/text/UrlUtils.h"
#include "html/viewer/HtmlViewer.h"
#include "html/viewer/PaintPanel.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Streams.h"
#include "platform/runtime/TCString.h"
#include "platform/runtime/Translation.h"
#include "platform/runtime/Utf16.h"

namespace {

String utf8(std::u16string_view s) { return wc2ch(s.data(), int(s.size())).str(); }

// A translated message with one "%s" filled in.
String message(const char* source, std::u16string_view arg = {}) {
    String text = zrnTranslateString(source).str();
    if (const size_t at = text.find("%s"); at != String::npos) text.replace(at, 2, utf8(arg));
    return text;
}

// Reads the bytes of a stream already in memory, without copying them.
class ByteStreamBuf : public std::streambuf {
public:
    explicit ByteStreamBuf(std::vector<uint8_t>& bytes) {
        char* begin = reinterpret_cast<char*>(bytes.data());
        setg(begin, begin, begin + bytes.size());
    }
};

// Text put into an attribute value in double quotes.
std::u16string AttributeText(std::u16string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (char16_t c : s) {
        switch (c) {
        case u'&': out += u"&amp;"; break;
        case u'"': out += u"&quot;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

// Where "url=" starts in S, in any letter case.
size_t FindUrlAssignment(std::u16string_view S) {
    static constexpr std::u16string_view key = u"url=";
    for (size_t i = 0; i + key.size() <= S.size(); ++i) {
        size_t k = 0;
        while (k < key.size()) {
            char16_t c = S[i + k];
            if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
            if (c != key[k]) break;
            ++k;
        }
        if (k == key.size()) return i;
    }
    return std::u16string_view::npos;
}

std::u16string ExpandFileName(const std::u16string& name) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(std::filesystem::path(utf8(name)), ec);
    if (ec) return name;
    return zrx_utf8::toUtf16(p.lexically_normal().string());
}

}  // namespace

// ---- the entry points

void THtmlViewer::LoadFromString(const std::u16string& S, const std::u16string& Reference, THtmlFileType DocType) {
    if (IsProcessing()) return;
    LoadDocument(std::make_unique<TBuffer>(S, Reference, 1200), Reference, DocType);
}

void THtmlViewer::LoadFromBuffer(const char16_t* Buffer, int32_t BufLenTChars, const std::u16string& Reference) {
    const std::u16string text = Buffer && BufLenTChars > 0 ? std::u16string(Buffer, size_t(BufLenTChars)) : u"";
    LoadFromString(text, Reference, HTMLType);
}

void THtmlViewer::LoadTextFromString(const std::u16string& S) { LoadFromString(S, u"", TextType); }

void THtmlViewer::LoadStrings(const TStrings& Strings, const std::u16string& Reference) {
    LoadFromString(zrx_utf8::toUtf16(Strings.Text()), Reference, HTMLType);
}

void THtmlViewer::LoadTextStrings(const TStrings& Strings) {
    LoadFromString(zrx_utf8::toUtf16(Strings.Text()), u"", TextType);
}

void THtmlViewer::LoadFromDocument(std::unique_ptr<TBuffer> Document, const std::u16string& Reference,
                                   THtmlFileType DocType) {
    LoadDocument(std::move(Document), Reference, DocType);
}

void THtmlViewer::LoadFromStream(TStream* AStream, const std::u16string& Reference, THtmlFileType DocType) {
    if (IsProcessing() || !AStream) return;
    LoadStream(AStream, Reference, DocType);
}

void THtmlViewer::LoadStream(TStream* AStream, const std::u16string& Reference, THtmlFileType DocType) {
    AStream->SetPosition(0);
    if (DocType == HTMLType || DocType == TextType || DocType == XHtmlType) {
        std::vector<uint8_t> bytes = AStream->ReadRest();
        ByteStreamBuf buf(bytes);
        std::istream in(&buf);
        LoadDocument(std::make_unique<TBuffer>(in, Reference), Reference, DocType);
        return;
    }
    // A picture: a page of one image, whose request the stream answers.
    const std::u16string page = u"<img src=\"" + AttributeText(Reference) + u"\">";
    FImageStream = AStream;
    try {
        LoadDocument(std::make_unique<TBuffer>(page, u"", 1200), Reference, HTMLType);
    } catch (...) {
        FImageStream = nullptr;
        throw;
    }
    FImageStream = nullptr;
}

void THtmlViewer::LoadFromFile(const std::u16string& FileName, THtmlFileType DocType) {
    if (IsProcessing() || FileName.empty()) return;
    const std::u16string oldFile = FCurrentFile, oldTitle = FTitle;
    const ThvPosition oldPos = Position();
    const THtmlFileType oldType = FCurrentFileType;
    // Freed with this function unless the history takes it.
    std::unique_ptr<ThvFormData> formData = FSectionList->GetFormcontrolData();
    LoadFile(FileName, DocType);
    if (FCurrentFile != oldFile || FCurrentFileType != oldType)
        BumpHistory(oldFile, oldTitle, oldPos, std::move(formData), oldType);
}

void THtmlViewer::LoadFile(const std::u16string& FileName, THtmlFileType DocType) {
    std::u16string name, dest;
    SplitUrlDestination(FileName, name, dest);
    if (!name.empty()) name = ExpandFileName(name);
    // Checked before anything changes: a file that is not there leaves the page as it was.
    if (!FileExists(utf8(name))) throw EhtLoadError(message("Can't locate '%s'.", name));
    TFileStream stream(utf8(name), fmOpenRead | fmShareDenyWrite);
    LoadStream(&stream, name + dest, DocType);
}

void THtmlViewer::Load(const std::u16string& Url) { LoadFromFile(Url, HTMLType); }

void THtmlViewer::LoadTextFile(const std::u16string& FileName) { LoadFromFile(FileName, TextType); }

void THtmlViewer::LoadImageFile(const std::u16string& FileName) { LoadFromFile(FileName, ImgType); }

void THtmlViewer::Reload() {
    if (FCurrentFile.empty()) return;
    const ThvPosition pos = Position();
    LoadFromFile(FCurrentFile, FCurrentFileType);
    SetPosition(pos);
}

// ---- the load sequence

void THtmlViewer::LoadDocument(std::unique_ptr<TBuffer> Document, const std::u16string& Reference,
                               THtmlFileType DocType) {
    // The buffer is the viewer's from here on: refused, failed or replaced, it is freed once.
    if (IsProcessing()) return;
    std::u16string name, dest;
    SplitUrlDestination(Reference, name, dest);
    if (DocType == ImgType) throw EhtException(message("LoadDocument with DocType = 'ImgType' not supported."));
    if (!Document)
        throw EhtException(message("LoadDocument requires document to load. Parameter 'Document' must not be nil."));

    SetProcessing(true);
    const std::u16string oldFile = FCurrentFile;
    // The cursor is changed only when it is to look different, and always put back.
    const bool cursorSet = LoadCursor() != crDefault && Screen;
    const TCursor oldCursor = Screen ? Screen->Cursor() : crDefault;
    if (cursorSet) Screen->SetCursor(LoadCursor());

    auto finish = [&] {
        FPaintPanel->Invalidate();
        std::exception_ptr error;
        try {
            htProgressEnd();
        } catch (...) {
            error = std::current_exception();
        }
        FViewerState &= ~vsSet(vsDontDraw);
        if (cursorSet) Screen->SetCursor(oldCursor);
        try {
            SetProcessing(false);
        } catch (...) {
            if (!error) error = std::current_exception();
        }
        if (error) std::rethrow_exception(error);
    };

    try {
        FViewerState |= vsSet(vsDontDraw);
        FRefreshDelay = 0;
        FRefreshURL.clear();
        FSectionList->ProgressStart = 75;
        htProgressInit();

        bool quirks = false;
        if (DocType == HTMLType) {
            switch (FQuirksMode) {
            case qmDetect: quirks = THtmlParser(Document.get()).ShouldUseQuirksMode(); break;
            case qmStandards: quirks = false; break;
            case qmQuirks: quirks = true; break;
            }
        }
        FUseQuirksMode = quirks;
        FSectionList->FUseQuirksMode = quirks;

        InitLoad();

        FCaretPos = 0;
        Sel1 = -1;
        if (OnSoundRequest()) OnSoundRequest()(this, u"", 1, true);

        FDocument = std::move(Document);
        FCurrentFile = name;
        FCurrentFileType = DocType;

        if (OnParseBegin()) OnParseBegin()(this, FDocument);
        if (!FDocument)
            throw EhtException(
                message("LoadDocument requires document to load. Parameter 'Document' must not be nil."));

        {
            THtmlParser parser(FDocument.get());
            if (DocType == HTMLType || DocType == XHtmlType) {
                parser.SetIsXHTML(DocType == XHtmlType);
                parser.ParseHtml(
                    FSectionList.get(), OnInclude(), OnSoundRequest(),
                    [this](TObject* Sender, const std::u16string& HttpEq, const std::u16string& Name,
                           const std::u16string& Content) { HtmlMeta(Sender, HttpEq, Name, Content); },
                    OnLink());
            } else {
                parser.ParseText(FSectionList.get());
            }
            FTitle = parser.Title();
            FBase = parser.Base().empty() ? FBaseEx : parser.Base();
            FBaseTarget = parser.BaseTarget();
        }
        if (OnParseEnd()) OnParseEnd()(this);
        FSectionList->GetBackgroundBitmap();
        DoLayout();

        CheckVisitedLinks();

        if (!PositionTo(dest)) {
            if (FCurrentFile.empty() || FCurrentFile != oldFile) {
                ScrollTo(0);
                FHScrollBar->SetPosition(0);
            } else {
                // The same document again: the same place, within its new height.
                ScrollTo(FVScrollBar->Position());
            }
        }
    } catch (...) {
        try {
            finish();
        } catch (...) {
        }
        throw;
    }
    finish();

    if (FRefreshDelay > 0 && OnMetaRefresh) OnMetaRefresh(this, FRefreshDelay, FRefreshURL);
}

void THtmlViewer::InitLoad() {
    if (!FSectionList->ImageCache) {
        auto cache = std::make_shared<ThtImageCache>();
        cache->SetCacheCount(ImageCacheCount());
        FSectionList->ImageCache = std::move(cache);
        FViewerState |= vsSet(vsLocalImageCache);
    }
    FSectionList->Clear();
    FSectionList->FUseQuirksMode = FUseQuirksMode;
    FSectionList->SetStyleElements(FStyleElements);
    FSectionList->ImageCache->BumpAndCheck();
    SetFontsOfDocument();
}

void THtmlViewer::SetFontsOfDocument() {
    FSectionList->SetFonts(zrx_utf8::toUtf16(DefFontName()), zrx_utf8::toUtf16(DefPreFontName()), DefFontSize(),
                           DefFontColor(), DefHotSpotColor(), DefVisitedLinkColor(), DefOverLinkColor(),
                           DefBackground(), htoHas(FOptions, htOverLinksActive), !htoHas(FOptions, htNoLinkUnderline),
                           CodePage(), CharSet(), MarginHeight(), MarginWidth());
}

void THtmlViewer::Clear() {
    if (IsProcessing()) return;
    FHTMLTimer->SetEnabled(false);
    FImagesInserted->SetEnabled(false);
    FSectionList->FUseQuirksMode = FUseQuirksMode;
    FSectionList->SetStyleElements(FStyleElements);
    FSectionList->Clear();
    if ((FViewerState & vsSet(vsLocalImageCache)) && FSectionList->ImageCache) FSectionList->ImageCache->Clear();
    FDocument.reset();
    FCurrentFile.clear();
    FCurrentFileType = HTMLType;
    SetFontsOfDocument();
    FBase.clear();
    FBaseEx.clear();
    FBaseTarget.clear();
    FTitle.clear();
    // The empty page has no height, and the view starts at its top.
    FMaxVertical = 0;
    FScrollWidth = 0;
    FSectionList->SetYOffset(0);
    FVScrollBar->SetVisible(false);
    FHScrollBar->SetVisible(false);
    FCaretPos = 0;
    Sel1 = -1;
    if (OnSoundRequest()) OnSoundRequest()(this, u"", 1, true);
    Invalidate();
    FPaintPanel->Invalidate();
}

// ---- what the page holds

std::u16string THtmlViewer::DocumentSource() const {
    if (!FDocument) return {};
    const int saved = FDocument->Position();
    FDocument->SetPosition(int(FDocument->BomLength()));
    std::u16string text = FDocument->AsString();
    FDocument->SetPosition(saved);
    return text;
}

int THtmlViewer::DocumentCodePage() const { return FDocument ? FDocument->CodePage() : CodePage(); }

void THtmlViewer::HtmlMeta(TObject*, const std::u16string& HttpEq, const std::u16string& Name,
                           const std::u16string& Content) {
    if (OnMeta()) OnMeta()(this, HttpEq, Name, Content);
    if (!OnMetaRefresh || LowerCaseString(HttpEq) != u"refresh") return;
    const size_t semi = Content.find(u';');
    const std::u16string delayText = TrimString(Content.substr(0, semi));
    int64_t delay = delayText.empty() ? -1 : 0;
    for (char16_t c : delayText) {
        if (c < u'0' || c > u'9' || delay > 86400 * 365) {
            delay = -1;
            break;
        }
        delay = delay * 10 + (c - u'0');
    }
    if (delay < 0) return;
    const size_t at = FindUrlAssignment(Content);
    FRefreshURL = at == std::u16string_view::npos ? std::u16string() : Content.substr(at + 4);
    FRefreshDelay = delay == 0 ? 1 : int32_t(delay);
}

// ---- history and visited links

void THtmlViewer::BumpHistory(const std::u16string& OldFileName, const std::u16string& OldTitle,
                              const ThvPosition& OldPos, std::unique_ptr<ThvFormData> OldFormData,
                              THtmlFileType OldDocType) {
    if (HistoryMaxCount() <= 0 || FCurrentFile.empty()) return;
    if (OldFileName == FCurrentFile && OldDocType == FCurrentFileType && OldPos == Position()) return;
    if (ThvHistoryItem* item = FHistory->GetItem(FHistory->Index()); item && !OldFileName.empty()) {
        // The page was left for another file: its entry keeps what its forms held.
        const bool fileChanged = OldFileName != FCurrentFile || OldDocType != FCurrentFileType;
        item->Url = OldFileName;
        item->Title = OldTitle;
        item->Position = OldPos;
        item->FileType = OldDocType;
        if (fileChanged) item->FormData = std::move(OldFormData);
        for (int i = FHistory->Index() - 1; i >= 0; --i) FHistory->Delete(i);
    }
    FHistory->SetIndex(0);
    auto entry = std::make_unique<ThvHistoryItem>();
    entry->Url = FCurrentFile;
    entry->Title = FTitle;
    entry->Position = Position();
    entry->FileType = FCurrentFileType;
    FHistory->Insert(0, std::move(entry));
    while (FHistory->Count() > HistoryMaxCount()) FHistory->Delete(FHistory->Count() - 1);
    if (OnHistoryChange()) OnHistoryChange()(this);
}

void THtmlViewer::AddVisitedLink(const std::u16string& S) {
    if (FFrameOwner || VisitedMaxCount() == 0) return;
    const auto it = std::find(FVisited.begin(), FVisited.end(), S);
    if (it == FVisited.begin() && it != FVisited.end()) return;
    if (it != FVisited.end()) {
        FVisited.erase(it);
    } else if (TLinkList* links = LinkList()) {
        for (int i = 0; i < links->Count(); ++i) {
            TFontObj* link = links->Items(i);
            const std::u16string url = link->URL();
            if (url.empty()) continue;
            const std::u16string expanded = url[0] == u'#' ? FCurrentFile + url : HtmlExpandFilename(url);
            if (expanded == S) link->SetVisited(true);
        }
    }
    FVisited.insert(FVisited.begin(), S);
    if (int(FVisited.size()) > VisitedMaxCount()) FVisited.resize(size_t(VisitedMaxCount()));
}

void THtmlViewer::CheckVisitedLinks() {
    if (VisitedMaxCount() == 0 || FVisited.empty()) return;
    TLinkList* links = LinkList();
    if (!links) return;
    for (int i = 0; i < links->Count(); ++i) {
        TFontObj* link = links->Items(i);
        const std::u16string url = link->URL();
        const std::u16string expanded =
            LowerCaseString(!url.empty() && url[0] == u'#' ? FCurrentFile + url : HtmlExpandFilename(url));
        for (const std::u16string& visited : FVisited)
            if (LowerCaseString(visited) == expanded) {
                link->SetVisited(true);
                break;
            }
    }
}
