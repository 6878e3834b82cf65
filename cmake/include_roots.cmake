# Include roots of one folder each. A library's headers are found as
# "<folder>/<header>" (for example "link/transaction.h") through a folder of
# the build tree that holds a link to that source folder and nothing else.
# A target sees its own root and the roots of what it links against, so an
# include of a layer it does not link against does not compile.
#
# k740_include_root(<target> <PUBLIC|PRIVATE> <base> <folder or header>...)
function(k740_include_root target scope base)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  foreach(path ${ARGN})
    get_filename_component(parent ${root}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${base}/${path} ${root}/${path} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} ${root})
endfunction()
