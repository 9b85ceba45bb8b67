# The same cases against a real secret service, and with none answering.
vorlanix_add_test(tst_keyring SOURCES tst_keyring.cpp LIBS console_ui WRAP ${CMAKE_CURRENT_SOURCE_DIR}/support/with-keyring.sh)
add_test(NAME tst_keyring_none COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
         LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/support/lsan.supp DBUS_SESSION_BUS_ADDRESS=disabled:
         ${CMAKE_CURRENT_SOURCE_DIR}/support/isolated.sh $<TARGET_FILE:tst_keyring>)
set_tests_properties(tst_keyring tst_keyring_none PROPERTIES TIMEOUT 120)
