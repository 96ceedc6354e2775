# Loading pictures by content: format detection, the GIF, BMP, ICO and JPEG
# paths and the picture library.
zrx_fuzz(image_loader SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/image_loader_fuzz.cpp LIBS zrx_html_layout)
