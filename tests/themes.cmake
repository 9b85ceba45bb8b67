vorlanix_add_test(tst_themedialog SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_themedialog.cpp LIBS console_ui)
vorlanix_add_test(tst_options SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_options.cpp LIBS console_ui)
vorlanix_add_test(tst_layout SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_layout.cpp LIBS console_rules)
vorlanix_add_test(tst_bigscreen SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_bigscreen.cpp LIBS console_ui)
