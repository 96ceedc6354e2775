# The GOST cross-check compares with libgcrypt's implementation.
pkg_check_modules(GCRYPT REQUIRED IMPORTED_TARGET libgcrypt)
target_link_libraries(platform_core_crypto_GostCrossCheck_test PRIVATE PkgConfig::GCRYPT)
