# The password dialogs' tests drive the testers' shortcuts.
zrx_link_tester_passwords(dialogs)
