# GOST 34.311 hashing (update files and configuration digests) and XML loading.
zrx_bench(bench_gost SOURCES ${CMAKE_CURRENT_LIST_DIR}/gost_bench.cpp LIBS zrx_core_config zrx_core_crypto)
