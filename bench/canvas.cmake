# Text measuring and drawing through the device context (the HTML layout's hot
# paths), beside Qt's own measuring and drawing of the same text.
zrx_bench(bench_canvas SOURCES ${CMAKE_CURRENT_LIST_DIR}/canvas_bench.cpp LIBS zrx_framework)
