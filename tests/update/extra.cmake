# Digests of the updater's tests are computed independently with libgcrypt.
pkg_check_modules(GCRYPT REQUIRED IMPORTED_TARGET libgcrypt)
foreach(t update_UpdateList_test update_UpdateRun_test update_UpdateFileOps_test)
  if(TARGET ${t})
    target_link_libraries(${t} PRIVATE PkgConfig::GCRYPT)
  endif()
endforeach()
