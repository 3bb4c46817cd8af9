# The VST3 SDK's interface sources and the project's one definition of the interface IDs, shared by
# the plug-in's framework and the command-line host.
add_library(krb_vst3_sdk STATIC
  "${KRB_VST3_SDK}/pluginterfaces/base/funknown.cpp"
  "${KRB_VST3_SDK}/pluginterfaces/base/coreiids.cpp"
  "${PROJECT_SOURCE_DIR}/framework/vst3/SdkInterfaceIds.cpp")
target_include_directories(krb_vst3_sdk SYSTEM PUBLIC "${KRB_VST3_SDK}")
target_compile_definitions(krb_vst3_sdk PUBLIC $<IF:$<CONFIG:Debug>,DEVELOPMENT=1,RELEASE=1>)
target_compile_options(krb_vst3_sdk PRIVATE -w)
if(WIN32)
  target_link_libraries(krb_vst3_sdk PUBLIC ole32 uuid)
endif()
