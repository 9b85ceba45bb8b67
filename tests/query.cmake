foreach(name tst_serverreplies tst_players tst_plaintext)
  vorlanix_add_test(${name} SOURCES ${name}.cpp LIBS console_ui)
  target_compile_definitions(${name} PRIVATE REPLIES_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data/replies")
endforeach()
