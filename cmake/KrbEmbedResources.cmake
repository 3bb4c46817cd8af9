# Compiles resource files (bitmaps, fonts) into a library.
#
#   krb_embed_resources(TARGET <name> FILES <file>...)
#
# Makes an OBJECT library <name> to link into the plug-in (and into tests). On Windows it holds a
# generated .rc file with each file as a resource of type PNG or TTF (from the file's extension)
# under its upper-cased file name. Elsewhere each file becomes a generated .cpp with a byte array,
# and a generated table implements FindEmbeddedResource (framework/graphics/EmbeddedResources.h).

set(_KRB_EMBED_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/KrbEmbedFile.cmake")

function(krb_embed_resources)
  cmake_parse_arguments(ARG "" "TARGET" "FILES" ${ARGN})
  set(outDir "${CMAKE_CURRENT_BINARY_DIR}/${ARG_TARGET}")
  file(MAKE_DIRECTORY "${outDir}")

  if(WIN32)
    set(rcText "// Generated: the editor's resources, each under its upper-cased file name.\n")
    foreach(file IN LISTS ARG_FILES)
      get_filename_component(name "${file}" NAME)
      get_filename_component(ext "${file}" EXT)
      string(TOUPPER "${name}" upperName)
      string(TOUPPER "${ext}" type)
      string(SUBSTRING "${type}" 1 -1 type)
      string(APPEND rcText "${upperName} ${type} \"${file}\"\n")
    endforeach()
    file(GENERATE OUTPUT "${outDir}/EmbeddedResources.rc" CONTENT "${rcText}")
    add_library(${ARG_TARGET} OBJECT "${outDir}/EmbeddedResources.rc")
    set_source_files_properties("${outDir}/EmbeddedResources.rc" PROPERTIES OBJECT_DEPENDS "${ARG_FILES}")
    return()
  endif()

  set(sources "")
  set(declarations "")
  set(entries "")
  set(index 0)
  foreach(file IN LISTS ARG_FILES)
    get_filename_component(name "${file}" NAME)
    set(symbol "gKrbResource${index}")
    set(out "${outDir}/Resource${index}.cpp")
    add_custom_command(OUTPUT "${out}"
      COMMAND ${CMAKE_COMMAND} -DIN=${file} -DOUT=${out} -DSYMBOL=${symbol} -P "${_KRB_EMBED_SCRIPT}"
      DEPENDS "${file}" "${_KRB_EMBED_SCRIPT}"
      COMMENT "Embedding ${name}"
      VERBATIM)
    list(APPEND sources "${out}")
    string(APPEND declarations "extern const unsigned char ${symbol}[];\nextern const size_t ${symbol}Size;\n")
    string(APPEND entries "  {\"${name}\", ${symbol}, ${symbol}Size},\n")
    math(EXPR index "${index} + 1")
  endforeach()

  set(table "${outDir}/ResourceTable.cpp")
  file(GENERATE OUTPUT "${table}" CONTENT
"// Generated: the table of the resources compiled into the library.
#include <cstring>

#include \"graphics/EmbeddedResources.h\"

${declarations}
namespace
{
const EmbeddedResource kResources[] = {
${entries}};
} // namespace

const EmbeddedResource* FindEmbeddedResource(const char* fileName)
{
  for (const EmbeddedResource& resource : kResources)
    if (std::strcmp(resource.name, fileName) == 0)
      return &resource;
  return nullptr;
}
")
  add_library(${ARG_TARGET} OBJECT ${sources} "${table}")
  target_include_directories(${ARG_TARGET} PRIVATE "${PROJECT_SOURCE_DIR}/framework")
endfunction()
