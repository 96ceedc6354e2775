// The Qt backend of the device context: a QPainter on an image, a widget or
// a printer. Platform code only (widgets' paint events, printers, tests that
// look at the pixels); the system's code draws through TCanvas.
#pragma once

#include <memory>

#include "platform/framework/DeviceContext.h"

class QPainter;
class QPaintDevice;
class QFont;

// The facts of a paint device (resolution, depth, size; a printer's paper
// and printable area).
TDeviceCaps DeviceCapsOf(QPaintDevice* dev);

// A context drawing through an active painter, which must outlive it. Its
// caps come from the painter's device unless given.
std::unique_ptr<TDeviceContext> NewQtDeviceContext(QPainter* painter);
std::unique_ptr<TDeviceContext> NewQtDeviceContext(QPainter* painter, const TDeviceCaps& caps);
// A context drawing on a bitmap; it opens a painter when it draws and lets
// go of it when the bitmap's pixels are read.
std::unique_ptr<TDeviceContext> NewBitmapDeviceContext(TBitmap* bmp);
// The same, reporting another device's facts (pixels per inch, depth, paper)
// at the bitmap's size: drawing off-screen at that device's resolution.
std::unique_ptr<TDeviceContext> NewBitmapDeviceContext(TBitmap* bmp, const TDeviceCaps& device);
// A context that answers a device's facts and measures text as it does but
// has no pixels (drawing on it does nothing): a printer's information
// context while no job runs. Its surface is the printable area.
std::unique_ptr<TDeviceContext> NewInfoDeviceContext(const TDeviceCaps& caps);

// The Qt font of a logical font (heights in pixels of the painter's units).
QFont QtFontOf(const TLogFont& f);
