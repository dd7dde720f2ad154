# The layers as the compiler sees them. Every target made in a source folder of the layer
# table (cmake/layers.txt) includes through one folder of the build tree,
# layers/<folder>/include, which holds links to exactly the headers that folder may use
# (its own, and those the table names), under their paths from the source root, so that
# `#include "ui/Control.h"` is spelled as everywhere and a header of a layer above or
# beside is simply not there. The sources' root is on no product target's include path;
# the tests put it on their own (tests/CMakeLists.txt).
#
# The links are made when CMake configures; the folders' headers are globbed with
# CONFIGURE_DEPENDS, so a header added or removed is linked or dropped at the next build.

set(TAVRO_LAYER_TABLE ${CMAKE_SOURCE_DIR}/cmake/layers.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TAVRO_LAYER_TABLE})

# Reads the table: TAVRO_LAYER_FOLDERS, and TAVRO_LAYER_USES_<folder> for each folder.
function(tavro_read_layer_table)
  file(STRINGS ${TAVRO_LAYER_TABLE} rows)
  set(folders)
  foreach(row IN LISTS rows)
    string(REGEX REPLACE "#.*" "" row "${row}")
    string(STRIP "${row}" row)
    if(row STREQUAL "")
      continue()
    endif()
    string(REGEX REPLACE "[ \t]+" ";" fields "${row}")
    list(POP_FRONT fields folder)
    if(folder IN_LIST folders)
      message(FATAL_ERROR "${TAVRO_LAYER_TABLE}: the folder ${folder} has two rows")
    endif()
    list(APPEND folders ${folder})
    set(TAVRO_LAYER_USES_${folder} "${fields}" PARENT_SCOPE)
  endforeach()
  set(TAVRO_LAYER_FOLDERS "${folders}" PARENT_SCOPE)
endfunction()

# Links header (a path from the source root) into the include folder view.
function(tavro_link_header view header)
  get_filename_component(dir ${view}/${header} DIRECTORY)
  file(MAKE_DIRECTORY ${dir})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${header} ${view}/${header} SYMBOLIC)
endfunction()

# Makes the include folder of folder's layer; its path in out.
function(tavro_make_layer_view folder out)
  set(view ${CMAKE_BINARY_DIR}/layers/${folder}/include)
  file(REMOVE_RECURSE ${view})
  file(MAKE_DIRECTORY ${view})
  set(entries ${folder} ${TAVRO_LAYER_USES_${folder}})
  foreach(entry IN LISTS entries)
    if(IS_DIRECTORY ${CMAKE_SOURCE_DIR}/${entry})
      file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}
           ${CMAKE_SOURCE_DIR}/${entry}/*.h)
      foreach(header IN LISTS headers)
        tavro_link_header(${view} ${header})
      endforeach()
    elseif(EXISTS ${CMAKE_SOURCE_DIR}/${entry} AND entry MATCHES "\\.h$")
      tavro_link_header(${view} ${entry})
    else()
      message(FATAL_ERROR "${TAVRO_LAYER_TABLE}: ${folder} may use ${entry}, "
                          "which is neither a source folder nor a header")
    endif()
  endforeach()
  set(${out} ${view} PARENT_SCOPE)
endfunction()

# Gives every target that compiles sources in the folders below dir the include folder of
# its layer. A folder with such a target that the table does not name stops the
# configuration; tests/ is not walked.
function(tavro_apply_layers dir)
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR} ${dir})
  if(folder STREQUAL "tests")
    return()
  endif()
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  set(compiled)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    get_target_property(sources ${target} SOURCES)
    if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$"
       AND sources MATCHES "\\.(cpp|c)(;|$)")
      list(APPEND compiled ${target})
    endif()
  endforeach()
  if(compiled)
    if(NOT folder IN_LIST TAVRO_LAYER_FOLDERS)
      message(FATAL_ERROR "the folder '${folder}' builds ${compiled} but has no row in the layer "
                          "table ${TAVRO_LAYER_TABLE}")
    endif()
    tavro_make_layer_view(${folder} view)
    foreach(target IN LISTS compiled)
      target_include_directories(${target} PRIVATE ${view})
    endforeach()
  endif()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    tavro_apply_layers(${subdir})
  endforeach()
endfunction()

tavro_read_layer_table()
