# The HTML tokenizer over a 1 MB page, beside libxml2's HTML parser (SAX
# events, no tree) over the same bytes.
zrx_bench(bench_html_tokenize SOURCES ${CMAKE_CURRENT_LIST_DIR}/html_tokenize_bench.cpp LIBS zrx_html_parser PkgConfig::LIBXML2)
