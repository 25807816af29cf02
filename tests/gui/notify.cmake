# The popup, the "New Torrents" and "Filter Info" windows, and whole checks from the site's
# reply to the popup, driven through the windows' controls against the local test site.
pollwick_add_test(tst_popup SOURCES gui/tst_popup.cpp gui/NotifyTestApp.h
                  LIBS pollwick_testsupport_site GUI)
pollwick_add_test(tst_summary SOURCES gui/tst_summary.cpp gui/NotifyTestApp.h
                  LIBS pollwick_testsupport_site GUI)
pollwick_add_test(tst_wholecheck SOURCES gui/tst_wholecheck.cpp gui/NotifyTestApp.h
                  LIBS pollwick_testsupport_site GUI)
# New torrents as desktop notifications, against a notification server on a private bus.
pollwick_add_test(tst_notifications SOURCES gui/tst_notifications.cpp gui/NotifyTestApp.h
                  LIBS pollwick_testsupport_site pollwick_testsupport_bus GUI)
