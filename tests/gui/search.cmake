# "Search Torrents" against the local test site, and the two entries that open it.
pollwick_add_test(tst_frmsearch SOURCES gui/tst_frmsearch.cpp LIBS pollwick_testsupport_site GUI)
