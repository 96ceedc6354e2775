// Recorded pages (the framework's metafiles): what a device context is given
// to draw, kept with the state it was drawn in, and replayed onto any device
// context, scaled into a rectangle. Print preview, page counting and
// off-screen pictures record pages with them; TRecordingDC, by contrast,
// only logs.
//
// A page is recorded through a TMetafileCanvas, which measures text on a
// reference device (a printer's information context, or the screen): the
// page keeps the glyph positions measured there, so a replay on another
// device shows the same lines, scaled, whatever that device's fonts measure.
#pragma once

#include <memory>

#include "platform/framework/DeviceContext.h"
#include "platform/framework/Graphics.h"

class TMetafile : public TGraphic {
    DECLARE_CLASS(TMetafile)
    TMetafile();
    ~TMetafile() override;
    // The page's size in device pixels of the device it was recorded for:
    // set before recording, or taken from the reference device when the
    // page is recorded without one.
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    void SetSize(int w, int h);
    void SetWidth(int w) { SetSize(w, FHeight); }
    void SetHeight(int h) { SetSize(FWidth, h); }
    // Nothing recorded.
    bool Empty() const override;
    // Pages live in memory; there is no file form.
    bool LoadFromFile(const String&) override { return false; }
    bool SaveToFile(const String&) const override { return false; }
    void Assign(TPersistent* Source) override;
    void Clear();
    // The facts of the device the page was measured on.
    TDeviceCaps ReferenceCaps() const;
    // The number of drawing operations recorded.
    int RecordCount() const;

    // Replays the page onto dc: the page's surface (0, 0, Width, Height) is
    // scaled into `dest` (logical units of dc), what lies outside `dest` and
    // outside dc's clip does not show, and dc's state is as it was
    // afterwards. A page without a size is replayed at its own scale with
    // its origin at dest's top left corner.
    void Play(TDeviceContext* dc, const TRect& dest) const;

    struct Page;

private:
    friend class TMetafileCanvas;
    std::shared_ptr<const Page> FPage;  // recorded pages never change: copies share them
    int FWidth = 0, FHeight = 0;
};

// The canvas a page is recorded through. Its surface is the metafile's size
// (the reference device's printable area when the metafile has none); it
// measures text as the reference device does (the screen when none is
// given); the reference need not outlive it. Freeing the canvas completes
// the page, which then replaces what the metafile held.
class TMetafileCanvas : public TCanvas {
    DECLARE_CLASS(TMetafileCanvas)
    TMetafileCanvas(TMetafile* metafile, TDeviceContext* reference);
    ~TMetafileCanvas() override;
    TMetafileCanvas(const TMetafileCanvas&) = delete;
    TMetafileCanvas& operator=(const TMetafileCanvas&) = delete;

    class Recorder;

private:
    TMetafile* FMetafile;
    std::unique_ptr<Recorder> FRecorder;
};
