#pragma once
// Pieces whose real bodies come later. Each keeps the name and the effect
// its callers rely on, with the least behaviour that lets the program run;
// the code that builds the real piece replaces its entry here.

class THtmlViewer;

// The program's HTML colour helper (least body until the application
// helpers have it): gives the viewer the program's HTML background 0xFCFFFF.
void setHtmlViewerColor(THtmlViewer* viewer);
