# GIF decoding (LZW and the frame strip) side by side with Qt's GIF reader.
zrx_bench(bench_gif SOURCES ${CMAKE_CURRENT_LIST_DIR}/gif_bench.cpp LIBS zrx_html_layout Qt6::Gui)
# Its own main starts Qt before the benchmarks run.
target_include_directories(bench_gif PRIVATE ${PROJECT_SOURCE_DIR}/tests/html/layout)
