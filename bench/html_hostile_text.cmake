# Hostile style values and URLs: the time to collapse a shorthand's blanks,
# decode escapes and resolve dot segments grows linearly with their length
# (Google Benchmark fits the complexity), with Qt's percent-decoding and URL
# resolution beside them for scale.
zrx_bench(bench_html_hostile_text SOURCES ${CMAKE_CURRENT_LIST_DIR}/html_hostile_text_bench.cpp
          LIBS zrx_html_text Qt6::Core)
