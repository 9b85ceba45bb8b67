vorlanix_add_test(tst_sockets SOURCES tst_sockets.cpp LIBS console_ui)
