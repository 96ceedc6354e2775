# The GOST cross-check compares with libgcrypt; the module-digest test runs xmllint.
pkg_check_modules(GCRYPT REQUIRED IMPORTED_TARGET libgcrypt)
target_link_libraries(platform_core_GostCrossCheck_test PRIVATE PkgConfig::GCRYPT)
