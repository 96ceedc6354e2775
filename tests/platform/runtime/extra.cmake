# The translation test checks the tables shipped in app/data/lang.
target_compile_definitions(platform_runtime_Translation_test PRIVATE ZRX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
