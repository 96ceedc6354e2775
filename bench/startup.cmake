# Start-up time: the key generator beside a bare Qt Widgets program showing
# one window (built here), both started as processes in the same run; the
# ratio of their medians is printed.
add_executable(bench_startup_bare ${CMAKE_CURRENT_LIST_DIR}/startup_bare.cpp)
target_compile_options(bench_startup_bare PRIVATE ${ZRX_WARNINGS})
target_link_libraries(bench_startup_bare PRIVATE Qt6::Widgets)
add_executable(bench_startup ${CMAKE_CURRENT_LIST_DIR}/startup_bench.cpp)
target_compile_options(bench_startup PRIVATE ${ZRX_WARNINGS})
target_link_libraries(bench_startup PRIVATE benchmark::benchmark)
target_compile_definitions(bench_startup PRIVATE ZRX_BENCH_PROGRAM="$<TARGET_FILE:ZrX509_ZERUvorido>"
                                                 ZRX_BENCH_BARE="$<TARGET_FILE:bench_startup_bare>")
add_dependencies(bench_startup ZrX509_ZERUvorido bench_startup_bare)
