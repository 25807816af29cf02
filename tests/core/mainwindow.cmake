# Start-up, options, scheduler, tray state, feed request and parser, categories, filters.dat,
# debug report.
pollwick_add_test(tst_startuprules SOURCES core/tst_startuprules.cpp)
pollwick_add_test(tst_options SOURCES core/tst_options.cpp)
pollwick_add_test(tst_trayiconstate SOURCES core/tst_trayiconstate.cpp)
pollwick_add_test(tst_loginrefusalnotice SOURCES core/tst_loginrefusalnotice.cpp)
pollwick_add_test(tst_checkscheduler SOURCES core/tst_checkscheduler.cpp)
pollwick_add_test(tst_feedparser SOURCES core/tst_feedparser.cpp)
pollwick_add_test(tst_categories SOURCES core/tst_categories.cpp)
pollwick_add_test(tst_filterfile SOURCES core/tst_filterfile.cpp)
pollwick_add_test(tst_debugreport SOURCES core/tst_debugreport.cpp)
if(TARGET pollwick_testsupport_site)
  pollwick_add_test(tst_feedcheck SOURCES core/tst_feedcheck.cpp LIBS pollwick_testsupport_site)
endif()
