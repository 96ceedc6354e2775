#include "html/text/PropertyArray.h"

#include <bit>
#include <utility>

namespace {

// The block of a position and the position's place in it.
unsigned blockOf(unsigned Pos) { return unsigned(std::bit_width(Pos + 2u)) - 2u; }
unsigned blockStart(unsigned Block) { return (2u << Block) - 2u; }

}  // namespace

const ThtVariant& ThtPropertyArray::InitialValue(size_t I) {
    static const ThtVariant unassigned;
    static const ThtVariant autoValue = int64_t(AutoSentinel);
    static const ThtVariant zero = int64_t(0);
    if (I >= size_t(MarginTop) && I <= size_t(BorderSpacingVert)) return autoValue;
    if (I == size_t(ZIndex)) return zero;
    return unassigned;
}

ThtVariant& ThtPropertyArray::Value(unsigned Pos) const {
    const unsigned b = blockOf(Pos);
    return FBlocks[b][Pos - blockStart(b)];
}

ThtVariant& ThtPropertyArray::Add(size_t I) {
    const unsigned pos = FCount;
    const unsigned b = blockOf(pos);
    if (!FBlocks[b]) FBlocks[b] = std::make_unique<ThtVariant[]>(2u << b);
    ThtVariant& v = FBlocks[b][pos - blockStart(b)];
    v = InitialValue(I);
    FSlot[I] = uint8_t(pos + 1);
    ++FCount;
    return v;
}

ThtPropertyArray::ThtPropertyArray(const ThtPropertyArray& Other) { *this = Other; }

ThtPropertyArray& ThtPropertyArray::operator=(const ThtPropertyArray& Other) {
    if (this == &Other) return *this;
    // Same positions, so the slots copy as they are.
    std::array<std::unique_ptr<ThtVariant[]>, BlockCount> blocks;
    for (unsigned pos = 0; pos < Other.FCount; ++pos) {
        const unsigned b = blockOf(pos);
        if (!blocks[b]) blocks[b] = std::make_unique<ThtVariant[]>(2u << b);
        blocks[b][pos - blockStart(b)] = Other.Value(pos);
    }
    FBlocks = std::move(blocks);
    FSlot = Other.FSlot;
    FCount = Other.FCount;
    return *this;
}

ThtPropertyArray& ThtPropertyArray::operator=(ThtPropertyArray&& Other) noexcept {
    if (this == &Other) return *this;
    FBlocks = std::move(Other.FBlocks);
    FSlot = Other.FSlot;
    FCount = Other.FCount;
    Other.Reset();
    return *this;
}

void ThtPropertyArray::Reset() {
    FSlot.fill(0);
    FCount = 0;
    for (auto& b : FBlocks) b.reset();
}

bool operator==(const ThtPropertyArray& A, const ThtPropertyArray& B) {
    for (size_t i = 0; i < ThtPropertyArray::size(); ++i)
        if (!(A[i] == B[i])) return false;
    return true;
}
