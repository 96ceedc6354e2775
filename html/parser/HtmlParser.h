#pragma once
// The HTML parser: it reads the text of one buffer and builds one document.
// Its lower half is the tokenizer: it reads characters (line ends folded to
// one CR, tabs to blanks, comments and server tags dropped, include comments
// replaced by what the include handler gives), and hands the element
// handlers one symbol at a time: a tag with its attributes, a run of text
// with the source position of each character, or the end. It also reads the
// raw contents of script and textarea elements. Its upper half builds the
// document as it reads: blocks, text sections, lists, tables, objects and
// form controls (BodyFlow, BlocksAndLists, Preformatted, TableConstruction
// with CellManager, HeadElements), behind the entry points ParseHtml and
// ParseText (ParserEntry), the doctype scans (DocumentType) and the walk of
// frame documents (FrameDocuments).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/layout/AttributeList.h"
#include "html/layout/TokenBuffers.h"
#include "html/parser/ParserEvents.h"
#include "html/parser/SymbolSets.h"
#include "html/text/HtmlSymbols.h"
#include "html/text/StyleTypes.h"
#include "platform/framework/Classes.h"

class TBlock;
class TBodyBlock;
class TBuffer;
class TCellBasic;
class TFrameSetBase;
class TFrameViewerBase;
class THtmlPropStack;
class TProperties;
class TSection;
class TUrlTarget;
class ThtDocument;
class ThtParserViewer;

// The text ended inside a comment.
class EParseError : public Exception {
    using Exception::Exception;
};

// The kind of the last line-end character read.
enum TLastChar { lcOther, lcCR, lcLF };

// The control a textarea's contents go into (the textarea control of
// html/viewer implements it).
class TTextAreaReceiver {
public:
    virtual ~TTextAreaReceiver() = default;
    // One more piece of the text: a whole line with its CR LF, or the last line.
    virtual void AddStr(const std::u16string& Text) = 0;
    // The text is complete: the control takes it as its value.
    virtual void ResetToValue() = 0;
};

// The control a select element's options go into (the select control of
// html/viewer implements it).
class TOptionsReceiver {
public:
    virtual ~TOptionsReceiver() = default;
    // One option: its trimmed text, whether it is selected, its tag's
    // attributes ("NAME=value" lines) and the code page of its text.
    virtual void AddStr(const std::u16string& Text, bool Selected, std::unique_ptr<TStringList> Attributes,
                        int CodePage) = 0;
    // The options are complete: the control takes its value.
    virtual void ResetToValue() = 0;
};

class THtmlParser {
public:
    // Include comments nested deeper than this (a handler that includes
    // itself) are dropped like plain comments.
    static constexpr int MaxIncludeDepth = 16;
    // Tables nested deeper than this are not built: their tags are skipped.
    static constexpr int MaxTableLevel = 50;
    // Blocks (divisions, lists, list items, forms, field sets, block quotes)
    // are not built once blocks and tables together are nested this deep:
    // their tags are skipped and their contents flow on, so that no input
    // nests the parser (or the layout after it) deeper than the stack holds.
    static constexpr int MaxBlockLevel = 50;
    // Inline elements (and basefont) opened on a stack this deep push no
    // property set of their own and take the set around them, so that
    // hostile nesting keeps the stack, and the cost of each push and pop,
    // bounded. Blocks still push theirs: their nesting is capped above.
    static constexpr int MaxPropDepth = 500;

    // Reads Doc, which stays the caller's.
    explicit THtmlParser(TBuffer* ADoc);
    ~THtmlParser();
    THtmlParser(const THtmlParser&) = delete;
    THtmlParser& operator=(const THtmlParser&) = delete;

    // ---- entry points (ParserEntry.cpp)

    // Standards mode (false) for a standards doctype before the first html,
    // head or body tag, else quirks mode (true). The buffer position is kept.
    bool ShouldUseQuirksMode();
    // Builds the document from the buffer: a counting pass (more than 400
    // links with an href stop links from being tab stops), then the build
    // pass. A framework exception ends the build quietly, keeping what was
    // built; the document must have its stack (see InstallParserLists) or
    // gets one.
    void ParseHtml(ThtDocument* ASectionList, TIncludeType AIncludeEvent, TSoundType ASoundEvent, TMetaType AMetaEvent,
                   TLinkType ALinkEvent);
    // Plain text: one preformatted section per line in a block of its own.
    void ParseText(ThtDocument* ASectionList);
    // A frame document: its first structural tag is a frame set.
    bool IsFrame(TFrameViewerBase* FrameViewer);
    // Walks a frame document for the frame viewer.
    void ParseFrame(TFrameViewerBase* FrameViewer, TFrameSetBase* FrameSet, const std::u16string& FName,
                    TMetaType AMetaEvent);
    // The title's text with its references decoded; empty without one.
    std::u16string Title();
    // A section with no characters, objects, controls or anchor.
    static bool IsEmptySection(const TSection& S);

    const std::u16string& Base() const { return FBase; }
    const std::u16string& BaseTarget() const { return FBaseTarget; }
    bool UseQuirksMode() const { return FUseQuirksMode; }
    THtmlPropStack* PropStack() const { return FPropStack; }
    bool NoBreak() const { return FNoBreak; }
    // Also kept by the document, when the stack has one.
    void SetNoBreak(bool Value);
    bool IsXHTML() const { return FIsXHTML; }
    void SetIsXHTML(bool Value) { FIsXHTML = Value; }

    // The element handlers push and pop through the current stack.
    TProperties* PushNewProp(TElemSymb Sym, std::u16string_view AClass, std::u16string_view AnID,
                             std::u16string_view APseudo, std::u16string_view ATitle, TProperties* AProps);
    void PopProp();
    void PopAProp(TElemSymb Sym);

    // ---- the tokenizer (HtmlTokenizer.cpp, RawContents.cpp), used by the
    // element handlers. Every reader needs FPropStack, which keeps the source
    // position of the character read last.

    // The next character into LCh (comments and server tags skipped). Raises
    // EParseError when the text ends inside a comment.
    void GetCh();
    // The character after LCh, without reading it.
    char16_t PeekChar();
    // The next symbol into Sy: a tag (its attributes in Attributes), text in
    // LCToken, or EofSy.
    void Next();
    // A name: a letter or "_", then letters, digits, "_" and "-".
    bool GetIdentifier(std::u16string& Identifier);
    void SkipWhiteSpace();
    // A character reference at "&" (LCh): its text, or the literal text read.
    std::u16string GetEntity(int CodePage);
    // Text up to the next tag: white space folded to one blank, references decoded.
    void GetTextRun(TTokenObj& Token);
    // The same with white space kept; the run also ends before a line end.
    void GetPreTextRun(TTokenObj& Token);
    // GetPreTextRun for "pre", GetTextRun for the other white-space styles.
    void GetText(ThtWhiteSpaceStyle WhiteSpace, TTokenObj& Token);
    // After ScriptSy (LCh at the tag's ">"): the contents up to "</script",
    // given to Handler when there is one.
    void DoScript(const TScriptHandler& Handler);
    // After TextAreaSy: the contents up to "</textarea", line by line into Control.
    void DoTextArea(TTextAreaReceiver& Control);
    // After SelectSy: the options up to the end of the list (or a tag that
    // ends it: a paragraph, a table's structure, an input) into Control;
    // the symbol that ended them is current.
    void DoSelect(TOptionsReceiver& Control);

    // The parser's state, in its order.
    int32_t TitleStart = 0;  // buffer positions around the title's text
    int32_t TitleEnd = 0;
    std::u16string FBase;  // href and target of the last base element
    std::u16string FBaseTarget;
    char16_t LCh = 0;  // the current character; 0 at the end
    TLastChar LastChar = lcOther;
    std::unique_ptr<TTokenObj> LCToken;  // the current text run
    TBuffer* Doc = nullptr;              // the buffer being read
    // Buffers an include interrupted, the caller's at the bottom. Every
    // buffer above the caller's came from the include handler and is freed
    // when its end is read.
    std::vector<TBuffer*> DocStack;
    int64_t CharCount = 0;  // characters read, for progress
    TElemSymb Sy = OtherChar;
    bool IsXhtmlEndSy = false;  // the tag ended with "/" before ">"
    std::unique_ptr<TAttributeList> Attributes;
    int32_t BaseFontSize = 3;
    TBodyBlock* BodyBlock = nullptr;
    std::unique_ptr<TSection> Section;             // the open section, or none
    TCellBasic* SectionList = nullptr;             // receives finished sections and blocks
    std::unique_ptr<TUrlTarget> CurrentURLTarget;  // the open link's; made and freed by each parse
    int32_t TableLevel = 0;
    int32_t TagIndex = 0;  // where the current tag began
    bool InComment = false;
    bool InHref = false;
    bool InScript = false;    // "<" starts no comment or server tag
    bool LinkSearch = false;  // the counting pass: nothing is collected or registered
    int32_t ListLevel = 0;
    TIncludeType IncludeEvent;
    TSoundType SoundEvent;
    TMetaType MetaEvent;
    TLinkType LinkEvent;
    TObject* CallingObject = nullptr;  // the viewer, sender of the events
    bool FUseQuirksMode = false;
    THtmlPropStack* FPropStack = nullptr;
    bool FNoBreak = false;
    bool FIsXHTML = false;

    // The document being built (null outside ParseHtml and ParseText), the
    // calling viewer as the parser sees it (null when the document's owner
    // is none), the html tag's attributes until the first content, and the
    // nesting depth of the blocks being built.
    ThtDocument* FDocument = nullptr;
    ThtParserViewer* Viewer = nullptr;
    std::unique_ptr<TAttributeList> PendingHtmlAttributes;
    int32_t BlockLevel = 0;

private:
    class ScanScope;
    class FrameScope;

    // ---- the character reader
    // One character from the buffers, line ends not yet folded.
    void ReadRaw();
    // One character with line ends and tabs folded.
    void ReadChar();
    void CountProgress();
    void SkipCommentEnd();
    void SkipServerTag();
    void DoInclude();
    void GetTag();
    bool GetAttribute(std::unique_ptr<TAttribute>& Attribute);
    void CollectTextRun(TTokenObj& Token, bool Pre);
    int InnerCodePage() const;
    int32_t SIndex() const;

    // ---- entry points
    // The next buffer character, no folding (the doctype and XML scans).
    void NextCh();
    // A doctype word: "-", ".", "/", digits, "_" and letters.
    std::u16string GetDocTypeWord(bool& Result);
    bool DocTypeIsStandard(bool& Result);
    // The encoding of an XML declaration sets the buffer's code page.
    bool ProbeXmlEncoding();
    void PrepareParse(ThtDocument* ASectionList, TIncludeType AIncludeEvent);
    void FinishParse();
    void DoText();
    // Back to the caller's buffer, the included ones freed.
    void DropIncludes();
    void DoTitle();
    // The frame document's walk: a frame set and its frames.
    void DoFrameSet(TFrameViewerBase* FrameViewer, TFrameSetBase* FrameSet, const std::u16string& FName);

    // ---- the shared vocabulary of construction (BodyFlow.cpp)
    TProperties* TopProp() const;
    int32_t CurrentSIndex() const { return SIndex(); }
    // Hands the open section to SectionList.
    void Flush();
    // A new open section (the open one, if any, is handed over first);
    // WithLink: its first run takes the open link's target.
    void NewSection(TAttributeList* Attr, bool FirstItem = true, bool WithLink = true);
    void NewPreSection(bool FirstItem);
    // The open section, made when there is none.
    TSection* EnsureSection();
    // The current tag's class, id, title and style with the current symbol.
    void PushElement();
    void PushElement(TElemSymb Sym);
    void PopElement(TElemSymb StartSym) { PopAProp(StartSym); }
    // Whether an inline element may still push a set of its own.
    bool InlineRoomLeft() const;
    void OpenInlineBox();
    void ChangeFont();
    // Adds a block to SectionList and moves the insertion point into it.
    void AddBlock(std::unique_ptr<TBlock> B);
    void MoveInto(TBlock* B);
    void MoveBack(TBlock* B);

    // ---- body loop and text flow (BodyFlow.cpp)
    void DoBody(const TElemSymbSet& TermSet);
    void DoCommonSy();
    void DoA();
    void EndHRef();
    void DoFont(bool Pre);
    // Images, panels, frames, progress bars and meters; form controls.
    // ReadNext: the symbol after the element is read (not inside "pre",
    // whose reader goes on character by character).
    void DoInlineObject(bool ReadNext = true);
    void DoFormControl(bool ReadNext = true);
    void DoHorizontalRule();

    // ---- blocks and lists (BlocksAndLists.cpp)
    void DoP(const TElemSymbSet& TermSet);
    void DoBr(const TElemSymbSet& TermSet);
    void DoHeading();
    void DoDivEtc(TElemSymb Sym, const TElemSymbSet& TermSet);
    // False when the list was not built (nesting too deep): its tag was
    // consumed and the next symbol is current.
    bool DoLists(TElemSymb Sym, const TElemSymbSet& TermSet);
    void DoListItem(TElemSymb ListKind, TElemSymb Sym, const TElemSymbSet& TermSet, bool Plain, char16_t IndexType,
                    int32_t Number);
    std::u16string GetAlign();
    void ApplyAlign();
    // The block's automatic bottom margin when its cell's last block dropped one.
    void FixBottomMargin(TBlock* B);
    bool AtBlockLimit() const;

    // ---- preformatted text (Preformatted.cpp)
    void DoPre();

    // ---- tables (TableConstruction.cpp)
    void DoTable();
    ThtAlignmentStyle GetVAlign(ThtAlignmentStyle Default);

    // ---- head elements, body attributes, objects, maps, options (HeadElements.cpp)
    void ApplyPendingHtmlAttributes();
    void DoBodyElement();
    void DoMeta(TObject* Sender);
    void DoBase();
    void DoStyleLink();
    void DoSound();
    // Remembers the reader's state before each PARAM; InPre callers put it back.
    struct TReaderState {
        TBuffer* Buffer = nullptr;
        char16_t Ch = 0;
        int32_t Position = 0;
        int32_t SIndex = -1;
    };
    void SaveReaderState(TReaderState& State);
    void RestoreReaderState(const TReaderState& State);
    void DoObjects(TReaderState& State);
    void DoMap(bool ReadNext = true);

    // The included buffers, parallel to DocStack: FIncluded[i] was read
    // above DocStack[i].
    std::vector<std::unique_ptr<TBuffer>> FIncluded;
    // Buffer positions before the last three raw reads (newest last), to
    // step back over the "--" that closes an include command.
    int32_t FReadPos[3] = {-1, -1, -1};
    TCharCollection FRun;  // a text run as it is collected
    // Counts the sections opened, so that a handler can tell whether the
    // open section is still the one it opened.
    uint64_t FSectionSerial = 0;
};

// Gives a document the parser's property stack and style list (the viewer
// calls it once for its document; ParseHtml installs a missing stack).
void InstallParserLists(ThtDocument& Document);
