# The rules a filter judges torrents by, and what a filter being written would have caught in
# the local torrent database.
pollwick_add_test(tst_filterpreview SOURCES core/tst_filterpreview.cpp)
