#pragma once
// Byte buffers for key material and passwords: wiped when freed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zrx {

void secureWipe(void* p, size_t n);

template <class T> struct WipingAllocator {
    using value_type = T;
    WipingAllocator() = default;
    template <class U> WipingAllocator(const WipingAllocator<U>&) {}
    T* allocate(size_t n) { return static_cast<T*>(::operator new(n * sizeof(T))); }
    void deallocate(T* p, size_t n) {
        secureWipe(p, n * sizeof(T));
        ::operator delete(p);
    }
    template <class U> bool operator==(const WipingAllocator<U>&) const { return true; }
};

// A vector whose storage is wiped on every reallocation and on destruction.
class SecureBytes : public std::vector<uint8_t, WipingAllocator<uint8_t>> {
public:
    using std::vector<uint8_t, WipingAllocator<uint8_t>>::vector;
    SecureBytes() = default;
    SecureBytes(const uint8_t* p, size_t n) : std::vector<uint8_t, WipingAllocator<uint8_t>>(p, p + n) {}
    ~SecureBytes() { secureWipe(data(), size()); }
    void assignBytes(const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        assign(b, b + n);
    }
    // Wipes and empties.
    void wipe() {
        secureWipe(data(), size());
        clear();
    }
    std::string_view view() const { return {reinterpret_cast<const char*>(data()), size()}; }
};

}  // namespace zrx
