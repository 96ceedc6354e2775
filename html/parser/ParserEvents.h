#pragma once
// The handlers a parse raises, each with the viewer as sender. A handler is
// there when the function is set.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TBuffer;
class TObject;
class TStrings;

// An include comment "<!--#command name=value ...-->": the handler may give a
// document whose text is read in place of the comment (the parser frees it).
using TIncludeType = std::function<void(TObject* Sender, const std::u16string& Command, TStrings* Params,
                                        std::unique_ptr<TBuffer>& IncludedDocument)>;
using TSoundType = std::function<void(TObject* Sender, const std::u16string& SRC, int32_t Loop, bool Terminate)>;
using TMetaType = std::function<void(TObject* Sender, const std::u16string& HttpEq, const std::u16string& Name,
                                     const std::u16string& Content)>;
using TLinkType = std::function<void(TObject* Sender, const std::u16string& Rel, const std::u16string& Rev,
                                     const std::u16string& Href)>;
// The contents of a script element, with its name, type and source attributes.
using TScriptHandler =
    std::function<void(TObject* Sender, const std::u16string& Name, const std::u16string& ContentType,
                       const std::u16string& Src, const std::u16string& Script)>;
