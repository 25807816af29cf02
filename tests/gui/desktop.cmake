# The installed program, from `cmake --install` into a temporary prefix, against the test site.
pollwick_add_test(tst_installedtree SOURCES gui/tst_installedtree.cpp
                  LIBS pollwick_testsupport_site)
add_dependencies(tst_installedtree pollwick pollwick_docs)
target_compile_definitions(tst_installedtree PRIVATE
                           POLLWICK_CMAKE="${CMAKE_COMMAND}"
                           POLLWICK_BUILD_DIR="${CMAKE_BINARY_DIR}"
                           POLLWICK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
if(TARGET Qt6::Multimedia)
  target_compile_definitions(tst_installedtree PRIVATE POLLWICK_HAVE_MULTIMEDIA=1)
endif()

# The windows' icon and the About picture are the icon the install puts in the hicolor theme.
pollwick_add_test(tst_programicon SOURCES gui/tst_programicon.cpp
                  LIBS pollwick_testsupport_site GUI)
target_compile_definitions(tst_programicon PRIVATE
                           POLLWICK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
# A tray that appears after the program, and the popup's X11 properties, on a virtual X display
# with a private session bus. Qt settles once per process whether a D-Bus tray exists, so the
# XEmbed tray runs in a process of its own.
set(virtual_display xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp")
pollwick_add_test(tst_trayhost SOURCES gui/tst_trayhost.cpp
                  LIBS pollwick_testsupport_site pollwick_testsupport_bus GUI
                  ARGS statusNotifierHostAppearsLater popupIsANotificationWindow
                  LAUNCHER ${virtual_display})
pollwick_add_test_run(tst_trayhost_xembed tst_trayhost ARGS xembedTrayAppearsLater
                      LAUNCHER ${virtual_display})
if(POLLWICK_SANITIZE)
  # Qt's X11 connection reads the keyboard map through libxkbcommon-x11, which copies strings
  # with strndup from buffers that are not NUL-terminated (legal with a length); the strict
  # string check reads past them and reports it. Only these X11 runs go without that check.
  set_tests_properties(tst_trayhost tst_trayhost_xembed PROPERTIES
    ENVIRONMENT_MODIFICATION "ASAN_OPTIONS=string_append::strict_string_checks=0")
endif()
# Pages and .torrent files through xdg-open, and what the user is told when nothing opens them.
pollwick_add_test(tst_desktopshell SOURCES gui/tst_desktopshell.cpp GUI)
