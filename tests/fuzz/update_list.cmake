# The update list reader over any verified-looking object.
zrx_fuzz(update_list SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/update_list_fuzz.cpp LIBS zrx_update)
