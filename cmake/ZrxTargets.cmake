# Helpers that keep every folder's CMakeLists.txt a few lines long.

set(ZRX_WARNINGS -Wall -Wextra)
if(ZRX_WERROR)
  list(APPEND ZRX_WARNINGS -Werror)
endif()

# zrx_library(<name> [DEPS <targets...>] [PRIVATE_DEPS <targets...>])
# One static library from every .cpp in the calling folder. The repository
# root is on the include path, so headers are included as "platform/runtime/X.h".
function(zrx_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(NOT sources)
    # A folder whose code has not been written yet still gives a target,
    # so that the folders above it can name it.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${sources} ${headers})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${ZRX_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# The library target of a source folder: platform/runtime -> zrx_runtime,
# html/text -> zrx_html_text, jCmp -> zrx_jcmp.
function(zrx_folder_target dir out)
  string(REGEX REPLACE "^platform/" "" t "${dir}")
  string(REPLACE "/" "_" t "${t}")
  string(TOLOWER "zrx_${t}" t)
  set(${out} ${t} PARENT_SCOPE)
endfunction()

# zrx_test(<name> SOURCES <files...> LIBS <targets...>)
# A GoogleTest program; each test case becomes its own CTest test. The test
# main (tests/support/main.cpp) sets the offscreen Qt platform and private
# home, data, config and registry folders.
function(zrx_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${ZRX_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  # Tests find shipped data through this, never through __FILE__, which the
  # compiler cache makes relative.
  target_compile_definitions(${name} PRIVATE ZRX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} zrx_testsupport GTest::gtest GTest::gmock)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 300)
endfunction()
