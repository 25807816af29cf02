# The local site simulator, started as its own program.
pollwick_add_test(tst_sitesim SOURCES core/tst_sitesim.cpp LIBS pollwick_testsupport_site Qt6::Gui)
target_compile_definitions(tst_sitesim PRIVATE SITESIM_EXECUTABLE="$<TARGET_FILE:pollwick-sitesim>")
add_dependencies(tst_sitesim pollwick-sitesim)
