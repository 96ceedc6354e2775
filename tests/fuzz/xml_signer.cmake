# The signed-XML verifier over any document. The signer certificates are the
# fixed test keys of tests/fuzz/keys/, compiled in, so that seeds signed with
# those keys (corpus/xml_signer/signed-*.xml) reach everything after a
# successful verification.
zrx_fuzz(xml_signer SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/xml_signer_fuzz.cpp LIBS zrx_core_x509)
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/keys/xml_signer-rsa.crt.pem ZRX_FUZZ_SIGNER_RSA_CERT)
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/keys/xml_signer-ec.crt.pem ZRX_FUZZ_SIGNER_EC_CERT)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/XmlSignerFuzzCerts.h.in ${CMAKE_CURRENT_BINARY_DIR}/XmlSignerFuzzCerts.h @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/keys/xml_signer-rsa.crt.pem ${CMAKE_CURRENT_SOURCE_DIR}/keys/xml_signer-ec.crt.pem)
target_include_directories(fuzz_xml_signer PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
