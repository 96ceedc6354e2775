# The private-profile (INI) reader and its line-keeping writer.
zrx_fuzz(private_profile SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/private_profile_fuzz.cpp LIBS zrx_win)
