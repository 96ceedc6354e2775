# The profiles test also registers user objects (XObjects, in the x509 room).
target_link_libraries(platform_core_config_Profiles_test PRIVATE zrx_core_x509)
