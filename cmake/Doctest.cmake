# kalvor_doctest: the test programs' framework (Debian's doctest-dev, one header) and its runner.
# Only doctest's own folder goes on the include path: a cross-compiler must not see the build
# machine's other headers.
if(NOT TARGET kalvor_doctest)
  find_path(KALVOR_DOCTEST_DIR doctest.h PATHS /usr/include /usr/local/include
            PATH_SUFFIXES doctest NO_CMAKE_FIND_ROOT_PATH REQUIRED
            DOC "doctest's folder (Debian: doctest-dev)")
  add_library(kalvor_doctest STATIC ${PROJECT_SOURCE_DIR}/tests/unit/TestRunner.cpp)
  target_include_directories(kalvor_doctest SYSTEM PUBLIC ${KALVOR_DOCTEST_DIR})
  set_target_properties(kalvor_doctest PROPERTIES AUTOMOC OFF)
  kalvor_warnings(kalvor_doctest)
endif()
