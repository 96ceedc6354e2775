# White space of text sections collapsed (side by side with QString::simplified)
# and a long paragraph broken into lines, each at growing sizes to show linear time.
zrx_bench(bench_html_sections SOURCES ${CMAKE_CURRENT_LIST_DIR}/html_sections_bench.cpp LIBS zrx_html_layout Qt6::Core)
