#pragma once
// The faces and frames of form controls in print pictures: a print copy of
// a page draws its controls instead of showing their windows.
#include "html/layout/ModelTypes.h"
#include "platform/framework/Graphics.h"

// Fills (Left, Top, Right, Bottom) with the colour through the visual style
// (when the style elements hold the client); the brush is restored.
void FillFormControlFace(TCanvas* Canvas, int Left, int Top, int Right, int Bottom, TColor Color,
                         TStyleElements StyleElements);

// A control's face with a 3-D frame two pixels wide: sunken (shadow left and
// top, highlight right and bottom) or raised (the other way round). A
// disabled control shows the button face. With Mono on a monochrome device
// the face is white and the frame one pixel wide, black left and top and
// silver right and bottom. The pen and brush are restored.
void DrawFormControlFrame(TCanvas* Canvas, int Left, int Top, int Right, int Bottom, TStyleElements StyleElements,
                          TColor Color, bool Disabled, bool Mono, bool Raised);

// Whether the canvas draws on a device with one bit per pixel and one plane.
bool IsMonochromeCanvas(TCanvas* Canvas);
