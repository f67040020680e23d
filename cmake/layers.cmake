# The layers of the program, kept by the build.
#
# Every layer is a static library whose sources see, through their include
# path, only the folders the layer may include: a folder in the build tree
# (include-views/<library>) holding links to those source folders and to
# nothing else. An include that runs backward ("register/..." from sheet/)
# then finds no file, and the build stops there. The library's link
# dependencies are the layers below it, so a call backward cannot link
# either. docs/architecture.md draws the layers; the test Layers.* in
# test_tools still reads every include, including relative ones ("../x.h")
# that no include path can stop.

set(SZ_VIEWS ${CMAKE_BINARY_DIR}/include-views)

# sz_include_view(<target> <entry>...): <target> sees the entries, each a
# source folder ("engine") or one file of a folder ("core/idoszak.h").
function(sz_include_view target)
  set(view ${SZ_VIEWS}/${target})
  file(REMOVE_RECURSE ${view})
  file(MAKE_DIRECTORY ${view})
  foreach(entry ${ARGN})
    get_filename_component(parent ${view}/${entry} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${entry} ${view}/${entry} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PRIVATE ${view})
endfunction()

# sz_layer(<library> SEES <entry>... LINKS <library>...): a static library
# of one layer (its sources are added by its folder's CMakeLists.txt).
function(sz_layer lib)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SEES;LINKS")
  add_library(${lib} STATIC)
  sz_include_view(${lib} ${arg_SEES})
  target_link_libraries(${lib} PUBLIC ${arg_LINKS})
endfunction()
