# The program test runs the built executable.
if(TARGET app_Program_test)
  target_compile_definitions(app_Program_test PRIVATE ZRX_PROGRAM="$<TARGET_FILE:ZrX509_ZERUvorido>")
  add_dependencies(app_Program_test ZrX509_ZERUvorido)
endif()

# The test build has the testers' password shortcuts built in.
zrx_link_tester_passwords(app)

# Generations onto tokens that fail part-way go through the fault-injecting
# PKCS#11 module.
target_link_libraries(app_KeyGeneration_test PRIVATE zrx_p11fault)
