# The program test runs the built executable.
if(TARGET app_Program_test)
  target_compile_definitions(app_Program_test PRIVATE ZRX_PROGRAM="$<TARGET_FILE:ZrX509_ZERUvorido>")
  add_dependencies(app_Program_test ZrX509_ZERUvorido)
endif()
# The start-up test installs the shipped application configuration.
if(TARGET app_Startup_test)
  target_compile_definitions(app_Startup_test PRIVATE ZRX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endif()
