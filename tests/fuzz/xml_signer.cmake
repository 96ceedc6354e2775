# The signed-XML verifier over any document.
zrx_fuzz(xml_signer SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/xml_signer_fuzz.cpp LIBS zrx_core_x509)
