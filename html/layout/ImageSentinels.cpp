#include "html/layout/ImageSentinels.h"

TMemoryStream* WaitStream() {
    static TMemoryStream s;
    return &s;
}

TMemoryStream* ErrorStream() {
    static TMemoryStream s;
    return &s;
}

TBitmap* WaitBitmap() {
    static TBitmap b;
    return &b;
}

TBitmap* ErrorBitmap() {
    static TBitmap b;
    return &b;
}

ThtDrawError& LastDrawError() {
    static ThtDrawError e;
    return e;
}
