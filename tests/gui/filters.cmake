# The filter wizards with their preview of what a filter would have caught (and its agreement
# with a real check against the local test site), and the filter tab as part of the whole
# program: the main window and application against the test site, driven through objectNames.
pollwick_add_test(tst_filterwizards SOURCES gui/tst_filterwizards.cpp GUI)
pollwick_add_test(tst_filterpreviewwizard SOURCES gui/tst_filterpreviewwizard.cpp
                  gui/NotifyTestApp.h LIBS pollwick_testsupport_site GUI)
pollwick_add_test(tst_filtertab SOURCES gui/tst_filtertab.cpp gui/MainWindowHarness.h
                  LIBS pollwick_testsupport_site GUI)
