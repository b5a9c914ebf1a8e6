# zt_warnings(target): the project's warning set, errors included, on one target.
function(zt_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Woverloaded-virtual)
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
