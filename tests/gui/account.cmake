# Account and profile windows: the login dialog, the About window, the first-run wizard against
# the test site, the account windows as parts of the whole program, and the profile viewer
# against the test site and, opened from the main window, against the real pollwick-sitesim.
pollwick_add_test(tst_frmlogin SOURCES gui/tst_frmlogin.cpp GUI)
pollwick_add_test(tst_frmabout SOURCES gui/tst_frmabout.cpp GUI)
pollwick_add_test(tst_frmfirstrun SOURCES gui/tst_frmfirstrun.cpp
                  LIBS pollwick_testsupport_site GUI)
pollwick_add_test(tst_accountflow SOURCES gui/tst_accountflow.cpp gui/MainWindowHarness.h
                  LIBS pollwick_testsupport_site GUI)
pollwick_add_test(tst_frmprofile SOURCES gui/tst_frmprofile.cpp
                  LIBS pollwick_testsupport_site GUI)
pollwick_add_test(tst_profilesitesim SOURCES gui/tst_profilesitesim.cpp
                  LIBS pollwick_testsupport_site GUI)
target_compile_definitions(tst_profilesitesim PRIVATE
                           SITESIM_EXECUTABLE="$<TARGET_FILE:pollwick-sitesim>")
add_dependencies(tst_profilesitesim pollwick-sitesim)
# Requests that carry the member's details, redirected to another site by a hostile one.
pollwick_add_test(tst_redirects SOURCES gui/tst_redirects.cpp LIBS pollwick_testsupport_site GUI)
# The site password in a real Secret Service (GNOME's keyring daemon on a private bus).
pollwick_add_test(tst_keyring SOURCES gui/tst_keyring.cpp
                  LIBS pollwick_keyring pollwick_testsupport_bus pollwick_testsupport_site GUI)
