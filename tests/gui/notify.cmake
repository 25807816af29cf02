# The popup, the "New Torrents" and "Filter Info" windows, and whole checks from the site's
# reply to the popup, driven through the windows' controls against the local test site.
pollwick_add_test(tst_popup SOURCES gui/tst_popup.cpp gui/NotifyTestApp.h
                  LIBS pollwick_testsupport_site GUI)
pollwick_add_test(tst_summary SOURCES gui/tst_summary.cpp gui/NotifyTestApp.h
                  LIBS pollwick_testsupport_site GUI)
pollwick_add_test(tst_wholecheck SOURCES gui/tst_wholecheck.cpp gui/NotifyTestApp.h
                  LIBS pollwick_testsupport_site GUI)
