#pragma once
// The HTML viewer the program's windows place.
#include "html/viewer/HtmlViewer.h"
using TWindowHtmlViewer = THtmlViewer;
