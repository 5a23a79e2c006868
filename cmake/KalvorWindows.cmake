# The native Windows build: the core, the Win32 front-end and the tests that run under wine.
# Nothing of Qt or X11. Configured with cmake/mingw-w64-x86_64.cmake (scripts/build-windows.sh).
set(CMAKE_AUTOMOC OFF)
set(CMAKE_CXX_STANDARD 20)
enable_language(RC)

# One kalvor.exe that needs no DLL beyond Windows' own.
add_link_options(-static -static-libgcc -static-libstdc++)

add_subdirectory(src/core)
add_subdirectory(src/platform/win32)
add_subdirectory(src/win32)

if(KALVOR_BUILD_TESTS)
  enable_testing()
  add_subdirectory(tests/win32)
endif()
