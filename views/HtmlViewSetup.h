#pragma once
// What the program's HTML views share: the viewers' defaults and the dialogs
// that save a view as HTML and print its pages.
#include "html/viewer/WindowViewer.h"

class TComponent;
class TPrintDialog;
class TSaveDialog;

// The page range a view prints: all of its pages.
constexpr int kPrintFirstPage = 1, kPrintLastPage = 9999;

// Single border, Cyrillic character set, the information background, 8-point
// Tahoma, preFont for preformatted text.
void setupHtmlViewer(TWindowHtmlViewer* viewer, const char* preFont = "Courier New");
// The save dialog of a view: ".html" files, asking before it overwrites one,
// leaving the current folder as it was.
TSaveDialog* makeHtmlSaveDialog(TComponent* owner, const char* name);
// The print dialog of a view: page numbers over the whole range.
TPrintDialog* makePagePrintDialog(TComponent* owner, const char* name);
