#include "html/text/Buffer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "html/text/BuffConverterClasses.h"
#include "html/text/CodePages.h"

namespace {

TBuffConverterClass classOfCodePage(TBuffConvInfoList& infos, int CodePage) {
    int i = infos.Find(CodePage);
    if (i < 0) i = infos.Find(-1);
    return i < 0 ? &BuffConverterClass : infos.Items(i).Converter();
}

}  // namespace

TBuffer::TBuffer(std::istream& Stream, std::u16string Name) : FName(std::move(Name)) {
    LoadFromStream(Stream);
    DetectCodePage();
}

TBuffer::TBuffer(std::istream& Stream, int CodePage, std::u16string Name) : FName(std::move(Name)) {
    LoadFromStream(Stream);
    SetCodePage(CodePage);
}

TBuffer::TBuffer(std::u16string_view Text, std::u16string Name, int CodePage) : FName(std::move(Name)) {
    FBuffer.resize(Text.size() * 2 + 2);
    for (size_t i = 0; i < Text.size(); ++i) {
        FBuffer[2 * i] = uint8_t(Text[i] & 0xFF);
        FBuffer[2 * i + 1] = uint8_t(Text[i] >> 8);
    }
    FStart = 0;
    FEnd = Text.size() * 2;
    ChangeConverter(CodePage, 1200);
    FState |= bsFixedCodePage;
}

TBuffer::TBuffer(std::u16string_view Text, int CodePage, std::u16string Name)
    : TBuffer(Text, std::move(Name), CodePage) {}

TBuffer::TBuffer(const void* Text, size_t ByteCount, int CodePage, std::u16string Name)
    : TBuffer(Text, ByteCount, CodePage, CodePage, std::move(Name)) {}

TBuffer::TBuffer(const void* Text, size_t ByteCount, int CodePage, int InitialCodePage, std::u16string Name)
    : FName(std::move(Name)) {
    LoadBytes(Text, ByteCount);
    ChangeConverter(CodePage, InitialCodePage);
}

TBuffer::TBuffer(const TBuffer& Doc) { Assign(Doc); }

TBuffer::~TBuffer() = default;

void TBuffer::LoadBytes(const void* Text, size_t ByteCount) {
    if (!Text) ByteCount = 0;
    FBuffer.assign(ByteCount + 2, 0);
    if (ByteCount) std::memcpy(FBuffer.data(), Text, ByteCount);
    FStart = 0;
    FEnd = ByteCount;
}

void TBuffer::LoadFromStream(std::istream& Stream) {
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(Stream)), std::istreambuf_iterator<char>());
    LoadBytes(bytes.data(), bytes.size());
}

void TBuffer::Assign(const TBuffer& Source) {
    FBuffer = Source.FBuffer;
    FStart = Source.FStart;
    FEnd = Source.FEnd;
    FName = Source.FName;
    FConverter.reset();
    if (Source.FConverter)
        FConverter =
            TBuffConverter::Create(Source.FConverter->ClassType(), FBuffer.data() + FStart, FBuffer.data() + FEnd,
                                   Source.FConverter->CodePage(), Source.FConverter->InitalCodePage());
    FState = Source.FState;
    FBomLength = Source.FBomLength;
}

void TBuffer::AssignTo(std::ostream* Destin) const {
    if (!Destin) return;
    Destin->write(reinterpret_cast<const char*>(FBuffer.data()), std::streamsize(Size()));
}

bool TBuffer::HasIso2022JpEscapes() const {
    const uint8_t* data = FBuffer.data();
    // Searches stop at the first zero byte; with lastByteCounts false an
    // occurrence ending on the last content byte is not found.
    // Searches stop at the first zero byte; for the first two escapes an
    // occurrence ending on the last content byte does not count.
    auto findBytes = [&](size_t from, const uint8_t(&pat)[3], bool mayEndAtLast) -> size_t {
        for (size_t i = from; i + 3 <= FEnd && data[i] != 0; ++i) {
            if (std::memcmp(data + i, pat, 3) != 0) continue;
            return (!mayEndAtLast && i + 3 == FEnd) ? SIZE_MAX : i;
        }
        return SIZE_MAX;
    };
    static const uint8_t escAt[3] = {0x1B, 0x24, 0x40}, escB[3] = {0x1B, 0x24, 0x42};
    static const uint8_t escJ[3] = {0x1B, 0x28, 0x4A}, escParenB[3] = {0x1B, 0x28, 0x42};
    const size_t a = findBytes(FStart, escAt, false), b = findBytes(FStart, escB, false);
    if (a == SIZE_MAX && b == SIZE_MAX) return false;
    const size_t later = (a == SIZE_MAX) ? b : (b == SIZE_MAX ? a : std::max(a, b));
    return findBytes(later, escJ, true) != SIZE_MAX || findBytes(later, escParenB, true) != SIZE_MAX;
}

void TBuffer::DetectCodePage() {
    FConverter.reset();
    const size_t count = FEnd - FStart;
    const uint8_t* p = FBuffer.data() + FStart;
    if (count >= 2) {
        int cp = 0;
        uint32_t bom = 0;
        if (p[0] == 0xFF && p[1] == 0xFE) {
            cp = 1200;
            bom = 2;
        } else if (p[0] == 0xFE && p[1] == 0xFF) {
            cp = 1201;
            bom = 2;
        } else if (p[0] == 0xEF && p[1] == 0xBB && count >= 3 && p[2] == 0xBF) {
            cp = 65001;
            bom = 3;
        }
        if (bom) {
            FStart += bom;
            FBomLength = bom;
            SetCodePage(cp);
            FState |= bsFixedCodePage;
            return;
        }
    }
    if (HasIso2022JpEscapes()) {
        SetCodePage(50220);
        FState |= bsFixedCodePage;
        return;
    }
    SetCodePage(0);
}

void TBuffer::ChangeConverter(int CodePage, int StorageForm) {
    TBuffConvInfoList* infos = BuffConvInfos();
    if (!infos) return;
    if (FConverter) {
        if (FConverter->CodePage() == CodePage) return;
        FConverter->FCodePage = CodePage;
        FConverter->FInitalCodePage = StorageForm;
        FConverter = TBuffConverter::CreateCopy(classOfCodePage(*infos, CodePage), *FConverter);
    } else {
        FConverter = TBuffConverter::Create(classOfCodePage(*infos, CodePage), FBuffer.data() + FStart,
                                            FBuffer.data() + FEnd, CodePage, StorageForm);
    }
}

void TBuffer::SetCodePage(int Value) {
    if (FState & bsFixedCodePage) return;
    ChangeConverter(Value, FConverter ? FConverter->InitalCodePage() : Value);
}

char16_t TBuffer::NextChar() { return FConverter ? FConverter->NextChar() : 0; }
char16_t TBuffer::PeekChar() { return FConverter ? FConverter->PeekChar() : 0; }
std::u16string TBuffer::AsString() { return FConverter ? FConverter->AsString() : std::u16string(); }

std::u16string TBuffer::GetString(int FromIndex, int UntilIndex) {
    std::u16string out;
    if (!FConverter || UntilIndex - FromIndex < 1) return out;
    UntilIndex = std::min(UntilIndex, Size());
    const int saved = Position();
    SetPosition(FromIndex);
    for (int pos = Position(); pos < UntilIndex;) {
        out.push_back(NextChar());
        const int next = Position();
        if (next <= pos) break;  // at the end: reads no longer move
        pos = next;
    }
    SetPosition(saved);
    return out;
}

int TBuffer::CodePage() const { return FConverter ? FConverter->CodePage() : -1; }

int TBuffer::Position() const { return FConverter ? int(FConverter->FPos - FBuffer.data()) : 0; }

void TBuffer::SetPosition(int Value) {
    if (!FConverter) return;
    Value = std::clamp(Value, 0, Size());
    FConverter->FPos = FBuffer.data() + Value;
}

std::u16string TBuffer::Convert(std::u16string_view Text, int CodePage) {
    TBuffer b(Text, std::u16string(), CodePage);
    return b.AsString();
}

std::u16string TBuffer::Convert(const void* Text, size_t ByteCount, int CodePage) {
    TBuffer b(Text, ByteCount, CodePage, std::u16string());
    return b.AsString();
}

std::u16string TBuffer::Convert(const void* Text, size_t ByteCount, int CodePage, int InitialCodePage) {
    TBuffer b(Text, ByteCount, CodePage, InitialCodePage, std::u16string());
    return b.AsString();
}
