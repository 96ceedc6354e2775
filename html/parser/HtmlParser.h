#pragma once
// The HTML parser: it reads the text of one buffer and builds one document.
// Its lower half, declared here, is the tokenizer: it reads characters (line
// ends folded to one CR, tabs to blanks, comments and server tags dropped,
// include comments replaced by what the include handler gives), and hands
// the element handlers one symbol at a time: a tag with its attributes, a
// run of text with the source position of each character, or the end. It
// also reads the raw contents of script and textarea elements. The entry
// points and the document construction join this class as they are built.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/layout/AttributeList.h"
#include "html/layout/TokenBuffers.h"
#include "html/parser/ParserEvents.h"
#include "html/text/HtmlSymbols.h"
#include "html/text/StyleTypes.h"
#include "platform/framework/Classes.h"

class TBuffer;
class THtmlPropStack;
class TProperties;
class TBodyBlock;
class TSection;
class TCellBasic;
class TUrlTarget;

// The text ended inside a comment.
class EParseError : public Exception {
    using Exception::Exception;
};

// The kind of the last line-end character read.
enum TLastChar { lcOther, lcCR, lcLF };

// The control a textarea's contents go into.
class TTextAreaReceiver {
public:
    virtual ~TTextAreaReceiver() = default;
    // One more piece of the text: a whole line with its CR LF, or the last line.
    virtual void AddStr(const std::u16string& Text) = 0;
    // The text is complete: the control takes it as its value.
    virtual void ResetToValue() = 0;
};

class THtmlParser {
public:
    // Include comments nested deeper than this (a handler that includes
    // itself) are dropped like plain comments.
    static constexpr int MaxIncludeDepth = 16;

    // Reads Doc, which stays the caller's.
    explicit THtmlParser(TBuffer* ADoc);
    ~THtmlParser();
    THtmlParser(const THtmlParser&) = delete;
    THtmlParser& operator=(const THtmlParser&) = delete;

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

    // The tokenizer, used by the element handlers. Every reader needs
    // FPropStack, which keeps the source position of the character read last.

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
    TSection* Section = nullptr;          // the open section, or none
    TCellBasic* SectionList = nullptr;    // receives finished sections and blocks
    TUrlTarget* CurrentURLTarget = nullptr;  // the open link's; made and freed by the parse
    int32_t TableLevel = 0;
    int32_t TagIndex = 0;  // where the current tag began
    bool InComment = false;
    bool InHref = false;
    bool InScript = false;  // "<" starts no comment or server tag
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

private:
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

    // The included buffers, parallel to DocStack: FIncluded[i] was read
    // above DocStack[i].
    std::vector<std::unique_ptr<TBuffer>> FIncluded;
    // Buffer positions before the last three raw reads (newest last), to
    // step back over the "--" that closes an include command.
    int32_t FReadPos[3] = {-1, -1, -1};
    TCharCollection FRun;  // a text run as it is collected
};
