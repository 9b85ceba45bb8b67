vorlanix_add_test(tst_sockets SOURCES tst_sockets.cpp LIBS platform)
vorlanix_add_test(tst_programfolder SOURCES tst_programfolder.cpp LIBS platform)
