pollwick_add_test(tst_filterwizards SOURCES gui/tst_filterwizards.cpp GUI)
