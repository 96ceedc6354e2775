# The picture tests write PNG and compressed test files with zlib themselves;
# the library under test reads pictures through the framework and needs none.
foreach(t html_layout_GpImage_test html_layout_Images_test html_layout_ImageDrawing_test html_layout_ObjectCache_test
          html_layout_DocumentImages_test)
  if(TARGET ${t})
    target_link_libraries(${t} PRIVATE ZLIB::ZLIB)
  endif()
endforeach()
