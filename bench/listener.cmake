# The listener's service under hostile and busy peers; it runs the built Kestwold.
add_executable(bench_listener ${CMAKE_CURRENT_LIST_DIR}/bench_listener.cpp)
target_link_libraries(bench_listener PRIVATE Qt6::Core)
target_compile_definitions(bench_listener PRIVATE KESTWOLD_PATH="$<TARGET_FILE:Kestwold>")
add_dependencies(bench_listener Kestwold)
