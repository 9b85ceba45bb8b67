vorlanix_add_test(tst_sockets SOURCES tst_sockets.cpp LIBS consolelib)
vorlanix_add_test(tst_reboot_client SOURCES tst_reboot_client.cpp LIBS platform)
