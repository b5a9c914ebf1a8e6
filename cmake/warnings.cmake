# ZT_WERROR: warnings stop the build. Off by default, so that a user or a packager can build with
# any compiler and build type; the Makefile's builds and CI turn it on.
option(ZT_WERROR "Treat compiler warnings as errors" OFF)

# zt_warnings(target): the project's warning set on one target, as errors under ZT_WERROR.
function(zt_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Woverloaded-virtual)
  if(ZT_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# zt_library(name SOURCES ... DEPS ...): a static library of one layer, its folder on the
# include path as <layer>/<file>.h from src/.
function(zt_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  zt_warnings(${name})
endfunction()
