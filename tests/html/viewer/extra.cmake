# The program's pages are rendered by the core library from certificates
# made at test time.
if(TARGET html_viewer_ViewerPages_test)
  target_link_libraries(html_viewer_ViewerPages_test PRIVATE zrx_core_x509 OpenSSL::Crypto)
endif()
if(TARGET html_viewer_ViewerPrinting_test)
  target_link_libraries(html_viewer_ViewerPrinting_test PRIVATE zrx_core_x509 OpenSSL::Crypto)
endif()
