# Warnings are errors in our own code; SSE2 math on 32-bit x86 so every target computes alike.
function(tarn_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wnon-virtual-dtor -Werror)
endfunction()

if(CMAKE_SYSTEM_PROCESSOR MATCHES "i686|i386|x86$")
  add_compile_options(-msse2 -mfpmath=sse)
endif()
