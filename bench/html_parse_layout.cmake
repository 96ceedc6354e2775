# Parsing and laying out the program's object pages (certificate, request,
# chain) and a generated 1 MB table page, beside Qt's rich-text document
# doing the same with the same fonts.
zrx_folder_target(platform/core/x509 html_parse_layout_x509)
zrx_bench(bench_html_parse_layout SOURCES ${CMAKE_CURRENT_LIST_DIR}/html_parse_layout_bench.cpp
          LIBS zrx_html_parser ${html_parse_layout_x509} OpenSSL::Crypto Qt6::Gui)
