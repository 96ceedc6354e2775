#pragma once
// A word of bit flags (TCFlags<unsigned int> is 32 bits).
template <class T = unsigned int> class TCFlags {
public:
    constexpr TCFlags() = default;
    constexpr TCFlags(T v) : v_(v) {}
    TCFlags& operator=(T v) {
        v_ = v;
        return *this;
    }
    // Sets (on) or clears (off) the given bits.
    void set(T bits, bool on = true) { v_ = on ? (v_ | bits) : (v_ & ~bits); }
    void clear(T bits) { v_ &= ~bits; }
    void clear() { v_ = 0; }
    void assign(T v) { v_ = v; }
    // True when all given bits are set.
    constexpr bool isSet(T bits) const { return (v_ & bits) == bits; }
    constexpr bool isAny(T bits) const { return (v_ & bits) != 0; }
    constexpr T value() const { return v_; }
    constexpr operator T() const { return v_; }

private:
    T v_ = 0;
};
