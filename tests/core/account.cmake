# Account and profile: the credential check against the test site, and the profile
# viewer's page reading, cache file, avatar rules and thumbnail size.
pollwick_add_test(tst_credentialcheck SOURCES core/tst_credentialcheck.cpp
                  LIBS pollwick_testsupport_site)
pollwick_add_test(tst_profilepage SOURCES core/tst_profilepage.cpp)
