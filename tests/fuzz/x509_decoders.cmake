# The X.509 layer's decoders (certificates, requests, lists, PKCS#7/CMS,
# revocation requests, chains, extension formats).
zrx_fuzz(x509_decoders SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/x509_decoders_fuzz.cpp LIBS zrx_core_x509)
