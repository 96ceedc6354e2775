// Every way of loading a document into the viewer and the load sequence
// they all end in.
#include <algorithm>
#include <exception>
#include <streambuf>
#include <istream>

#include "html/layout/Images.h"
#include "html/parser/HtmlParser.h"
#include "html/text/Buffer.h"
#include "html/text/HtmlStrings.h"
#include "html/text/UrlUtils.h"
#include "html/viewer/HtmlViewer.h"
#include "html/viewer/PaintPanel.h"
#include "html/viewer/ViewerFiles.h"
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
    if (!name.empty()) name = ExpandLocalFileName(name);
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
    ++FLoadCount;
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
        } catch (...) {}
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
