#pragma once
// Start-up pieces whose windows and engines come later. Each keeps the name
// and the effect the start-up relies on, with the least behaviour that lets
// the program start and end correctly; the code that builds the real piece
// replaces its entry here.
#include "platform/framework/ActnList.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"

class THtmlViewer;

// The program's HTML colour helper (least body until the application
// helpers exist): gives the viewer the program's HTML background 0xFCFFFF.
void setHtmlViewerColor(THtmlViewer* viewer);

// HTML text window (least body until the window exists): shows nothing and
// answers false. The updater's information page goes through it.
bool viewHtmlText(const char* html, bool withExecute, const char* caption, const char* fourth);
