# The folders of src/ include each other one way only (platform/ and model/ at the bottom,
# core/ and app/ at the top, no cycles); the test reads the sources, so it needs no library.
pollwick_add_test(tst_includegraph SOURCES core/tst_includegraph.cpp
                  support/IncludeGraph.cpp support/IncludeGraph.h)
target_compile_definitions(tst_includegraph PRIVATE POLLWICK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
# The base fixture of the tests themselves.
pollwick_add_test(tst_envtest SOURCES core/tst_envtest.cpp)
