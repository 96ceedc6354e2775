# The program test runs the built executable.
if(TARGET app_Program_test)
  target_compile_definitions(app_Program_test PRIVATE ZRX_PROGRAM="$<TARGET_FILE:ZrX509_ZERUvorido>")
  add_dependencies(app_Program_test ZrX509_ZERUvorido)
endif()
