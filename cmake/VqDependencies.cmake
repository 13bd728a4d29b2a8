# zlib: Debian's zlib1g-dev natively, libz-mingw-w64-dev for Windows (found through the
# toolchain's find root). Windows programs link the static library: the import library would
# make them need zlib1.dll, which Windows does not have (-static does not stop a full path).
if(WIN32)
  set(ZLIB_USE_STATIC_LIBS ON)
  if(ZLIB_LIBRARY_RELEASE MATCHES "\\.dll\\.a$")  # found by an earlier configuration
    unset(ZLIB_LIBRARY_RELEASE CACHE)
    unset(ZLIB_LIBRARY CACHE)
  endif()
endif()
find_package(ZLIB REQUIRED)

# Boost is header-only here (Beast, Asio, URL). For the Windows build mingw must not see
# /usr/include (it would pull in glibc headers), so the Boost headers are exposed through a
# build-time folder that holds nothing but a "boost" link.
add_library(vq_boost INTERFACE)
if(CMAKE_CROSSCOMPILING)
  set(VQ_BOOST_ROOT "/usr/include/boost" CACHE PATH "Boost headers to expose to the cross build")
  set(vq_boost_dir "${CMAKE_BINARY_DIR}/boost-include")
  file(MAKE_DIRECTORY "${vq_boost_dir}")
  file(CREATE_LINK "${VQ_BOOST_ROOT}" "${vq_boost_dir}/boost" SYMBOLIC)
  target_include_directories(vq_boost SYSTEM INTERFACE "${vq_boost_dir}")
else()
  find_package(Boost 1.81 REQUIRED)
  target_link_libraries(vq_boost INTERFACE Boost::headers)
endif()
# BOOST_SYSTEM_USE_UTF8: on Windows, Boost.System words the system's messages (Asio's socket
# failures among them) in UTF-8, the program's byte text, rather than in the ANSI code page; set
# here so that every file that sees Boost is compiled alike.
target_compile_definitions(vq_boost INTERFACE
  BOOST_ASIO_NO_DEPRECATED BOOST_BEAST_USE_STD_STRING_VIEW BOOST_URL_NO_LIB BOOST_SYSTEM_USE_UTF8)
if(WIN32)
  # Windows 7 is the oldest system the client supports.
  target_compile_definitions(vq_boost INTERFACE _WIN32_WINNT=0x0601)
endif()
