# Bytes through the UTF-8, UTF-7 and multi-byte decoders, read whole and through copies.
zrx_fuzz(html_converters SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/html_converters_fuzz.cpp LIBS zrx_html_text)
