# The filter tab, the filter wizards and the account windows as parts of the whole program:
# the main window and application against the test site, driven through objectNames.
if(TARGET pollwick_testsupport_site)
  pollwick_add_test(tst_filtertab SOURCES gui/tst_filtertab.cpp gui/MainWindowHarness.h
                    LIBS pollwick_testsupport_site GUI)
  pollwick_add_test(tst_accountflow SOURCES gui/tst_accountflow.cpp gui/MainWindowHarness.h
                    LIBS pollwick_testsupport_site GUI)
endif()
