# Platform support: the text and file utilities, the settings store and the HTTP transfer.
pollwick_add_test(tst_textutils SOURCES core/tst_textutils.cpp)
pollwick_add_test(tst_settingsstore SOURCES core/tst_settingsstore.cpp)
pollwick_add_test(tst_httptransfer SOURCES core/tst_httptransfer.cpp LIBS pollwick_testsupport_site)
pollwick_add_test(tst_privatefiles SOURCES core/tst_privatefiles.cpp)
