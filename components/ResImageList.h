// An image list that fills itself from one of the program's bitmap strips,
// and a one-second countdown timer.
#pragma once

#include "platform/framework/ExtCtrls.h"
#include "platform/framework/ImgList.h"

// TPixelFormat is the framework's (Graphics.h).
extern const TEnumInfo PixelFormatInfo;

// Design-time callbacks: the bitmap file of a resource name, and the pair
// (resource name, file name) when a form is written.
using TRILBitmapFileNameGetter = std::function<String(const String& resourceName)>;
using TRILBitmapFileNameWriter = std::function<void(const String& resourceName, const String& fileName)>;
void installRILBitmapFileNameFunc(TRILBitmapFileNameGetter getter, TRILBitmapFileNameWriter writer);

class TResImageList : public TImageList {
    DECLARE_CLASS(TResImageList)
    explicit TResImageList(TComponent* AOwner);
    String ResourceName() const { return FResourceName; }
    void SetResourceName(const String& v) { FResourceName = v; }
    TPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat v) { FPixelFormat = v; }
    // Replaces the images by the strip of ResourceName, transparent by its
    // bottom-left pixel; a missing resource leaves the list empty at run time.
    void LoadBitmapFile();
    bool LoadFromResource(const char* name);
    void SetBitmapFileName(const String& fileName);
    String BitmapFileName() const { return FFileName; }
    // Hands (resource name, file name) to the installed writer.
    void WriteState();

protected:
    void Loaded() override;

private:
    bool addStrip(const TBitmap& strip);
    // Remembers that the list holds just the pictures of ResourceName.
    void markLoaded();
    String FResourceName, FFileName;
    // The resource the pictures came from and their count then: loading
    // after construction skips a strip already in place.
    String FLoadedFrom;
    int FLoadedCount = -1;
    TPixelFormat FPixelFormat = pf8bit;
};

using TShowRemainEvent = std::function<void(TObject* Sender, const String& remainStr, int ARemainCount)>;

// Raises OnExecute every Period seconds and reports the time left each
// second in between; with OnlyIfIdle it stands still while a modal dialog
// other than the main form is active.
class TCInteactiveTimer : public TTimer {
    DECLARE_CLASS(TCInteactiveTimer)
    explicit TCInteactiveTimer(TComponent* AOwner);
    int Period() const { return FPeriod; }
    void SetPeriod(int n);
    bool OnlyIfIdle() const { return FOnlyIfIdle; }
    void SetOnlyIfIdle(bool v) { FOnlyIfIdle = v; }
    int Remain() const { return FRemain; }
    void showRemain(int seconds);
    // "1 ч.2 мин.5 cек.": hours and minutes only when not 0, units translated.
    static String remainText(int seconds);
    void Pause();
    void Resume();
    TNotifyEvent OnExecute;
    TShowRemainEvent OnShowRemain;

protected:
    void Timer() override;

private:
    int FPeriod = 0, FRemain = 0;
    bool FOnlyIfIdle = false;
    bool FPausedEnabled = false;
};
