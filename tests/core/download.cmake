# The downloader's rules: target paths, attempts, login exchange, file writing and rates.
pollwick_add_test(tst_downloadcore SOURCES core/tst_downloadcore.cpp)
