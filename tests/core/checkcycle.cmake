# The check's stages after the parsed reply, each on its own.
pollwick_add_test(tst_checkcycle SOURCES core/tst_checkcycle.cpp)
