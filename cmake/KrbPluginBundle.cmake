# Turns a MODULE library into a VST3 bundle in the build tree:
#   NAME.vst3/Contents/<arch>/NAME.so (Linux) or NAME.vst3 (Windows), with Contents/Resources/.
# Sets KRB_BUNDLE_DIR_<target> in the parent scope and adds an install-vst3 target that copies the
# bundle into the user's VST3 folder.
function(krb_add_vst3_bundle target)
  set(bundle "${CMAKE_BINARY_DIR}/${target}.vst3")
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    LIBRARY_OUTPUT_DIRECTORY "${bundle}/Contents/${KRB_BUNDLE_ARCH}"
    RUNTIME_OUTPUT_DIRECTORY "${bundle}/Contents/${KRB_BUNDLE_ARCH}"
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(WIN32)
    set_target_properties(${target} PROPERTIES SUFFIX ".vst3")
  else()
    set_target_properties(${target} PROPERTIES SUFFIX ".so")
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory "${bundle}/Contents/Resources")
  set(KRB_BUNDLE_DIR_${target} "${bundle}" PARENT_SCOPE)
  if(NOT WIN32)
    add_custom_target(install-vst3
      COMMAND ${CMAKE_COMMAND} -E make_directory "$ENV{HOME}/.vst3"
      COMMAND ${CMAKE_COMMAND} -E rm -rf "$ENV{HOME}/.vst3/${target}.vst3"
      COMMAND ${CMAKE_COMMAND} -E copy_directory "${bundle}" "$ENV{HOME}/.vst3/${target}.vst3"
      DEPENDS ${target}
      COMMENT "Installing ${target}.vst3 into ~/.vst3")
  endif()
endfunction()
