#include "platform/framework/ImgList.h"

#include <QImage>
#include <QPainter>

#include <map>

#include "platform/framework/QtBridge.h"

IMPLEMENT_CLASS(TCustomImageList, TComponent) {
    r.Integer("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth);
    r.Integer("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight);
    r.Boolean("Masked", &TCustomImageList::Masked, &TCustomImageList::SetMasked);
}

IMPLEMENT_CLASS(TImageList, TCustomImageList) {}

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::~TCustomImageList() {
    for (auto* link : FLinks) link->FSender = nullptr;
    for (auto* i : FImages) delete i;
    FImages.clear();
}

TChangeLink::~TChangeLink() {
    if (FSender) FSender->UnRegisterChanges(this);
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
    if (!link || link->FSender == this) return;
    if (link->FSender) link->FSender->UnRegisterChanges(link);
    link->FSender = this;
    FLinks.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
    if (!link || link->FSender != this) return;
    std::erase(FLinks, link);
    link->FSender = nullptr;
}

void TCustomImageList::Changed() {
    fire(OnChange, this);
    // A handler may unregister links: walk a copy.
    const std::vector<TChangeLink*> links = FLinks;
    for (auto* link : links)
        if (link->FSender == this && link->OnChange) link->OnChange();
}

// A new size empties the list, as the images no longer fit it.
void TCustomImageList::SetWidth(int v) {
    if (v <= 0 || v == FWidth) return;
    Clear();
    FWidth = v;
}

void TCustomImageList::SetHeight(int v) {
    if (v <= 0 || v == FHeight) return;
    Clear();
    FHeight = v;
}

int TCustomImageList::AddMasked(const TBitmap* strip, TColor maskColor) {
    if (!strip || strip->Empty() || FWidth <= 0) return -1;
    QImage src = strip->Image().convertToFormat(QImage::Format_ARGB32);
    if (maskColor != clNone) {
        QRgb key = toQColor(maskColor).rgb() & 0xFFFFFF;
        for (int y = 0; y < src.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(src.scanLine(y));
            for (int x = 0; x < src.width(); ++x)
                if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
        }
    }
    int first = Count();
    // A plain copy of each cell: rows below a shorter strip come out
    // transparent (a copy fills what lies outside the image with zero).
    for (int x = 0; x + FWidth <= src.width(); x += FWidth)
        FImages.push_back(new QImage(src.copy(QRect(x, 0, FWidth, FHeight))));
    if (Count() == first) return -1;
    Changed();
    return first;
}

void TCustomImageList::Delete(int i) {
    if (i < 0 || i >= Count()) return;
    delete FImages[size_t(i)];
    FImages.erase(FImages.begin() + i);
    Changed();
}

void TCustomImageList::Clear() {
    if (FImages.empty()) return;
    for (auto* i : FImages) delete i;
    FImages.clear();
    Changed();
}

const QImage* TCustomImageList::Image(int i) const { return i >= 0 && i < Count() ? FImages[size_t(i)] : nullptr; }

bool TCustomImageList::GetBitmap(int i, TBitmap* dest) const {
    const QImage* img = Image(i);
    if (!img || !dest) return false;
    dest->SetImage(*img);
    return true;
}

void TCustomImageList::Draw(TCanvas* canvas, int X, int Y, int i) const {
    const QImage* img = Image(i);
    if (!img || !canvas || !canvas->Painter()) return;
    canvas->Painter()->drawImage(QPoint(X, Y), *img);
}

namespace {
std::map<String, TBitmapResourceMaker>& resources() {
    static std::map<String, TBitmapResourceMaker> m;
    return m;
}
}  // namespace

void RegisterBitmapResource(const String& name, TBitmapResourceMaker maker) {
    resources()[UpperCase(name)] = std::move(maker);
}

bool LoadBitmapResource(const String& name, TBitmap& dest) {
    auto it = resources().find(UpperCase(name));
    if (it == resources().end() || !it->second) return false;
    try {
        return it->second(dest) && !dest.Empty();
    } catch (const std::exception&) {
        return false;
    }
}
