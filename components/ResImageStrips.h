// The program's bitmap strips (16 by 16 images side by side on a magenta
// background, the transparent colour), drawn here and registered as the
// named bitmap resources the windows' image lists load.
#pragma once

// Pictures of the main tool-bar strip ("BMP_RootCaMainToolBar" and its
// greyed "_bl" twin) by position; the cells between are empty.
constexpr int kBarPageImage = 0, kBarOpenImage = 1, kBarSaveImage = 2, kBarPrintImage = 3, kBarCheckImage = 4,
              kBarKeyImage = 5, kBarCertificateImage = 6, kBarDeleteImage = 7, kBarExchangeImage = 8, kBarExitImage = 9,
              kBarCreateImage = 10, kBarSweepImage = 11, kBarLockImage = 12, kBarOkImage = 13,
              kBarExportCertificateImage = 15, kBarExportRequestImage = 34;
// Pictures of the object list's strip ("BMP_ObjListEditorToolBar") by position.
constexpr int kObjCreateImage = 0, kObjEditImage = 1, kObjDeleteImage = 2, kObjChooseImage = 3, kObjFindImage = 4,
              kObjPrefixImage = 5, kObjCancelImage = 6, kObjFindPrevImage = 7, kObjFindNextImage = 8,
              kObjCriticalImage = 15;
constexpr int kMainBarImageCount = 35;

// Registers the strips once; later calls do nothing.
void registerProgramBitmapStrips();
