vorlanix_add_test(tst_serverreplies SOURCES tst_serverreplies.cpp LIBS consolelib)
target_compile_definitions(tst_serverreplies PRIVATE REPLIES_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data/replies")
vorlanix_add_test(tst_serverquery SOURCES tst_serverquery.cpp LIBS consolelib)
target_compile_definitions(tst_serverquery PRIVATE REPLIES_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data/replies")
