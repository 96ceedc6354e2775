# The fault-injecting PKCS#11 module over SoftHSM2 (P11FaultLayer.h): a
# shared library of its own, linked into the test programs that arm it
# (their folders' extra.cmake).
add_library(zrx_p11fault SHARED ${CMAKE_CURRENT_SOURCE_DIR}/platform/p11/P11FaultModule.cpp)
target_include_directories(zrx_p11fault PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_compile_options(zrx_p11fault PRIVATE ${ZRX_WARNINGS})
target_link_libraries(zrx_p11fault PRIVATE PkgConfig::P11KIT ${CMAKE_DL_LIBS})
