# The options page's torrent-client fields and their Test buttons, against the real clients.
pollwick_add_test(tst_handoffpanel SOURCES gui/tst_handoffpanel.cpp
                  LIBS pollwick_testsupport_site pollwick_testsupport_clients GUI)
