#pragma once
// Windows system error numbers, as the registry and file functions of this
// platform layer return them (the numbers of winerror.h, so that texts and
// comparisons stay those of the original platform).
#include <cstdint>

inline constexpr int32_t ERROR_SUCCESS = 0;
inline constexpr int32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr int32_t ERROR_PATH_NOT_FOUND = 3;
inline constexpr int32_t ERROR_ACCESS_DENIED = 5;
inline constexpr int32_t ERROR_INVALID_HANDLE = 6;
inline constexpr int32_t ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr int32_t ERROR_WRITE_FAULT = 29;
inline constexpr int32_t ERROR_DISK_FULL = 112;
inline constexpr int32_t ERROR_BUSY = 170;
inline constexpr int32_t ERROR_READ_FAULT = 30;
inline constexpr int32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr int32_t ERROR_BAD_PATHNAME = 161;
inline constexpr int32_t ERROR_MORE_DATA = 234;
inline constexpr int32_t ERROR_NO_MORE_ITEMS = 259;
inline constexpr int32_t ERROR_BADDB = 1009;
inline constexpr int32_t ERROR_BADKEY = 1010;
inline constexpr int32_t ERROR_CANTOPEN = 1011;
inline constexpr int32_t ERROR_CANTREAD = 1012;
inline constexpr int32_t ERROR_CANTWRITE = 1013;
inline constexpr int32_t ERROR_REGISTRY_IO_FAILED = 1016;
inline constexpr int32_t ERROR_KEY_DELETED = 1018;

namespace zrx::win {
// The calling thread's last error, as the platform keeps it for functions
// that answer only success or failure (the private-profile writers).
inline thread_local uint32_t lastError = 0;
inline uint32_t GetLastError() { return lastError; }
inline void SetLastError(uint32_t code) { lastError = code; }
}  // namespace zrx::win
