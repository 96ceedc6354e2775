# The registration-service client's reply parser and field readers.
zrx_fuzz(jcmp_reply SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/jcmp_reply_fuzz.cpp LIBS zrx_jcmp)
