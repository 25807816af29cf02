pollwick_add_test(tst_filterlistops SOURCES core/tst_filterlistops.cpp)
pollwick_add_test(tst_filterwizardlogic SOURCES core/tst_filterwizardlogic.cpp)
if(TARGET pollwick_testsupport_site)
  pollwick_add_test(tst_credentialcheck SOURCES core/tst_credentialcheck.cpp
                    LIBS pollwick_testsupport_site)
endif()
