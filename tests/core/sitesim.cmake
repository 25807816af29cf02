# The local site simulator's site, served in the test (the simulator program itself is started
# by tst_profilesitesim).
pollwick_add_test(tst_sitesim SOURCES core/tst_sitesim.cpp LIBS pollwick_testsupport_site Qt6::Gui)
