# The site feed: the parser, categories, the check against the test site and torrents.db.
pollwick_add_test(tst_feedparser SOURCES core/tst_feedparser.cpp)
pollwick_add_test(tst_categories SOURCES core/tst_categories.cpp)
pollwick_add_test(tst_feedcheck SOURCES core/tst_feedcheck.cpp LIBS pollwick_testsupport_site)
pollwick_add_test(tst_torrentdb SOURCES core/tst_torrentdb.cpp)
