#include "html/parser/HtmlParser.h"

#include "html/text/Properties.h"

// Still to come: the doctype scan, the link and build passes of ParseHtml,
// plain-text parsing and the title. Until then a load yields an empty
// document in standards mode with no title.

bool THtmlParser::ShouldUseQuirksMode() { return false; }

void THtmlParser::ParseHtml(ThtDocument*, TIncludeType, TSoundType, TMetaType, TLinkType) {}

void THtmlParser::ParseText(ThtDocument*) {}

std::u16string THtmlParser::Title() { return {}; }
