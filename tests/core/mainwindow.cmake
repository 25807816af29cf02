# Start-up, options, scheduler, tray state, feed request and parser, categories, filters.dat,
# debug report.
pollwick_add_test(tst_startuprules SOURCES core/tst_startuprules.cpp)
pollwick_add_test(tst_options SOURCES core/tst_options.cpp)
pollwick_add_test(tst_trayiconstate SOURCES core/tst_trayiconstate.cpp)
pollwick_add_test(tst_checkscheduler SOURCES core/tst_checkscheduler.cpp)
