# The download window against the test site.
pollwick_add_test(tst_download SOURCES gui/tst_download.cpp LIBS pollwick_testsupport_site pollwick_testsupport_clients GUI)
