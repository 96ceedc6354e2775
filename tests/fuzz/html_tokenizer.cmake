# Document text through the HTML tokenizer, the script and textarea readers
# and the parser's property stack.
zrx_fuzz(html_tokenizer SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/html_tokenizer_fuzz.cpp LIBS zrx_html_parser)
