pollwick_add_test(tst_filterwizards SOURCES gui/tst_filterwizards.cpp GUI)
pollwick_add_test(tst_frmlogin SOURCES gui/tst_frmlogin.cpp GUI)
pollwick_add_test(tst_frmabout SOURCES gui/tst_frmabout.cpp GUI)
if(TARGET pollwick_testsupport_site)
  pollwick_add_test(tst_frmfirstrun SOURCES gui/tst_frmfirstrun.cpp
                    LIBS pollwick_testsupport_site GUI)
endif()
