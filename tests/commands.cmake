vorlanix_add_test(tst_completion SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_completion.cpp LIBS console_ui)
