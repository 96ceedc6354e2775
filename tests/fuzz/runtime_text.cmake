# Runtime texts from outside: INI sections, translation-table lines, hex and
# Base64 texts, numbers, UTF-8 case folding.
zrx_fuzz(runtime_text SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/runtime_text_fuzz.cpp LIBS zrx_runtime)
