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

# A core library is every .cpp of its folder; files named *_win32.cpp are the thin Windows
# shells and are built only for Windows.
function(vq_add_core_library name folder)
  file(GLOB sources CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${folder}/*.cpp")
  set(portable ${sources})
  list(FILTER portable EXCLUDE REGEX "_win32\\.cpp$")
  if(WIN32)
    set(selected ${sources})
    # A portable file with a Windows twin (name.cpp beside name_win32.cpp) is left out.
    foreach(source IN LISTS sources)
      if(source MATCHES "_win32\\.cpp$")
        string(REGEX REPLACE "_win32\\.cpp$" ".cpp" twin "${source}")
        list(REMOVE_ITEM selected "${twin}")
      endif()
    endforeach()
  else()
    set(selected ${portable})
  endif()
  add_library(${name} STATIC ${selected})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  vq_set_warnings(${name})
endfunction()
