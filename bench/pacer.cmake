# Against the real OpenArena server: what arrives of fifteen commands sent at once, paced and not.
find_package(Qt6 REQUIRED COMPONENTS Test)
add_executable(bench_pacer ${CMAKE_CURRENT_LIST_DIR}/bench_pacer.cpp)
target_include_directories(bench_pacer PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_link_libraries(bench_pacer PRIVATE console_session Qt6::Test)
