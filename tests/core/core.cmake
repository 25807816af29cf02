# The application core: start-up, options, scheduler, tray state, the login refusal notice and
# the debug report.
pollwick_add_test(tst_startuprules SOURCES core/tst_startuprules.cpp)
pollwick_add_test(tst_options SOURCES core/tst_options.cpp)
pollwick_add_test(tst_trayiconstate SOURCES core/tst_trayiconstate.cpp)
pollwick_add_test(tst_loginrefusalnotice SOURCES core/tst_loginrefusalnotice.cpp)
pollwick_add_test(tst_checkscheduler SOURCES core/tst_checkscheduler.cpp)
pollwick_add_test(tst_debugreport SOURCES core/tst_debugreport.cpp)
