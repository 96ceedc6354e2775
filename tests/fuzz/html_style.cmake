# Style sheets and style attributes through the CSS parser.
zrx_fuzz(html_style SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/html_style_fuzz.cpp LIBS zrx_html_text)
