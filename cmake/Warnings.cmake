# Warnings are errors in our own code; SSE2 math on 32-bit x86 so every target computes alike.
function(tarn_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wnon-virtual-dtor -Werror)
endfunction()

if(CMAKE_SYSTEM_PROCESSOR MATCHES "i686|i386|x86$")
  add_compile_options(-msse2 -mfpmath=sse)
  # The 32-bit heaps give 8-byte alignment while the compiler takes `new` to give 16: told the truth,
  # it allocates every type that needs more (all holding SSE data) through the aligned `operator new`.
  add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-faligned-new=8>)
endif()
