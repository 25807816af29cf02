# The profile viewer against the test site, and opened from the main window against the real
# pollwick-sitesim.
if(TARGET pollwick_testsupport_site)
  pollwick_add_test(tst_frmprofile SOURCES gui/tst_frmprofile.cpp
                    LIBS pollwick_testsupport_site GUI)
endif()
if(TARGET pollwick_testsupport_site AND TARGET pollwick-sitesim)
  pollwick_add_test(tst_profilesitesim SOURCES gui/tst_profilesitesim.cpp
                    LIBS pollwick_testsupport_site GUI)
  target_compile_definitions(tst_profilesitesim PRIVATE
                             SITESIM_EXECUTABLE="$<TARGET_FILE:pollwick-sitesim>")
  add_dependencies(tst_profilesitesim pollwick-sitesim)
endif()
