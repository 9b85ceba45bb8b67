vorlanix_add_test(tst_listener SOURCES tst_listener.cpp LIBS listenerlib TIMEOUT 120)
vorlanix_add_test(tst_reboot_e2e SOURCES tst_reboot_e2e.cpp LIBS consolelib listenerlib TIMEOUT 180)
