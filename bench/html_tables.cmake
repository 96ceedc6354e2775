# Nested tables laid out again and again (each level a table with a nested
# table and a cell of its own; once with fixed cells, once with table blocks
# and text laid out through the document), at growing depth, beside QTextDocument laying
# out the same nesting; and the column widths of one wide table.
zrx_bench(bench_html_tables SOURCES ${CMAKE_CURRENT_LIST_DIR}/html_tables_bench.cpp LIBS zrx_html_layout Qt6::Gui)
