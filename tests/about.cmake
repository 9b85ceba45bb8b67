vorlanix_add_test(tst_about SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_about.cpp LIBS console_ui)
vorlanix_add_test(tst_startup SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_startup.cpp LIBS console_rules)
target_compile_definitions(tst_startup PRIVATE VORLANIX_PATH="$<TARGET_FILE:vorlanix>")
add_dependencies(tst_startup vorlanix)
