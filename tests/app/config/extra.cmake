# The test build has the testers' password shortcuts built in.
zrx_link_tester_passwords(app/config)
