# The main window, its options page, tray menu and debug log, driven through objectNames; and
# the real program started against the test site.
if(TARGET pollwick_testsupport_site)
  pollwick_add_test(tst_frmmain SOURCES gui/tst_frmmain.cpp LIBS pollwick_testsupport_site GUI)
  pollwick_add_test(tst_desktop SOURCES gui/tst_desktop.cpp LIBS pollwick_testsupport_site GUI)
  pollwick_add_test(tst_pollwickbinary SOURCES gui/tst_pollwickbinary.cpp
                    LIBS pollwick_testsupport_site)
  add_dependencies(tst_pollwickbinary pollwick)
  target_compile_definitions(tst_pollwickbinary PRIVATE
                             POLLWICK_BINARY="$<TARGET_FILE:pollwick>")
endif()
pollwick_add_test(tst_windowhelpers SOURCES gui/tst_windowhelpers.cpp GUI)
