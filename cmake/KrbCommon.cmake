# Shared settings for every target of the project.

set(KRB_VST3_SDK "/usr/share/juce/modules/juce_audio_processors/format_types/VST3_SDK"
    CACHE PATH "VST3 SDK folder (pluginterfaces, base, public.sdk)")
set(KRB_DPF_SRC "/usr/share/dpf/dgl/src" CACHE PATH "Folder holding nanovg/ and pugl-upstream/")

if(NOT EXISTS "${KRB_VST3_SDK}/pluginterfaces/base/funknown.h")
  message(FATAL_ERROR "VST3 SDK not found at ${KRB_VST3_SDK}: run scripts/setup.sh")
endif()

if(WIN32)
  set(KRB_PLATFORM_SUFFIX Win)
  set(KRB_BUNDLE_ARCH x86_64-win)
else()
  set(KRB_PLATFORM_SUFFIX Linux)
  set(KRB_BUNDLE_ARCH x86_64-linux)
endif()

# Warnings for our own targets.
function(krb_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

if(KRB_SANITIZE)
  string(REPLACE ";" "," _krb_san "${KRB_SANITIZE}")
  add_compile_options(-fsanitize=${_krb_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_krb_san})
endif()

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "" FORCE)
endif()

if(WIN32)
  # Only system DLLs at run time: the compiler's runtime is linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/KrbBundle.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/KrbVst3Sdk.cmake)
