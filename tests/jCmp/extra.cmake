# Debian's cpp-httplib ships its code as a shared library next to the header.
find_library(ZRX_HTTPLIB_LIBRARY NAMES cpp-httplib)
if(ZRX_HTTPLIB_LIBRARY)
  foreach(t jCmp_jCMPClient_test jCmp_jCMPObjects_test)
    target_link_libraries(${t} PRIVATE ${ZRX_HTTPLIB_LIBRARY})
  endforeach()
endif()
