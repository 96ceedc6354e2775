#include "platform/runtime/TCMutex.h"

#include <chrono>

bool TCMutex::lock(long timeoutMs) {
    if (timeoutMs < 0) {
        m_.lock();
        return true;
    }
    return m_.try_lock_for(std::chrono::milliseconds(timeoutMs));
}
