# The check's core stages after the reply is parsed: torrents.db append, matching, filters,
# alerts, and the logic of the popup, summary and filter info windows.
pollwick_add_test(tst_wildcardmatcher SOURCES core/tst_wildcardmatcher.cpp)
pollwick_add_test(tst_filterengine SOURCES core/tst_filterengine.cpp)
pollwick_add_test(tst_torrentdb SOURCES core/tst_torrentdb.cpp)
pollwick_add_test(tst_alertstage SOURCES core/tst_alertstage.cpp)
pollwick_add_test(tst_popupanimation SOURCES core/tst_popupanimation.cpp)
pollwick_add_test(tst_summaryrows SOURCES core/tst_summaryrows.cpp)
