# The application core's windows: the main window, its options page, tray menu and debug log,
# driven through objectNames; and the real program started against the test site.
pollwick_add_test(tst_frmmain SOURCES gui/tst_frmmain.cpp LIBS pollwick_testsupport_site GUI)
# The demo's folder comes from script/demo --prepare.
target_compile_definitions(tst_frmmain PRIVATE POLLWICK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
pollwick_add_test(tst_desktop SOURCES gui/tst_desktop.cpp LIBS pollwick_testsupport_site GUI)
pollwick_add_test(tst_pollwickbinary SOURCES gui/tst_pollwickbinary.cpp
                  LIBS pollwick_testsupport_site)
add_dependencies(tst_pollwickbinary pollwick)
target_compile_definitions(tst_pollwickbinary PRIVATE
                           POLLWICK_BINARY="$<TARGET_FILE:pollwick>")
