# The key container file reader: header, decryption and content records.
zrx_fuzz(container_file SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/container_file_fuzz.cpp LIBS zrx_core_keys)
