# Handing a saved torrent to qBittorrent and Transmission: against the real programs, which
# the tests start on 127.0.0.1, and against the test site for the answers they seldom give.
pollwick_add_test(tst_handoff SOURCES core/tst_handoff.cpp
                  LIBS pollwick_testsupport_site pollwick_testsupport_clients)
