#pragma once
// The stored values of one property set, by property index. Only the values
// written take room, so a style rule that sets two properties holds two, not
// all 67. A value never written reads as a fresh set's: AutoSentinel for the
// box values (margins to border spacing), 0 for the z-index, unassigned for
// the rest. A reference to a value stays valid while others are written:
// values live in blocks that never move.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

#include "html/text/HtmlVariant.h"
#include "html/text/PropertyIndex.h"

class ThtPropertyArray {
public:
    ThtPropertyArray() = default;
    ThtPropertyArray(const ThtPropertyArray& Other);
    ThtPropertyArray& operator=(const ThtPropertyArray& Other);
    // The source is left a fresh set.
    ThtPropertyArray(ThtPropertyArray&& Other) noexcept { *this = std::move(Other); }
    ThtPropertyArray& operator=(ThtPropertyArray&& Other) noexcept;

    const ThtVariant& operator[](size_t I) const {
        const uint8_t s = FSlot[I];
        return s ? Value(s - 1u) : InitialValue(I);
    }
    // Makes room for the value the first time it is asked for.
    ThtVariant& operator[](size_t I) {
        const uint8_t s = FSlot[I];
        return s ? Value(s - 1u) : Add(I);
    }
    static constexpr size_t size() { return StoredPropCount; }
    // The values that take room.
    int StoredCount() const { return FCount; }
    // Back to a fresh set's values; the room is given back.
    void Reset();
    // A fresh set's value of an index.
    static const ThtVariant& InitialValue(size_t I);

    friend bool operator==(const ThtPropertyArray& A, const ThtPropertyArray& B);

private:
    // Block k holds 2 << k values, from position (2 << k) - 2 on: six blocks
    // hold the 67 values with at most one more allocation than needed.
    static constexpr int BlockCount = 6;
    ThtVariant& Value(unsigned Pos) const;
    ThtVariant& Add(size_t I);

    std::array<uint8_t, StoredPropCount> FSlot{};  // position + 1 of each written value, 0 for none
    uint8_t FCount = 0;
    std::array<std::unique_ptr<ThtVariant[]>, BlockCount> FBlocks;
};
