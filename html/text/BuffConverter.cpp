#include "html/text/BuffConverter.h"

#include "html/text/BuffConverterClasses.h"

std::unique_ptr<TBuffConverter> TBuffConverter::Create(TBuffConverterClass Class, TBuffPointer CurrPtr,
                                                       TBuffPointer EndPtr, int CodePage, int InitalCodePage) {
    if (!Class) Class = &BuffConverterClass;
    auto c = Class->Make();
    c->FClass = Class;
    c->Init(CurrPtr, EndPtr, CodePage, InitalCodePage);
    return c;
}

std::unique_ptr<TBuffConverter> TBuffConverter::CreateCopy(TBuffConverterClass Class, const TBuffConverter& Source) {
    if (!Class) Class = &BuffConverterClass;
    auto c = Class->Make();
    c->FClass = Class;
    c->Assign(Source);
    return c;
}

void TBuffConverter::Init(TBuffPointer CurrPtr, TBuffPointer EndPtr, int CodePage, int InitalCodePage) {
    FPos = CurrPtr;
    FEnd = EndPtr;
    FCodePage = CodePage;
    FInitalCodePage = InitalCodePage;
}

void TBuffConverter::Assign(const TBuffConverter& Source) {
    FPos = Source.FPos;
    FEnd = Source.FEnd;
    FCodePage = Source.FCodePage;
    FInitalCodePage = Source.FInitalCodePage;
}

char16_t TBuffConverter::NextUnit() {
    if (FPos >= FEnd) return 0;
    // A 16-bit unit may take the first of the two zero bytes after the content
    // when the content has an odd length; those bytes are always there.
    switch (FInitalCodePage) {
    case 1200: {
        const char16_t u = char16_t(FPos[0] | (FPos[1] << 8));
        FPos += 2;
        return u;
    }
    case 1201: {
        const char16_t u = char16_t((FPos[0] << 8) | FPos[1]);
        FPos += 2;
        return u;
    }
    default: return char16_t(*FPos++);
    }
}

char16_t TBuffConverter::NextChar() { return NextUnit(); }

char16_t TBuffConverter::PeekChar() {
    auto probe = CreateCopy(FClass, *this);
    return probe->NextChar();
}

std::u16string TBuffConverter::AsString() {
    std::u16string out;
    const ptrdiff_t n = FEnd - FPos;
    if (n <= 0) return out;
    if (FCodePage == 1200 && FInitalCodePage == 1200) {
        out.resize(size_t(n / 2));
        for (size_t i = 0; i < out.size(); ++i) out[i] = char16_t(FPos[2 * i] | (FPos[2 * i + 1] << 8));
        return out;
    }
    // Read through a copy, so neither the position nor any decoding state moves.
    auto reader = CreateCopy(FClass, *this);
    out.reserve(size_t(n));
    while (out.size() < size_t(n) && reader->FPos < reader->FEnd) {
        const char16_t c = reader->NextChar();
        if (c == 0) break;
        out.push_back(c);
    }
    return out;
}
