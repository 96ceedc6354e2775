// Document construction: the html tag's attributes, the body element, the
// head elements (meta, base, link, bgsound), objects with their parameters,
// image maps and the options of select lists.
#include <algorithm>
#include <filesystem>
#include <sstream>

#include "html/layout/AttributeList.h"
#include "html/layout/ControlObjs.h"
#include "html/layout/Document.h"
#include "html/layout/Sections.h"
#include "html/layout/SpecialBlocks.h"
#include "html/parser/HtmlParser.h"
#include "html/parser/HtmlPropStack.h"
#include "html/parser/ParserViewer.h"
#include "html/text/Buffer.h"
#include "html/text/CodePages.h"
#include "html/text/HtmlColors.h"
#include "html/text/HtmlStrings.h"
#include "html/text/HtmlText.h"
#include "html/text/Properties.h"
#include "html/text/StyleParser.h"
#include "html/text/UrlUtils.h"
#include "platform/framework/Streams.h"

namespace {

constexpr int32_t MaxBodyMargin = 200;

// The tag's attributes as "NAME=value" lines.
std::unique_ptr<TStringList> attributeLines(const TAttributeList& Attributes) {
    auto lines = std::make_unique<TStringList>();
    for (int i = 0; i < Attributes.Count(); ++i) {
        const TAttribute* a = Attributes.GetAttribute(i);
        lines->Add(htmltext::toUtf8(a->WhichName + u"=" + a->Name));
    }
    return lines;
}

std::u16string attributeText(const TAttributeList& Attributes, TAttrSymb Sym, bool& Present) {
    TAttribute* a = nullptr;
    Present = Attributes.Find(Sym, a);
    return Present ? a->Name : std::u16string();
}

std::u16string attributeText(const TAttributeList& Attributes, TAttrSymb Sym) {
    bool present = false;
    return attributeText(Attributes, Sym, present);
}

// Everything a stream holds from its start.
std::string readAll(TStream& Stream) {
    Stream.SetPosition(0);
    std::string bytes;
    char chunk[16384];
    for (;;) {
        const int64_t n = Stream.Read(chunk, sizeof chunk);
        if (n <= 0) break;
        bytes.append(chunk, size_t(n));
    }
    return bytes;
}

}  // namespace

// ---- the html tag and the body element

void THtmlParser::ApplyPendingHtmlAttributes() {
    if (!PendingHtmlAttributes) return;
    const std::unique_ptr<TAttributeList> html = std::move(PendingHtmlAttributes);
    // This set is never popped: it carries the root element's style.
    PushNewProp(HtmlSy, html->TheClass(), html->TheID(), u"", html->TheTitle(), html->TheStyle());
    if (!FDocument) return;
    TProperties* top = TopProp();
    std::u16string image;
    if (top->GetBackgroundImage(image) && !image.empty()) {
        PtPositionRec position;
        top->GetBackgroundPos(top->EmSize(), top->ExSize(), position);
        FDocument->SetBackgroundBitmap(image, position);
    }
    const TColor background = top->GetBackgroundColor();
    if (background != clNone) FDocument->SetBackground(background | ColorPaletteFlag());
}

void THtmlParser::DoBodyElement() {
    // Only the first body tag, before any content and outside tables, counts.
    if (!FDocument || !BodyBlock || BodyBlock->MyCell->Count() != 0 || TableLevel != 0 ||
        SectionList != BodyBlock->MyCell.get())
        return;
    FDocument->ClearLists();
    if (Section) {
        Section->CheckFree();
        Section.reset();
    }
    PushElement(BodySy);
    TProperties* top = TopProp();
    int32_t widthMargin = Viewer ? Viewer->ParserMarginWidth() : 0;
    int32_t heightMargin = Viewer ? Viewer->ParserMarginHeight() : 0;
    bool widthGiven = Viewer != nullptr, heightGiven = Viewer != nullptr;
    // An attribute's margins win over everything; the viewer's only over a
    // set that no style rule gave margins.
    bool widthByAttribute = false, heightByAttribute = false;
    const int palette = ColorPaletteFlag();
    TColor color = clNone;
    for (int i = 0; i < Attributes->Count(); ++i) {
        TAttribute* a = Attributes->GetAttribute(i);
        switch (a->Which) {
        case BackgroundSy: top->Assign(u"url(" + a->Name + u")", BackgroundImage); break;
        case BGColorSy:
            if (TryTextToColor(a->Name, false, color)) top->Assign(int64_t(color | palette), BackgroundColor);
            break;
        case BGPropertiesSy:
            if (LowerCaseString(a->Name) == u"fixed") top->Assign(std::u16string(u"fixed"), BackgroundAttachment);
            break;
        case LeftMarginSy:
        case MarginWidthSy:
            widthMargin = std::clamp(a->Value, 0, MaxBodyMargin);
            widthGiven = widthByAttribute = true;
            break;
        case TopMarginSy:
        case MarginHeightSy:
            heightMargin = std::clamp(a->Value, 0, MaxBodyMargin);
            heightGiven = heightByAttribute = true;
            break;
        case LinkSy:
            if (TryTextToColor(a->Name, false, color)) FDocument->ParserStyles().ModifyLinkColor(u"link", color);
            break;
        case VLinkSy:
            if (TryTextToColor(a->Name, false, color)) FDocument->ParserStyles().ModifyLinkColor(u"visited", color);
            break;
        case OLinkSy:
            if (TryTextToColor(a->Name, false, color)) {
                FDocument->ParserStyles().ModifyLinkColor(u"hover", color);
                FDocument->LinksActive = true;
            }
            break;
        case TextSy:
            if (TryTextToColor(a->Name, false, color)) top->Assign(int64_t(color | palette), Color);
            break;
        default: break;
        }
    }
    if (FUseQuirksMode) FDocument->ParserStyles().FixupTableColor(*top);
    auto setMargins = [top](std::initializer_list<ThtPropertyIndex> Sides, int32_t Value, bool Force) {
        for (ThtPropertyIndex side : Sides)
            if (Force || !top->Originals[side]) top->Props[side] = int64_t(Value);
    };
    if (widthGiven) setMargins({MarginLeft, MarginRight}, widthMargin, widthByAttribute);
    if (heightGiven) setMargins({MarginTop, MarginBottom}, heightMargin, heightByAttribute);

    // The empty body block gives way to the body element's.
    TCellBasic* owner = BodyBlock->OwnerCell();
    const int index = owner ? owner->IndexOf(BodyBlock) : -1;
    if (index < 0) return;
    auto body = std::make_unique<TBodyBlock>(owner, Attributes.get(), top);
    TBodyBlock* made = body.get();
    owner->Delete(index);
    owner->Insert(index, body.release());
    BodyBlock = made;
    SectionList = made->MyCell.get();
    NewSection(nullptr, true, false);
}

// ---- head elements

void THtmlParser::DoMeta(TObject* Sender) {
    std::u16string httpEq = attributeText(*Attributes, HttpEqSy);
    const std::u16string name = attributeText(*Attributes, NameSy);
    bool hasContent = false, hasCharset = false;
    std::u16string content = attributeText(*Attributes, ContentSy, hasContent);
    if (!hasContent) {
        const std::u16string charset = attributeText(*Attributes, CharSetSy, hasCharset);
        if (hasCharset) {
            httpEq = u"content-type";
            content = charset;
        }
    }
    if (Viewer && Sender == CallingObject && LowerCaseString(httpEq) == u"content-type") {
        const int codePage = CharsetNameToCodePage(content);
        if (codePage >= 0) {
            if (TProperties* top = TopProp()) top->SetCodePage(codePage);
            Doc->SetCodePage(codePage);
        }
    }
    if (MetaEvent) MetaEvent(Sender, httpEq, name, content);
    Next();
}

void THtmlParser::DoBase() {
    bool present = false;
    std::u16string value = attributeText(*Attributes, HrefSy, present);
    if (present) FBase = value;
    value = attributeText(*Attributes, TargetSy, present);
    if (present) FBaseTarget = value;
    Next();
}

void THtmlParser::DoStyleLink() {
    std::u16string href, rel, rev;
    bool styleSheet = false;
    for (int i = 0; i < Attributes->Count(); ++i) {
        const TAttribute* a = Attributes->GetAttribute(i);
        if (a->Which == HrefSy) {
            href = a->Name;
        } else if (a->Which == RelSy) {
            rel = a->Name;
            if (LowerCaseString(rel) == u"stylesheet") styleSheet = true;
        } else if (a->Which == RevSy) {
            rev = a->Name;
        } else if (a->Which == MediaSy && a->Name.find(u"screen") == std::u16string::npos &&
                   a->Name.find(u"all") == std::u16string::npos) {
            // Not for the screen: nothing after it is read.
            styleSheet = false;
            break;
        }
    }

    if (styleSheet && !href.empty() && FDocument) {
        // A sheet that cannot be had or read is left out; the link is still reported.
        try {
            const ThtStreamRequestEvent request = Viewer ? Viewer->ParserStreamRequest() : ThtStreamRequestEvent();
            TStream* stream = nullptr;
            std::unique_ptr<TFileStream> file;
            std::u16string base;
            auto openFile = [&] {
                if (FDocument->TheOwner) href = FDocument->TheOwner->HtmlExpandFilename(href);
                base = UrlBaseDirectory(href);
                const std::filesystem::path path(htmltext::toUtf8(href));
                std::error_code error;
                if (std::filesystem::is_regular_file(path, error)) {
                    file = std::make_unique<TFileStream>(htmltext::toUtf8(href), fmOpenRead | fmShareDenyWrite);
                    stream = file.get();
                }
            };
            if (request) {
                if (FDocument->ExpandName) {
                    std::u16string expanded = href;
                    FDocument->ExpandName(CallingObject, href, expanded);
                    href = expanded;
                    base = UrlBaseDirectory(href);
                    request(CallingObject, href, stream);
                } else {
                    request(CallingObject, href, stream);
                    if (!stream) openFile();
                }
            } else {
                openFile();
            }
            if (stream) {
                std::istringstream bytes(readAll(*stream));
                TBuffer sheet(bytes, href);
                char16_t c = 0;
                ParseStyleSheet(FDocument->ParserStyles(), c, sheet, FUseQuirksMode, true, base);
            }
        } catch (const std::exception&) {}
    }
    if (LinkEvent) LinkEvent(CallingObject, rel, rev, href);
    Next();
}

void THtmlParser::DoSound() {
    bool present = false;
    const std::u16string src = attributeText(*Attributes, SrcSy, present);
    if (SoundEvent && present) {
        TAttribute* loop = nullptr;
        const int32_t count = Attributes->Find(LoopSy, loop) ? loop->Value : 1;
        SoundEvent(CallingObject, src, count, false);
    }
    Next();
}

// ---- objects

void THtmlParser::SaveReaderState(TReaderState& State) {
    State.Buffer = Doc;
    State.Ch = LCh;
    State.Position = Doc ? Doc->Position() : 0;
    State.SIndex = SIndex();
}

void THtmlParser::RestoreReaderState(const TReaderState& State) {
    // An include that ended in between leaves nothing to go back to.
    if (!State.Buffer || State.Buffer != Doc) return;
    LCh = State.Ch;
    Doc->SetPosition(State.Position);
    if (FPropStack) FPropStack->SIndex = State.SIndex;
}

void THtmlParser::DoObjects(TReaderState& State) {
    const ThtObjectTagEvent handler = Viewer ? Viewer->ParserObjectTag() : ThtObjectTagEvent();
    const TElemSymb sym = Sy;
    std::unique_ptr<TControlObj> panel;
    std::unique_ptr<TStringList> attributes;
    if (handler && EnsureSection()) {
        attributes = attributeLines(*Attributes);
        PushElement();
        panel = Section->CreatePanel(Attributes.get(), SectionList, TopProp());
        if (panel) panel->ProcessProperties(TopProp());
        else PopElement(sym);
    }
    if (!panel) {
        // No one to show the object: its contents are ordinary flow.
        SaveReaderState(State);
        Next();
        return;
    }

    TStringList params;
    for (;;) {
        SaveReaderState(State);
        SkipWhiteSpace();
        Next();
        if (Sy != ParamSy) break;
        bool hasValue = false;
        const std::u16string name = attributeText(*Attributes, NameSy);
        const std::u16string value = attributeText(*Attributes, ValueSy, hasValue);
        if (!name.empty()) params.Add(htmltext::toUtf8(hasValue ? name + u"=" + value : name));
    }

    bool wantPanel = false;
    handler(CallingObject, panel->GetControl(), *attributes, params, wantPanel);
    if (wantPanel) {
        if (TopProp()->HasBorderStyle()) OpenInlineBox();
        Section->AddPanel1(std::move(panel), TagIndex);
        PopElement(sym);
        // The object's own contents are replaced by the panel.
        while (Sy != ObjectEndSy && Sy != EofSy) {
            SaveReaderState(State);
            Next();
        }
    } else {
        if (FDocument) std::erase(FDocument->PanelList, panel.get());
        PopElement(sym);
        panel.reset();
    }
}

// ---- image maps

void THtmlParser::DoMap(bool ReadNext) {
    auto map = std::make_unique<TMapItem>();
    TAttribute* name = nullptr;
    if (Attributes->Find(NameSy, name)) map->MapName = UpperCaseString(name->Name);
    Next();
    // A map that shows no end within three foreign tags is dropped.
    int foreign = 0;
    while (Sy != MapEndSy && Sy != EofSy) {
        if (Sy == AreaSy) map->AddArea(*Attributes);
        else if (Sy != StringSy && ++foreign >= 3) break;
        Next();
    }
    if (Sy == MapEndSy && FDocument) FDocument->MapList.push_back(std::move(map));
    if (ReadNext) Next();
}

// ---- option lists

void THtmlParser::DoSelect(TOptionsReceiver& Control) {
    static constexpr TElemSymbSet Stop = {EofSy,        PSy,     TableEndSy, ColGroupSy, ColSy,      CaptionSy,
                                          CaptionEndSy, THeadSy, TBodySy,    TFootSy,    THeadEndSy, TBodyEndSy,
                                          TFootEndSy,   TRSy,    TREndSy,    THSy,       TDSy,       THEndSy,
                                          TDEndSy,      InputSy, SelectEndSy};
    const bool savedNoBreak = NoBreak();
    SetNoBreak(false);
    const int codePage = TopProp() ? TopProp()->CodePage() : 0;
    bool open = false, selected = false;
    std::u16string text;
    std::unique_ptr<TStringList> attributes;
    auto endOption = [&] {
        if (!open) return;
        Control.AddStr(TrimString(text), selected, std::move(attributes), codePage);
        open = false;
    };
    Next();
    while (!Stop.Contains(Sy)) {
        if (Sy == StringSy) {
            if (open) text += LCToken->S();
        } else if (Sy == OptionSy || Sy == OptionEndSy) {
            endOption();
            if (Sy == OptionSy) {
                TAttribute* a = nullptr;
                open = true;
                selected = Attributes->Find(SelectedSy, a);
                attributes = attributeLines(*Attributes);
                text.clear();
            }
        }
        Next();
    }
    endOption();
    Control.ResetToValue();
    SetNoBreak(savedNoBreak);
}
