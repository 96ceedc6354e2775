#include "components/ResImageList.h"

#include "components/ResImageStrips.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/TCString.h"
#include "platform/runtime/Translation.h"

const TEnumInfo PixelFormatInfo{
    "TPixelFormat", {"pfDevice", "pf1bit", "pf4bit", "pf8bit", "pf15bit", "pf16bit", "pf24bit", "pf32bit", "pfCustom"}};

namespace {
TRILBitmapFileNameGetter& getter() {
    static TRILBitmapFileNameGetter g;
    return g;
}
TRILBitmapFileNameWriter& writer() {
    static TRILBitmapFileNameWriter w;
    return w;
}
}  // namespace

void installRILBitmapFileNameFunc(TRILBitmapFileNameGetter g, TRILBitmapFileNameWriter w) {
    getter() = std::move(g);
    writer() = std::move(w);
}

// ---- TResImageList

IMPLEMENT_CLASS(TResImageList, TImageList) {
    r.Str("ResourceName", &TResImageList::ResourceName, &TResImageList::SetResourceName);
    r.Enum("PixelFormat", PixelFormatInfo, &TResImageList::PixelFormat, &TResImageList::SetPixelFormat);
}

TResImageList::TResImageList(TComponent* AOwner) : TImageList(AOwner) {}

void TResImageList::Loaded() {
    TImageList::Loaded();
    // A list filled from its resource while it was built keeps what it has:
    // loading the same strip again would only make every bar lay out anew.
    if (!IsDesigning() && !FResourceName.empty() && FLoadedFrom == FResourceName && Count() == FLoadedCount) return;
    LoadBitmapFile();
}

void TResImageList::markLoaded() {
    FLoadedFrom = FResourceName;
    FLoadedCount = Count();
}

bool TResImageList::addStrip(const TBitmap& strip) {
    if (strip.Empty()) return false;
    // Transparent by the colour of the bottom-left pixel.
    TBitmap copy;
    copy.Assign(const_cast<TBitmap*>(&strip));
    TColor mask = copy.Canvas()->Pixel(0, copy.Height() - 1);
    copy.ReleaseCanvas();
    SetMasked(true);
    return AddMasked(&copy, mask) >= 0;
}

void TResImageList::LoadBitmapFile() {
    Clear();
    registerProgramBitmapStrips();
    TBitmap strip;
    if (IsDesigning()) {
        String file = getter() ? getter()(FResourceName) : String();
        if (file.empty()) {
            ShowMessage("Bitmap '" + FResourceName + "' file name is empty!");
            return;
        }
        if (!strip.LoadFromFile(file)) {
            ShowMessage("Bitmap '" + file + "' load error: the file cannot be read");
            return;
        }
        SetHeight(strip.Height());
        if (strip.Empty()) ShowMessage("Bitmap is empty");
        addStrip(strip);
        return;
    }
    // At run time a missing resource leaves the list empty, without a word.
    if (LoadBitmapResource(FResourceName, strip) && addStrip(strip)) markLoaded();
}

bool TResImageList::LoadFromResource(const char* name) {
    registerProgramBitmapStrips();
    TBitmap strip;
    if (!name || !LoadBitmapResource(name, strip)) return false;
    Clear();
    if (!addStrip(strip)) return false;
    FResourceName = name;
    markLoaded();
    return true;
}

void TResImageList::SetBitmapFileName(const String& fileName) {
    FFileName = fileName;
    if (!IsDesigning() || !FResourceName.empty() || fileName.empty()) return;
    size_t slash = fileName.find_last_of("/\\");
    String base = slash == String::npos ? fileName : fileName.substr(slash + 1);
    FResourceName = "BMP_" + base.substr(0, base.find('.'));
}

void TResImageList::WriteState() {
    if (writer()) writer()(FResourceName, FFileName);
}

// ---- TCInteactiveTimer

IMPLEMENT_CLASS(TCInteactiveTimer, TTimer) {
    r.Integer("Period", &TCInteactiveTimer::Period, &TCInteactiveTimer::SetPeriod);
    r.Boolean("OnlyIfIdle", &TCInteactiveTimer::OnlyIfIdle, &TCInteactiveTimer::SetOnlyIfIdle);
}

TCInteactiveTimer::TCInteactiveTimer(TComponent* AOwner) : TTimer(AOwner) {
    SetInterval(1000);
    SetEnabled(false);
}

void TCInteactiveTimer::SetPeriod(int n) {
    FRemain = n;
    FPeriod = n;
    SetEnabled(n != 0);
}

void TCInteactiveTimer::Timer() {
    TTimer::Timer();
    if (FOnlyIfIdle) {
        TCustomForm* active = Screen ? Screen->ActiveForm() : nullptr;
        if (active && active != Application->MainForm() && active->IsModal()) return;
    }
    if (--FRemain > 0) {
        showRemain(FRemain);
        return;
    }
    FRemain = FPeriod;
    fire(OnExecute, this);
    FRemain = FPeriod;
}

String TCInteactiveTimer::remainText(int s) {
    int h = s / 3600, m = (s % 3600) / 60, r = s % 60;
    String t;
    if (h) t += std::to_string(h) + zrnTranslateString(" ч.").str();
    if (m) t += std::to_string(m) + zrnTranslateString(" мин.").str();
    t += std::to_string(r) + zrnTranslateString(" cек.").str();
    return t;
}

void TCInteactiveTimer::showRemain(int seconds) {
    if (OnShowRemain) OnShowRemain(this, remainText(seconds), seconds);
}

void TCInteactiveTimer::Pause() {
    FPausedEnabled = Enabled();
    SetEnabled(false);
}

void TCInteactiveTimer::Resume() { SetEnabled(FPausedEnabled); }
