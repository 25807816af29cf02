# Notification: the check's stages after the parsed reply, the alerts, and the logic of the
# popup and the summary window.
pollwick_add_test(tst_checkcycle SOURCES core/tst_checkcycle.cpp)
pollwick_add_test(tst_alertstage SOURCES core/tst_alertstage.cpp)
pollwick_add_test(tst_popupanimation SOURCES core/tst_popupanimation.cpp)
pollwick_add_test(tst_summaryrows SOURCES core/tst_summaryrows.cpp)
