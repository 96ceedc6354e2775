#pragma once
// A recursive mutex with a timed lock.
#include <mutex>

class TCMutex {
public:
    TCMutex() = default;
    // Created already owned by the calling thread.
    explicit TCMutex(bool initiallyOwned) {
        if (initiallyOwned) m_.lock();
    }
    TCMutex(const TCMutex&) = delete;
    TCMutex& operator=(const TCMutex&) = delete;

    // Waits up to timeoutMs (negative: forever); true when locked.
    bool lock(long timeoutMs = -1);
    void unlock() { m_.unlock(); }
    // The handle (the object itself here).
    void* handle() { return this; }

private:
    std::recursive_timed_mutex m_;
};

// Locks for a scope (waits up to timeoutMs); locked() tells whether it got it.
class TCMutexLock {
public:
    explicit TCMutexLock(TCMutex& m, long timeoutMs = -1) : m_(m), locked_(m.lock(timeoutMs)) {}
    ~TCMutexLock() {
        if (locked_) m_.unlock();
    }
    TCMutexLock(const TCMutexLock&) = delete;
    TCMutexLock& operator=(const TCMutexLock&) = delete;
    bool locked() const { return locked_; }

private:
    TCMutex& m_;
    bool locked_;
};
