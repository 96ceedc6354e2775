#pragma once
// The document's depth of tables being laid out or drawn, raised for the
// length of a scope and restored on every way out of it.
#include <cstdint>

#include "html/layout/Document.h"

class TTableNestScope {
public:
    explicit TTableNestScope(ThtDocument* Document) : FDocument(Document) {
        if (FDocument) FSaved = FDocument->TableNestLevel++;
    }
    ~TTableNestScope() {
        if (FDocument) FDocument->TableNestLevel = FSaved;
    }
    TTableNestScope(const TTableNestScope&) = delete;
    TTableNestScope& operator=(const TTableNestScope&) = delete;
    // The depth inside the scope (1 for the outermost table; a table
    // without a document counts as the outermost).
    int32_t Level() const { return FDocument ? FDocument->TableNestLevel : 1; }

private:
    ThtDocument* FDocument;
    int32_t FSaved = 0;
};
