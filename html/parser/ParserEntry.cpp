// The parser's entry points: building a document from HTML (a counting pass
// over the links, then the build pass) or from plain text, and the title.
#include "html/layout/AttributeList.h"
#include "html/layout/Document.h"
#include "html/layout/Sections.h"
#include "html/layout/SpecialBlocks.h"
#include "html/parser/CharReferences.h"
#include "html/parser/HtmlParser.h"
#include "html/parser/HtmlPropStack.h"
#include "html/parser/HtmlStyleList.h"
#include "html/parser/ParserViewer.h"
#include "html/text/Buffer.h"
#include "html/text/Properties.h"

namespace {

constexpr char16_t CR = u'\r';
// More links than this are not made tab stops.
constexpr int MaxTabLinks = 400;
// Plain text reaches its section in pieces of at most this many characters.
constexpr int TextPiece = 201;

THtmlPropStack* parserStackOf(ThtDocument& Document) {
    if (auto* stack = dynamic_cast<THtmlPropStack*>(Document.PropStack())) return stack;
    auto stack = std::make_unique<THtmlPropStack>();
    THtmlPropStack* made = stack.get();
    Document.SetPropStack(std::move(stack));
    return made;
}

}  // namespace

void InstallParserLists(ThtDocument& Document) {
    auto stack = std::make_unique<THtmlPropStack>();
    stack->Document = &Document;
    Document.SetPropStack(std::move(stack));
    Document.Styles = std::make_unique<THtmlStyleList>(&Document);
}

void THtmlParser::DropIncludes() {
    if (!DocStack.empty()) {
        Doc = DocStack.front();
        DocStack.clear();
    }
    FIncluded.clear();
    FReadPos[0] = FReadPos[1] = FReadPos[2] = -1;
}

void THtmlParser::PrepareParse(ThtDocument* ASectionList, TIncludeType AIncludeEvent) {
    FDocument = ASectionList;
    SectionList = ASectionList;
    FUseQuirksMode = ASectionList->FUseQuirksMode;
    FPropStack->Document = ASectionList;
    ThtDocumentOwner* owner = ASectionList->TheOwner;
    CallingObject = owner ? owner->SenderObject() : nullptr;
    Viewer = dynamic_cast<ThtParserViewer*>(owner);
    IncludeEvent = std::move(AIncludeEvent);

    FPropStack->Clear();
    auto base = std::make_unique<TProperties>(FPropStack, FUseQuirksMode);
    if (TProperties* defaults = ASectionList->ParserStyles().DefProp()) base->CopyDefault(*defaults);
    FPropStack->Add(std::move(base));
    FPropStack->SIndex = -1;
    if (Viewer) Viewer->ParserSetCodePage(FPropStack->Last()->CodePage());

    auto body = std::make_unique<TBodyBlock>(ASectionList, nullptr, FPropStack->Last());
    BodyBlock = body.get();
    ASectionList->Add(std::move(body), TagIndex);
    SectionList = BodyBlock->MyCell.get();

    CurrentURLTarget = std::make_unique<TUrlTarget>();
    InHref = false;
    BaseFontSize = 3;
    FBase.clear();
    FBaseTarget.clear();
    ASectionList->FCurrentStyle = TFontStyles(0);
    ASectionList->FCurrentForm = nullptr;

    Section.reset();
    NewSection(nullptr, true, false);

    Attributes = std::make_unique<TAttributeList>();
    PendingHtmlAttributes.reset();
    InScript = false;
    SetNoBreak(false);
    InComment = false;
    ListLevel = 0;
    TableLevel = 0;
    BlockLevel = 0;
    LinkSearch = false;
    LastChar = lcOther;
    CharCount = 0;
    Sy = OtherChar;
}

void THtmlParser::FinishParse() {
    Attributes = std::make_unique<TAttributeList>();
    PendingHtmlAttributes.reset();
    if (Section) {
        if (SectionList) SectionList->AddSection(Section, TagIndex);
        Section.reset();
    }
    DropIncludes();
    if (FPropStack) FPropStack->Clear();
    CurrentURLTarget.reset();
    InHref = false;
    FPropStack = nullptr;
    SectionList = nullptr;
    FDocument = nullptr;
    Viewer = nullptr;
}

void THtmlParser::ParseHtml(ThtDocument* ASectionList, TIncludeType AIncludeEvent, TSoundType ASoundEvent,
                            TMetaType AMetaEvent, TLinkType ALinkEvent) {
    if (!ASectionList || !Doc) return;
    if (FIsXHTML) ProbeXmlEncoding();
    FPropStack = parserStackOf(*ASectionList);
    struct Finally {
        THtmlParser& P;
        ~Finally() { P.FinishParse(); }
    } finally{*this};
    PrepareParse(ASectionList, std::move(AIncludeEvent));

    // The counting pass: with more than 400 links, links are no tab stops.
    const int32_t startIndex = FPropStack->SIndex;
    const int startPosition = Doc->Position();
    LinkSearch = true;
    SoundEvent = nullptr;
    MetaEvent = nullptr;
    LinkEvent = nullptr;
    int links = 0;
    try {
        GetCh();
        Next();
        while (Sy != EofSy && links <= MaxTabLinks) {
            TAttribute* href = nullptr;
            if (Sy == ASy && Attributes->Find(HrefSy, href)) ++links;
            if (links <= MaxTabLinks) Next();
        }
    } catch (const std::exception&) {}
    ASectionList->StopTab = links > MaxTabLinks;

    DropIncludes();
    FPropStack->SIndex = startIndex;
    Doc->SetPosition(startPosition);
    Sy = OtherChar;
    LCh = 0;
    LastChar = lcOther;
    InHref = false;
    BaseFontSize = 3;
    FBase.clear();
    FBaseTarget.clear();
    ASectionList->FCurrentStyle = TFontStyles(0);
    ASectionList->FCurrentForm = nullptr;
    InScript = false;
    SetNoBreak(false);
    InComment = false;
    ListLevel = 0;
    TableLevel = 0;
    BlockLevel = 0;
    LinkSearch = false;
    SoundEvent = std::move(ASoundEvent);
    MetaEvent = std::move(AMetaEvent);
    LinkEvent = std::move(ALinkEvent);

    // The build pass. A framework exception (the text ended inside a
    // comment) ends it; what was built so far stays.
    try {
        GetCh();
        DoBody(TElemSymbSet());
    } catch (const Exception&) {}
}

void THtmlParser::ParseText(ThtDocument* ASectionList) {
    if (!ASectionList || !Doc) return;
    FPropStack = parserStackOf(*ASectionList);
    struct Finally {
        THtmlParser& P;
        ~Finally() { P.FinishParse(); }
    } finally{*this};
    PrepareParse(ASectionList, nullptr);
    InScript = true;  // "<" means nothing in plain text
    GetCh();
    DoText();
}

void THtmlParser::DoText() {
    Flush();
    PushNewProp(PreSy, Attributes->TheClass(), Attributes->TheID(), u"", u"", Attributes->TheStyle());
    auto made = std::make_unique<TBlock>(SectionList, Attributes.get(), TopProp());
    TBlock* block = made.get();
    AddBlock(std::move(made));
    NewPreSection(false);
    TTokenObj text;
    while (LCh != 0) {
        if (LCh == CR) {
            // Every line end (CR, LF, CR LF, LF CR) arrives as one CR.
            Section->AddTokenObj(text);
            text.Clear();
            Flush();
            NewPreSection(false);
        } else {
            text.AddUnicodeChar(LCh, SIndex());
            if (text.Count() >= TextPiece) {
                Section->AddTokenObj(text);
                text.Clear();
            }
        }
        GetCh();
    }
    Section->AddTokenObj(text);
    Flush();
    PopAProp(PreSy);
    MoveBack(block);
}

void THtmlParser::DoTitle() {
    TitleStart = TitleEnd = SIndex();
    Next();
    while (Sy == StringSy) {
        TitleEnd = SIndex();
        Next();
    }
}

std::u16string THtmlParser::Title() {
    if (!Doc || TitleStart >= TitleEnd) return {};
    return DecodeCharReferences(Doc->GetString(TitleStart, TitleEnd), Doc->CodePage());
}
