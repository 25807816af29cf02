pollwick_add_test(tst_filterlistops SOURCES core/tst_filterlistops.cpp)
pollwick_add_test(tst_filterwizardlogic SOURCES core/tst_filterwizardlogic.cpp)
pollwick_add_test(tst_accountrules SOURCES core/tst_accountrules.cpp)
if(TARGET pollwick_testsupport_site)
  pollwick_add_test(tst_credentialcheck SOURCES core/tst_credentialcheck.cpp
                    LIBS pollwick_testsupport_site)
endif()
