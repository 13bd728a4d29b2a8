# Warnings and the rule that Windows builds are static (the program must need nothing beyond the
# DLLs every Windows has).
function(vq_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(WIN32)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
  endif()
endfunction()

function(vq_static_runtime target)
  if(WIN32)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
endfunction()

# A core library is every .cpp of its folder. Files named *_win32.cpp are the Windows shells
# and Windows implementations of a seam, built only for Windows; files named *_posix.cpp are the
# same seam's implementation for the other systems, built everywhere else.
function(vq_add_core_library name folder)
  file(GLOB sources CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${folder}/*.cpp")
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "_win32\\.cpp$")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  vq_set_warnings(${name})
endfunction()
