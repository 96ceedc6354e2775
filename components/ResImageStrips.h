// The program's bitmap strips (16 by 16 images side by side on a magenta
// background, the transparent colour), drawn here and registered as the
// named bitmap resources the windows' image lists load.
#pragma once

// Registers the strips once; later calls do nothing.
void registerProgramBitmapStrips();
