# The installed program, from `cmake --install` into a temporary prefix, against the test site.
if(TARGET pollwick_testsupport_site)
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
endif()

# The windows' icon and the About picture are the icon the install puts in the hicolor theme.
if(TARGET pollwick_testsupport_site)
  pollwick_add_test(tst_programicon SOURCES gui/tst_programicon.cpp
                    LIBS pollwick_testsupport_site GUI)
  target_compile_definitions(tst_programicon PRIVATE
                             POLLWICK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
