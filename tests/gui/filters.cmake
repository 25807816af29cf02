# The filter wizards' preview of what a filter would have caught, and its agreement with a
# real check against the local test site.
if(TARGET pollwick_testsupport_site)
  pollwick_add_test(tst_filterpreviewwizard SOURCES gui/tst_filterpreviewwizard.cpp
                    gui/NotifyTestApp.h LIBS pollwick_testsupport_site GUI)
endif()
