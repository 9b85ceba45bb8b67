vorlanix_add_test(tst_records SOURCES tst_records.cpp LIBS console_ui)
target_compile_definitions(tst_records PRIVATE REPLIES_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data/replies")
vorlanix_add_test(tst_openarena_bans SOURCES tst_openarena_bans.cpp LIBS console_ui TIMEOUT 240)
