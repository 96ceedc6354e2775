# The HSM token list reader (caHSMTokens.ini) and its writer's lines.
zrx_fuzz(hsm_tokens SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/hsm_tokens_fuzz.cpp LIBS zrx_locations)
