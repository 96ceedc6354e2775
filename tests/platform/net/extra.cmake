# Debian's cpp-httplib ships its code as a shared library next to the header.
find_library(ZRX_HTTPLIB_LIBRARY NAMES cpp-httplib)
if(ZRX_HTTPLIB_LIBRARY)
  target_link_libraries(platform_net_IdHTTP_test PRIVATE ${ZRX_HTTPLIB_LIBRARY})
endif()
