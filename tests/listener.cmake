vorlanix_add_test(tst_listener SOURCES tst_listener.cpp LIBS listener_ui TIMEOUT 120)
vorlanix_add_test(tst_listener_service SOURCES tst_listener_service.cpp LIBS listener_ui TIMEOUT 120)
vorlanix_add_test(tst_reboot_e2e REALTIME SOURCES tst_reboot_e2e.cpp LIBS console_ui listener_ui TIMEOUT 180)
# Started first: its four seconds of delay overlap the other tests.
set_tests_properties(tst_reboot_e2e PROPERTIES COST 1000)
# Their shared helpers run the built program as the service manager would.
foreach(test tst_listener tst_listener_service tst_reboot_e2e)
  target_compile_definitions(${test} PRIVATE KESTWOLD_PATH="$<TARGET_FILE:Kestwold>")
  add_dependencies(${test} Kestwold)
endforeach()

include(GNUInstallDirs)
add_test(NAME kestwold_unit
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/support/verify-unit.sh ${CMAKE_BINARY_DIR}/listener/kestwold@.service
                 ${CMAKE_INSTALL_FULL_BINDIR}/Kestwold $<TARGET_FILE:Kestwold>)
set_tests_properties(kestwold_unit PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 60)
# The unit names its man page (Documentation=), which the checker looks up: the one in the build tree.
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/man/man1)
file(CREATE_LINK ${PROJECT_BINARY_DIR}/resources/man/Kestwold.1 ${CMAKE_CURRENT_BINARY_DIR}/man/man1/Kestwold.1 SYMBOLIC)
set_tests_properties(kestwold_unit PROPERTIES ENVIRONMENT MANPATH=${CMAKE_CURRENT_BINARY_DIR}/man)
