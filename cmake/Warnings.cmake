# Our warnings, errors unless RURUROR_WERROR is off, on every target this project
# defines below `directory` and on no other: a project that adds ours as a
# subdirectory keeps its own flags, and a target added anywhere here cannot be
# missed.
function(rururoro_warnings directory)
  set(warnings -Wall -Wextra)
  if(RURUROR_WERROR)
    list(APPEND warnings -Werror)
  endif()
  get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
      target_compile_options(${target} PRIVATE ${warnings})
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    rururoro_warnings(${subdirectory})
  endforeach()
endfunction()
