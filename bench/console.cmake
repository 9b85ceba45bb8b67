foreach(b pane flood roundtrip startup players)
  add_executable(bench_${b} ${CMAKE_CURRENT_LIST_DIR}/bench_${b}.cpp)
  target_link_libraries(bench_${b} PRIVATE console_ui)
endforeach()
