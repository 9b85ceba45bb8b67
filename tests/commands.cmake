vorlanix_add_test(tst_quickcommands SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_quickcommands.cpp LIBS consolelib)
vorlanix_add_test(tst_completion SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_completion.cpp LIBS consolelib)
