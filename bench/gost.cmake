# GOST 34.311 hashing (update files and configuration digests) beside
# libgcrypt's implementation, and XML loading.
pkg_check_modules(GCRYPT IMPORTED_TARGET libgcrypt)
if(GCRYPT_FOUND)
  zrx_bench(bench_gost SOURCES ${CMAKE_CURRENT_LIST_DIR}/gost_bench.cpp LIBS zrx_core_config zrx_core_crypto PkgConfig::GCRYPT)
  target_compile_definitions(bench_gost PRIVATE ZRX_BENCH_GCRYPT=1)
else()
  zrx_bench(bench_gost SOURCES ${CMAKE_CURRENT_LIST_DIR}/gost_bench.cpp LIBS zrx_core_config zrx_core_crypto)
endif()
