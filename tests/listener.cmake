vorlanix_add_test(tst_listener SOURCES tst_listener.cpp LIBS listenerlib TIMEOUT 120)
