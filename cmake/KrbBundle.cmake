# Turns a MODULE library into a VST3 bundle folder:
#   Linux:   NAME.vst3/Contents/x86_64-linux/NAME.so
#   Windows: NAME.vst3/Contents/x86_64-win/NAME.vst3
# with an empty Contents/Resources/ beside the binary folder.
#
#   krb_make_vst3_bundle(target NAME [OUTPUT_DIR dir])
#
# OUTPUT_DIR defaults to the current binary folder. The bundle folder is stored in the target
# property KRB_BUNDLE_DIR, so tests can find it with $<TARGET_PROPERTY:target,KRB_BUNDLE_DIR>.
function(krb_make_vst3_bundle target name)
  cmake_parse_arguments(PARSE_ARGV 2 _krb "" "OUTPUT_DIR" "")
  if(NOT _krb_OUTPUT_DIR)
    set(_krb_OUTPUT_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  endif()
  set(_bundle "${_krb_OUTPUT_DIR}/${name}.vst3")
  if(WIN32)
    set(_suffix ".vst3")
  else()
    set(_suffix ".so")
  endif()
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME "${name}"
    PREFIX ""
    SUFFIX "${_suffix}"
    LIBRARY_OUTPUT_DIRECTORY "${_bundle}/Contents/${KRB_BUNDLE_ARCH}"
    RUNTIME_OUTPUT_DIRECTORY "${_bundle}/Contents/${KRB_BUNDLE_ARCH}"
    # Multi-config generators would otherwise add a per-configuration folder.
    LIBRARY_OUTPUT_DIRECTORY_DEBUG "${_bundle}/Contents/${KRB_BUNDLE_ARCH}"
    LIBRARY_OUTPUT_DIRECTORY_RELEASE "${_bundle}/Contents/${KRB_BUNDLE_ARCH}"
    LIBRARY_OUTPUT_DIRECTORY_RELWITHDEBINFO "${_bundle}/Contents/${KRB_BUNDLE_ARCH}"
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    KRB_BUNDLE_DIR "${_bundle}")
  file(MAKE_DIRECTORY "${_bundle}/Contents/Resources")
endfunction()
