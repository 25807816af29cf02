# Platform support: the window helpers.
pollwick_add_test(tst_windowhelpers SOURCES gui/tst_windowhelpers.cpp GUI)
