#pragma once
// The HTML viewer the program's windows place. Until they switch over for
// good it is the provisional one; a developer's build with
// -DZRX_REAL_HTML_VIEWER=ON puts the HTML component's own viewer there.
#ifdef ZRX_REAL_HTML_VIEWER
#include "html/viewer/HtmlViewer.h"
using TWindowHtmlViewer = THtmlViewer;
#else
#include "html/layout/ProvisionalHtmlViewer.h"
using TWindowHtmlViewer = TProvisionalHtmlViewer;
#endif
