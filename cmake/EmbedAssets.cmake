# Compiles the program's embedded files into a library as byte arrays, so the Linux program and
# the tests carry them without reading any file at run time.
function(loma_embed_assets target assets_dir)
  set(out "${CMAKE_CURRENT_BINARY_DIR}/generated/embedded_assets.cpp")
  set(files
    Backdrop=backdrop.jpg WindowIcon=window_icon.ico DownFace=down_face.jpg UpFace=up_face.jpg
    CountdownNotice=countdown_notice.wmf TitleBanner=title_banner.jpg
    FontMing=fonts/LomaMing-Bold.otf FontBlack=fonts/LomaBlack.otf)
  set(inputs "")
  foreach(pair IN LISTS files)
    string(REPLACE "=" ";" pair "${pair}")
    list(GET pair 1 file)
    list(APPEND inputs "${assets_dir}/${file}")
  endforeach()
  add_custom_command(OUTPUT "${out}"
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} -DDIR=${assets_dir} "-DFILES=${files}"
            -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/embed_assets_run.cmake"
    DEPENDS ${inputs} "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/embed_assets_run.cmake"
    COMMENT "Embedding the pictures and fonts" VERBATIM)
  add_library(${target} STATIC "${out}")
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
endfunction()
