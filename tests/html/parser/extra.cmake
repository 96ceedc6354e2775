# The end-to-end test lays out the program's own object pages, made from
# certificates that OpenSSL creates at test time.
if(TARGET html_parser_object_pages_test)
  zrx_folder_target(platform/core/x509 x509lib)
  target_link_libraries(html_parser_object_pages_test PRIVATE ${x509lib} OpenSSL::Crypto)
endif()
