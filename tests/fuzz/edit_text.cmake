# Edit masks with typed or pasted text, and object-identifier text.
zrx_fuzz(edit_text SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/edit_text_fuzz.cpp LIBS zrx_components)
