vorlanix_add_test(tst_completion SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_completion.cpp LIBS consolelib)
vorlanix_add_test(tst_options SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_options.cpp LIBS consolelib)
vorlanix_add_test(tst_errorreport SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_errorreport.cpp LIBS consolelib)
