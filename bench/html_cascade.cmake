# Style sheets: parsing a generated sheet, and the cascade of a deep element
# chain against it.
zrx_bench(bench_html_cascade SOURCES ${CMAKE_CURRENT_LIST_DIR}/html_cascade_bench.cpp LIBS zrx_html_text)
