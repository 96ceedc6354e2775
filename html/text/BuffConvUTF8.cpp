#include "html/text/BuffConvUTF8.h"

#include "html/text/Utf8Decode.h"

char16_t TBuffConvUTF8::NextChar() {
    return DecodeUtf8Unit([this] { return NextUnit(); }, [this] { return FPos; }, [this](TBuffPointer p) { FPos = p; });
}
