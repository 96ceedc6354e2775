# Document bytes in any code page through the HTML character buffer.
zrx_fuzz(html_buffer SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/html_buffer_fuzz.cpp LIBS zrx_html_text)
