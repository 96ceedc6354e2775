# UTF-8 text through the character buffer side by side with QString::fromUtf8.
zrx_bench(bench_html_utf8 SOURCES ${CMAKE_CURRENT_LIST_DIR}/html_utf8_bench.cpp LIBS zrx_html_text Qt6::Core)
