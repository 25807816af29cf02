# The profile viewer's page reading, cache file, avatar rules and thumbnail size.
pollwick_add_test(tst_profilepage SOURCES core/tst_profilepage.cpp)
