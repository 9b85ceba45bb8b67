# vorlanix-rcon as a script runs it, on a keyring of its own; and what it needs at run time.
vorlanix_add_test(tst_rcon_cli REALTIME SOURCES tst_rcon_cli.cpp LIBS console_cli Qt6::Network
                  WRAP ${CMAKE_CURRENT_SOURCE_DIR}/support/with-keyring.sh)
target_compile_definitions(tst_rcon_cli PRIVATE RCON_TOOL="$<TARGET_FILE:vorlanix-rcon>"
                                                REPLIES_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data/replies")
add_dependencies(tst_rcon_cli vorlanix-rcon)
add_test(NAME rcon_cli_needs COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/support/needs-no-display.sh
         $<TARGET_FILE:vorlanix-rcon>)
# --restart, down to the real game server restarted through `Kestwold --service`.
vorlanix_add_test(tst_restart_cli REALTIME SOURCES tst_restart_cli.cpp LIBS console_cli Qt6::Network TIMEOUT 180)
target_compile_definitions(tst_restart_cli PRIVATE RCON_TOOL="$<TARGET_FILE:vorlanix-rcon>"
                                                   KESTWOLD_PATH="$<TARGET_FILE:Kestwold>")
add_dependencies(tst_restart_cli vorlanix-rcon Kestwold)
set_tests_properties(tst_restart_cli PROPERTIES COST 1000)
