#pragma once
// A whole document in memory as bytes, handed out one UTF-16 unit at a time
// by an exchangeable converter. The bytes are always followed by two zero
// bytes, and no read ever leaves them.
#include <cstdint>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "html/text/BuffConverter.h"

enum TBufferStateFlag : uint32_t { bsFixedCodePage = 1 };
using TBufferState = uint32_t;

class TBuffer {
public:
    // The rest of the stream; the code page comes from a byte-order mark, the
    // ISO-2022-JP escapes, or is the default one.
    TBuffer(std::istream& Stream, std::u16string Name);
    TBuffer(std::istream& Stream, int CodePage, std::u16string Name);
    // UTF-16 text kept as it is (storage 1200); the code page is fixed.
    TBuffer(std::u16string_view Text, std::u16string Name, int CodePage);
    TBuffer(std::u16string_view Text, int CodePage, std::u16string Name);
    // Bytes in the code page; InitialCodePage is their storage form.
    TBuffer(const void* Text, size_t ByteCount, int CodePage, std::u16string Name);
    TBuffer(const void* Text, size_t ByteCount, int CodePage, int InitialCodePage, std::u16string Name);
    // A copy that reads from the start of the content.
    TBuffer(const TBuffer& Doc);
    TBuffer& operator=(const TBuffer&) = delete;
    virtual ~TBuffer();

    virtual void Assign(const TBuffer& Source);
    // Writes the content bytes (byte-order mark included) to the stream.
    virtual void AssignTo(std::ostream* Destin) const;

    void SetCodePage(int Value);
    // Exchanges the converter, keeping the read position.
    void ChangeConverter(int CodePage, int StorageForm);

    char16_t NextChar();
    char16_t PeekChar();
    std::u16string AsString();
    // The text decoded between two byte positions (as Position counts them).
    std::u16string GetString(int FromIndex, int UntilIndex);

    // The converter's code page, -1 without a converter.
    int CodePage() const;
    // Byte offset of the read position from the first byte (a byte-order mark counts).
    int Position() const;
    // Moves the read position; kept between 0 and Size.
    void SetPosition(int Value);
    // Content bytes including any byte-order mark.
    int Size() const { return int(FBuffer.size()) - 2; }
    const std::u16string& Name() const { return FName; }
    uint32_t BomLength() const { return FBomLength; }
    TBufferState State() const { return FState; }
    const TBuffConverter* Converter() const { return FConverter.get(); }

    static std::u16string Convert(std::u16string_view Text, int CodePage);
    static std::u16string Convert(const void* Text, size_t ByteCount, int CodePage);
    static std::u16string Convert(const void* Text, size_t ByteCount, int CodePage, int InitialCodePage);

private:
    // The code page of stream content: a byte-order mark, ISO-2022-JP escapes, else 0.
    void DetectCodePage();
    void LoadFromStream(std::istream& Stream);
    void LoadBytes(const void* Text, size_t ByteCount);
    bool HasIso2022JpEscapes() const;

    std::vector<uint8_t> FBuffer;
    size_t FStart = 0;  // first content byte, after a byte-order mark
    size_t FEnd = 0;    // first of the two zero bytes
    std::u16string FName;
    std::unique_ptr<TBuffConverter> FConverter;
    TBufferState FState = 0;
    uint32_t FBomLength = 0;
};
