# The location windows' tests drive the testers' password shortcuts.
zrx_link_tester_passwords(locations)
