vorlanix_add_test(tst_rcon SOURCES tst_rcon.cpp LIBS consolelib)
vorlanix_add_test(tst_settings SOURCES tst_settings.cpp LIBS consolelib)
vorlanix_add_test(tst_layout SOURCES tst_layout.cpp LIBS consolelib)
vorlanix_add_test(tst_console_window SOURCES tst_console_window.cpp LIBS consolelib TIMEOUT 240)
