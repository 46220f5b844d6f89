# Shared build rules.

set(FENWO_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)

function(fenwo_target_defaults tgt)
  target_compile_options(${tgt} PRIVATE ${FENWO_WARNINGS})
  if(FENWO_SANITIZE)
    target_compile_options(${tgt} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(${tgt} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# fenwo_library(name [DEPS ...] [PUBLIC_QT]): a static library of every .cpp in this folder
# (recursively). Headers are included as "folder/file.h" from the source root.
function(fenwo_library name)
  cmake_parse_arguments(A "" "" "DEPS;PRIVATE_DEPS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(x ${A_EXCLUDE})
    list(REMOVE_ITEM srcs ${CMAKE_CURRENT_SOURCE_DIR}/${x})
  endforeach()
  file(GLOB_RECURSE hdrs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(srcs)
    add_library(${name} STATIC ${srcs} ${hdrs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS})
    fenwo_target_defaults(${name})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${A_DEPS})
  endif()
endfunction()

# fenwo_program(name LIB lib MAIN file [SUBDIR dir]): an executable in the program folder,
# made of its main file and its library.
function(fenwo_program name)
  cmake_parse_arguments(A "" "LIB;MAIN;SUBDIR" "" ${ARGN})
  add_executable(${name} ${A_MAIN})
  target_link_libraries(${name} PRIVATE ${A_LIB})
  fenwo_target_defaults(${name})
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${FENWO_APPDIR}/${A_SUBDIR}
    OUTPUT_NAME ${name})
endfunction()
