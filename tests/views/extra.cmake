# The view tests run with the testers' password shortcuts built in, as the program's tests do.
zrx_link_tester_passwords(views)
