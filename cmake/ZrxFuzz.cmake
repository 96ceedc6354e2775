# The libFuzzer build (-DZRX_FUZZ=ON), included before any library is made.
#
# libFuzzer steers by the coverage of the code it runs: a harness alone
# instrumented mutates blind. So every library of the project is compiled
# with -fsanitize=fuzzer-no-link and the sanitizers; only the fuzz targets
# link libFuzzer itself (tests/fuzz/CMakeLists.txt).

if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang" OR NOT CMAKE_C_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "ZRX_FUZZ needs Clang for C and C++ (for instance CC=clang-14 CXX=clang++-14 "
                      "in a fresh build folder; scripts/fuzz.sh does it)")
endif()

set(ZRX_FUZZ_COMPILE_FLAGS
  -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
set(ZRX_FUZZ_LINK_FLAGS -fsanitize=address,undefined)

# The compiler must instrument, and libFuzzer with the sanitizer runtimes
# must link: an instrumented function called from a fuzzer entry point.
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS "-fsanitize=fuzzer,address,undefined")
check_cxx_source_compiles([[
#include <cstddef>
#include <cstdint>
static int branch(const uint8_t* d, size_t n) { return n > 2 && d[0] == 'F' ? 1 : 0; }
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* d, size_t n) { return branch(d, n) * 0; }
]] ZRX_LIBFUZZER_LINKS)
unset(CMAKE_REQUIRED_FLAGS)
if(NOT ZRX_LIBFUZZER_LINKS)
  message(FATAL_ERROR "ZRX_FUZZ: ${CMAKE_CXX_COMPILER} cannot link a libFuzzer program with AddressSanitizer "
                      "and UndefinedBehaviorSanitizer (Debian: apt-get install clang-14 libclang-rt-14-dev)")
endif()

add_compile_options(${ZRX_FUZZ_COMPILE_FLAGS})
add_link_options(${ZRX_FUZZ_LINK_FLAGS})

# After every folder is added: each library target of the project carries
# the instrumentation (a folder that sets its own options must keep it).
function(zrx_check_fuzz_instrumentation)
  set(missing "")
  foreach(dir IN LISTS ZRX_FOLDERS)
    zrx_folder_target(${dir} lib)
    if(NOT TARGET ${lib})
      continue()
    endif()
    get_target_property(type ${lib} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      continue()
    endif()
    get_target_property(opts ${lib} COMPILE_OPTIONS)
    if(NOT opts OR NOT "-fsanitize=fuzzer-no-link,address,undefined" IN_LIST opts)
      list(APPEND missing ${lib})
    endif()
  endforeach()
  if(missing)
    message(FATAL_ERROR "ZRX_FUZZ: libraries built without fuzzer instrumentation: ${missing}")
  endif()
  message(STATUS "ZRX_FUZZ: every library is instrumented for libFuzzer")
endfunction()
