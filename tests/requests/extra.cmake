# The owner-parameter dialog's test drives the testers' shortcuts.
if(TARGET requests_EditUserParmsForm_test)
  target_link_libraries(requests_EditUserParmsForm_test PRIVATE zrx_tester_passwords)
endif()
