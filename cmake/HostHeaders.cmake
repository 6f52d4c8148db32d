# forgeline_host_headers(TARGET FOLDER HEADER): a header-only library taken
# from the build machine for a cross build, where find_package looks in the
# target's root only. Just its own FOLDER goes on the include path (through
# a link in the build folder), never the build machine's whole include
# folder, whose C library headers would shadow the target's.
function(forgeline_host_headers target folder header)
  find_path(FORGELINE_HOST_${folder} ${folder}/${header} NO_CMAKE_FIND_ROOT_PATH)
  if(NOT FORGELINE_HOST_${folder})
    return()
  endif()
  set(links ${CMAKE_BINARY_DIR}/host-headers/${folder})
  file(MAKE_DIRECTORY ${links})
  file(CREATE_LINK ${FORGELINE_HOST_${folder}}/${folder} ${links}/${folder} SYMBOLIC)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${target} SYSTEM INTERFACE ${links})
endfunction()
