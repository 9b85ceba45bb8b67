find_package(SQLite3 REQUIRED)
add_executable(bench_history ${CMAKE_CURRENT_LIST_DIR}/bench_history.cpp)
target_link_libraries(bench_history PRIVATE console_session SQLite::SQLite3)
