// Image lists: equal-sized pictures cut from bitmap strips, and the
// program's named bitmap resources.
#pragma once

#include <functional>
#include <vector>

#include "platform/framework/Graphics.h"

class QImage;
class TCustomImageList;

// Watches an image list for its owner: OnChange runs whenever the list's
// pictures change. A link unregisters itself when it goes.
class TChangeLink {
public:
    TChangeLink() = default;
    TChangeLink(const TChangeLink&) = delete;
    TChangeLink& operator=(const TChangeLink&) = delete;
    ~TChangeLink();
    TCustomImageList* Sender() const { return FSender; }
    std::function<void()> OnChange;

private:
    friend class TCustomImageList;
    TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
    DECLARE_CLASS(TCustomImageList)
    explicit TCustomImageList(TComponent* AOwner);
    ~TCustomImageList() override;
    int Width() const { return FWidth; }
    void SetWidth(int v);
    int Height() const { return FHeight; }
    void SetHeight(int v);
    int Count() const { return int(FImages.size()); }
    bool Masked() const { return FMasked; }
    void SetMasked(bool v) { FMasked = v; }
    // Cuts the strip into images of the list's width (a last narrower piece
    // is dropped); with a mask colour other than clNone, pixels of that
    // colour become transparent. Answers the index of the first image added,
    // -1 when none was.
    int AddMasked(const TBitmap* strip, TColor maskColor);
    int Add(const TBitmap* strip) { return AddMasked(strip, clNone); }
    void Delete(int i);
    void Clear();
    // Image i into a bitmap (transparent pixels kept); false out of range.
    bool GetBitmap(int i, TBitmap* dest) const;
    void Draw(TCanvas* canvas, int X, int Y, int i) const;
    const QImage* Image(int i) const;  // platform code
    TNotifyEvent OnChange;
    // Links are told of every change after OnChange; a link watches one list.
    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);

private:
    void Changed();
    std::vector<TChangeLink*> FLinks;
    int FWidth = 16, FHeight = 16;
    bool FMasked = true;
    std::vector<QImage*> FImages;
};

class TImageList : public TCustomImageList {
    DECLARE_CLASS(TImageList)
    explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
};

// Named bitmap resources of the program: a resource is drawn (or read) by
// the function registered under its name, without regard to case.
using TBitmapResourceMaker = std::function<bool(TBitmap& dest)>;
void RegisterBitmapResource(const String& name, TBitmapResourceMaker maker);
// False when no resource has that name or its maker failed.
bool LoadBitmapResource(const String& name, TBitmap& dest);
