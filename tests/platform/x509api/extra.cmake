# The token fault tests arm the fault-injecting PKCS#11 module.
target_link_libraries(platform_x509api_TokenFaults_test PRIVATE zrx_p11fault)
