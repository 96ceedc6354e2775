#pragma once
// The document's style list: a style list that tells its document when a
// rule asks for hover, and takes the document's quirks flag when made.
#include "html/text/StyleList.h"

class ThtParserDocument;

class THtmlStyleList : public TStyleList {
public:
    // AMasterList may be null: a list of no document, in standards mode.
    explicit THtmlStyleList(ThtParserDocument* AMasterList);
    void SetLinksActive(bool Value) override;

    ThtParserDocument* Document = nullptr;
};
