# Key containers: opening a container file (key derivation + decryption) and
# key generation per algorithm.
zrx_bench(bench_container SOURCES ${CMAKE_CURRENT_LIST_DIR}/container_bench.cpp LIBS zrx_core_container)
