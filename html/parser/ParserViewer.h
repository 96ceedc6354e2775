#pragma once
// What the parser asks of the viewer that loads a document, beyond what the
// document model asks of it (ThtDocumentOwner); the viewer (html/viewer)
// implements both. A document whose owner is not such a viewer parses the
// same, without the viewer's margins, code page, linked-sheet requests and
// object handler.
//
// Also the frame viewer the frame-document walk works for: its operations
// are abstract, and nothing in this program implements them.
#include <cstdint>
#include <functional>
#include <string>

#include "html/parser/ParserEvents.h"
#include "platform/framework/Classes.h"

class TAttributeList;
class TStream;
class TStringList;
class TWinControl;

// OnhtStreamRequest: the stream of a linked file (it stays the handler's), or null.
using ThtStreamRequestEvent = std::function<void(TObject* Sender, const std::u16string& SRC, TStream*& Stream)>;
// OnObjectTag: an OBJECT element's panel control with the tag's attributes
// and its PARAM values ("NAME=value" lines); WantPanel keeps the panel.
using ThtObjectTagEvent = std::function<void(TObject* Sender, TWinControl* Panel, const TStringList& Attributes,
                                             const TStringList& Params, bool& WantPanel)>;

class ThtParserViewer {
public:
    virtual ~ThtParserViewer() = default;
    // The viewer's MarginHeight and MarginWidth, where the body's margins start.
    virtual int32_t ParserMarginHeight() = 0;
    virtual int32_t ParserMarginWidth() = 0;
    // The code page of the document's base property set, for the viewer's CodePage.
    virtual void ParserSetCodePage(int CodePage) = 0;
    // The viewer's OnhtStreamRequest and OnObjectTag, empty when not assigned.
    virtual ThtStreamRequestEvent ParserStreamRequest() = 0;
    virtual ThtObjectTagEvent ParserObjectTag() = 0;
};

// A frame set of the frame viewer's making.
class TFrameSetBase : public TObject {
public:
    // The title, base and base target of the frame document, once it is read.
    virtual void SetTitleAndBase(const std::u16string& Title, const std::u16string& Base,
                                 const std::u16string& BaseTarget) = 0;
};

class TFrameViewerBase {
public:
    virtual ~TFrameViewerBase() = default;
    // The viewer as Sender of the events.
    virtual TObject* FrameViewerObject() = 0;
    // A frame set inside FrameSet (the viewer keeps it).
    virtual TFrameSetBase* CreateSubFrameSet(TFrameSetBase* FrameSet) = 0;
    virtual void AddFrame(TFrameSetBase* FrameSet, TAttributeList* Attributes, const std::u16string& FName) = 0;
    virtual void DoAttributes(TFrameSetBase* FrameSet, TAttributeList* Attributes) = 0;

    TIncludeType OnInclude;
    TSoundType OnSoundRequest;
    TLinkType OnLink;
    TScriptHandler OnScript;
};
