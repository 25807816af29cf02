# The local torrent database: the snapshot and its queries, and the rules of the search window
# that need no window.
pollwick_add_test(tst_searchdatabase SOURCES core/tst_searchdatabase.cpp)
pollwick_add_test(tst_searchrules SOURCES core/tst_searchrules.cpp)
