# Pages loaded into the HTML viewer (parse and layout) beside Qt's
# QTextDocument at the same width; the page generator is html_load_pages.h.
zrx_bench(bench_html_load SOURCES ${CMAKE_CURRENT_LIST_DIR}/html_load_bench.cpp
          LIBS zrx_html_viewer zrx_core_x509 Qt6::Gui OpenSSL::Crypto)
# Its own main starts Qt; the certificates come from the tests' small PKI.
target_include_directories(bench_html_load PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(bench_html_load PRIVATE benchmark::benchmark)
