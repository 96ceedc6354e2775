#pragma once
// The converter base: decodes a buffer's bytes into UTF-16 units. It hands
// out the stored units unchanged, which serves UTF-16 (1200, 1201) and
// ISO 8859-1 (28591); every other code page has a converter class of its own.
#include <cstdint>
#include <memory>
#include <string>

class TBuffConverter;

// A read position inside a buffer's bytes.
using TBuffPointer = const uint8_t*;

// The class reference by which converters are made: the code-page table names
// one per code page, and a buffer exchanges its converter through it.
struct TBuffConverterClassRec {
    const char* Name;
    std::unique_ptr<TBuffConverter> (*Make)();
};
using TBuffConverterClass = const TBuffConverterClassRec*;

class TBuffConverter {
public:
    virtual ~TBuffConverter() = default;

    // The virtual constructor: a converter of the class reading [CurrPtr, EndPtr).
    static std::unique_ptr<TBuffConverter> Create(TBuffConverterClass Class, TBuffPointer CurrPtr, TBuffPointer EndPtr,
                                                  int CodePage, int InitalCodePage);
    // A converter of the class whose state is taken from Source.
    static std::unique_ptr<TBuffConverter> CreateCopy(TBuffConverterClass Class, const TBuffConverter& Source);

    // Copies the position, end and both code pages; converters with decoding
    // state rebuild it for their own code page.
    virtual void Assign(const TBuffConverter& Source);
    // The next UTF-16 unit; 0 at the end.
    virtual char16_t NextChar();
    // The rest of the text; the read position does not move.
    virtual std::u16string AsString();
    // The next unit, leaving position and state as they are.
    char16_t PeekChar();

    int CodePage() const { return FCodePage; }
    int InitalCodePage() const { return FInitalCodePage; }
    TBuffConverterClass ClassType() const { return FClass; }

protected:
    // The body of the virtual constructor.
    virtual void Init(TBuffPointer CurrPtr, TBuffPointer EndPtr, int CodePage, int InitalCodePage);
    // One storage unit: a little- or big-endian 16-bit unit for storage 1200
    // or 1201, a byte otherwise; 0 at or past the end, without moving.
    char16_t NextUnit();

    TBuffPointer FPos = nullptr;
    TBuffPointer FEnd = nullptr;
    int FCodePage = 0;
    int FInitalCodePage = 0;

private:
    friend class TBuffer;
    TBuffConverterClass FClass = nullptr;
};
