# Pictures written into pages: the data addresses and their strict Base64.
zrx_fuzz(data_images SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/data_images_fuzz.cpp LIBS zrx_html_layout)
