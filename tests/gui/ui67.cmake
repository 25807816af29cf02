pollwick_add_test(tst_filterwizards SOURCES gui/tst_filterwizards.cpp GUI)
if(TARGET pollwick_testsupport_site)
  pollwick_add_test(tst_frmfirstrun SOURCES gui/tst_frmfirstrun.cpp
                    LIBS pollwick_testsupport_site GUI)
endif()
pollwick_add_test(tst_frmlogin SOURCES gui/tst_frmlogin.cpp GUI)
