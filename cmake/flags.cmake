# Compiler policy for every Quorbel target, as one interface target.
#  - Bit-exact floating point: SSE arithmetic on i686 (x87 excess precision
#    changes last digits), no contraction into fused multiply-adds, no
#    fast-math, and no SLP vectorisation (GCC 12 has been seen to drop a float
#    rounding when it packs two held values together).
#  - Warnings are errors on every toolchain.
add_library(quorbel_flags INTERFACE)
target_compile_options(quorbel_flags INTERFACE
    -ffp-contract=off -fno-fast-math -fno-tree-slp-vectorize
    -Wall -Wextra -Werror)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "i.86")
  target_compile_options(quorbel_flags INTERFACE -msse2 -mfpmath=sse)
endif()
if(NOT WIN32)
  target_compile_options(quorbel_flags INTERFACE -fvisibility=hidden)
endif()
# Emscripten leaves C++ exceptions uncaught unless asked; the library's
# guards and the tool's argument errors rely on them.
if(EMSCRIPTEN)
  target_compile_options(quorbel_flags INTERFACE -fexceptions)
  target_link_options(quorbel_flags INTERFACE -fexceptions)
endif()
if(QUORBEL_FUZZ)
  target_compile_options(quorbel_flags INTERFACE
      -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(quorbel_flags INTERFACE -fsanitize=address,undefined)
endif()
if(QUORBEL_SANITIZE)
  target_compile_options(quorbel_flags INTERFACE
      -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(quorbel_flags INTERFACE -fsanitize=address,undefined)
endif()

if(QUORBEL_TSAN)
  target_compile_options(quorbel_flags INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(quorbel_flags INTERFACE -fsanitize=thread)
endif()

# Executables for Windows carry their runtime inside, so that Wine needs no
# mingw DLL beside them, and no link time in their header.
function(quorbel_static_runtime target)
  if(WIN32)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)
  endif()
endfunction()
