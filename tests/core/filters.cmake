# Filters: the filter table and filters.dat, the rules a filter judges torrents by (wildcards
# and the rule engine), the list operations, the wizards' rules, and what a filter being
# written would have caught in the local torrent database.
pollwick_add_test(tst_filtertable SOURCES core/tst_filtertable.cpp)
pollwick_add_test(tst_filterfile SOURCES core/tst_filterfile.cpp)
pollwick_add_test(tst_wildcardmatcher SOURCES core/tst_wildcardmatcher.cpp)
pollwick_add_test(tst_filterengine SOURCES core/tst_filterengine.cpp)
pollwick_add_test(tst_filterpreview SOURCES core/tst_filterpreview.cpp)
pollwick_add_test(tst_filterlistops SOURCES core/tst_filterlistops.cpp)
pollwick_add_test(tst_filterwizardlogic SOURCES core/tst_filterwizardlogic.cpp)
