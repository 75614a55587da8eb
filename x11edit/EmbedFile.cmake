# tarn_embed_file(SOURCES FILE SYMBOL): appends to the list SOURCES a generated source that assembles
# FILE's bytes in (.incbin) as the hidden C symbol SYMBOL, with SYMBOL_size (32 bits) holding their
# count. The editor's bitmaps travel inside the plug-in, as its resources do on Windows; assembling
# them in takes no time whatever their size, and the object is rebuilt whenever the file changes.
function(tarn_embed_file sources file symbol)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded/${symbol}.cpp)
  file(CONFIGURE OUTPUT ${output} @ONLY CONTENT [[
// Generated from @file@; do not edit.
asm(".pushsection .rodata\n"
    ".balign 16\n"
    ".globl @symbol@\n"
    ".hidden @symbol@\n"
    "@symbol@:\n"
    ".incbin \"@file@\"\n"
    "@symbol@_end:\n"
    ".balign 4\n"
    ".globl @symbol@_size\n"
    ".hidden @symbol@_size\n"
    "@symbol@_size:\n"
    ".4byte @symbol@_end - @symbol@\n"
    ".popsection\n");
]])
  set_source_files_properties(${output} PROPERTIES OBJECT_DEPENDS ${file})
  set(${sources} ${${sources}} ${output} PARENT_SCOPE)
endfunction()
