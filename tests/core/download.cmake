# The downloader's rules: target paths, attempts, login exchange, file writing and rates.
pollwick_add_test(tst_downloadcore SOURCES core/tst_downloadcore.cpp)
# One download without its window against the test site: reply classes, retries, time-outs.
pollwick_add_test(tst_torrentdownload SOURCES core/tst_torrentdownload.cpp
                  LIBS pollwick_testsupport_site)
