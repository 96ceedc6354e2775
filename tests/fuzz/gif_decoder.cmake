# The GIF decoder: file structure, LZW data and the frame strip.
zrx_fuzz(gif_decoder SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/gif_decoder_fuzz.cpp LIBS zrx_html_layout)
