#pragma once
// Result codes: the top two bits give the class, bits 16..27 the facility.
#include <cstdint>

using KResult = uint32_t;

constexpr KResult KR_OK = 0;

constexpr bool isFailure(KResult c) { return c >= 0xC0000000u; }
constexpr bool isWarning(KResult c) { return c >= 0x80000000u && c < 0xC0000000u; }
constexpr bool isInformation(KResult c) { return c >= 0x40000000u && c < 0x80000000u; }
constexpr bool isSuccess(KResult c) { return c < 0x80000000u; }
// Facility number (0..0xFFF) of a code.
constexpr uint32_t facilityOf(KResult c) { return (c >> 16) & 0xFFFu; }
// Code within its facility (low 16 bits).
constexpr uint32_t codeOf(KResult c) { return c & 0xFFFFu; }
constexpr KResult makeResult(uint32_t severityBits, uint32_t facility, uint32_t code) {
    return (severityBits & 0xC0000000u) | ((facility & 0xFFFu) << 16) | (code & 0xFFFFu);
}

// Facilities.
constexpr uint32_t KFAC_RUNTIME = 0x080;  // the runtime library and the program's generic codes
constexpr uint32_t KFAC_CA = 0x090;       // the program's certification-authority texts
constexpr uint32_t KFAC_JCMP = 0x0C0;     // the registration-service client
constexpr uint32_t KFAC_SYSTEM = 0x040;   // system (errno-like) failures

// Named codes of the runtime facility.
constexpr KResult KR_E_FAIL = 0xC0800001u;          // unspecified failure
constexpr KResult KR_E_WRITE = 0xC0800002u;         // file write / object file failure
constexpr KResult KR_E_SAVE = 0xC0800003u;          // saving failed
constexpr KResult KR_E_INVALIDARG = 0xC0800005u;    // parameter, folder, name or object missing
constexpr KResult KR_E_NOTFOUND = 0xC0800007u;      // required object not found
constexpr KResult KR_E_ENCODE = 0xC080000Cu;        // encoding failed
constexpr KResult KR_E_DECODE = 0xC080000Du;        // decoding failed
constexpr KResult KR_E_DIGEST = 0xC080000Eu;        // digest differs
constexpr KResult KR_E_NOMEMORY = 0xC0800018u;      // out of memory
constexpr KResult KR_E_NOKEYS = 0xC0800019u;        // no keys / no valid certificate
constexpr KResult KR_E_CANCELLED = 0xC0800024u;     // the user cancelled
constexpr KResult KR_E_IO = 0xC0800026u;            // file, download or process failure
constexpr KResult KR_E_EMPTY = 0xC080002Au;         // empty or missing result object
constexpr KResult KR_E_CHAIN = 0xC0800031u;         // broken chain
constexpr KResult KR_E_BADPARAM = 0xC0800032u;      // parameter list entry failed
constexpr KResult KR_E_NOTSUPPORTED = 0xC0800046u;  // operation not supported
constexpr KResult KR_E_FORMAT = 0xC0800049u;        // bad format of a section, attribute or macro
constexpr KResult KR_W_STARTKEYS = 0x80800001u;     // analysis: start-up keys
constexpr KResult KR_W_ABSENT = 0x80800003u;        // analysis: nothing to do / absent
constexpr KResult KR_E_SYSTEM = 0xC0400000u;        // | (errno & 0xFFFFF)

// A negative runtime error number (-errno and the like) as a system failure code.
constexpr KResult systemResult(int negErr) {
    return KR_E_SYSTEM | (static_cast<uint32_t>(negErr < 0 ? -negErr : negErr) & 0xFFFFFu);
}
