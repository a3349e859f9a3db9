# tessara_add_windows_program(<name>
#     SOURCES <file>...           the program's sources
#     RESOURCES <file.rc>...      its resource script: icon, version and, through it, its manifest
#     LIBRARIES <target>...       what it links (a small program links only system libraries)
#     [DEFINITIONS <def>...])
# Adds a Windows GUI program built the one way every program of the product is:
# wide-character entry point, W functions, the static runtime (no libgcc,
# libstdc++ or winpthread DLLs beside it), stripped in release builds, and
# written to the common bin/ folder where the programs find each other.
function(tessara_add_windows_program name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;RESOURCES;LIBRARIES;DEFINITIONS")
  add_executable(${name} WIN32 ${ARG_SOURCES} ${ARG_RESOURCES})
  target_include_directories(${name} PRIVATE ${ROOT})
  target_compile_definitions(${name} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX ${ARG_DEFINITIONS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES})
  target_link_options(${name} PRIVATE -municode -static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  # The resource script pulls in the icon and a manifest; a change to either rebuilds it.
  file(GLOB manifests ${ROOT}/res/*.manifest)
  foreach(rc ${ARG_RESOURCES})
    set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${manifests} ${ROOT}/res/tessara.ico)
  endforeach()
endfunction()

# tessara_add_windows_library(<name>
#     SOURCES <file>...           the DLL's sources, with its .def file of exports
#     RESOURCES <file.rc>...      its resource script (version)
#     LIBRARIES <target>...       what it links)
# The DLL counterpart of tessara_add_windows_program: <name>.dll (no "lib"
# prefix) beside the programs in bin/, with the static runtime so that it
# needs nothing else in the process that loads it.
function(tessara_add_windows_library name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;RESOURCES;LIBRARIES;DEFINITIONS")
  add_library(${name} SHARED ${ARG_SOURCES} ${ARG_RESOURCES})
  target_include_directories(${name} PRIVATE ${ROOT})
  target_compile_definitions(${name} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX ${ARG_DEFINITIONS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES})
  target_link_options(${name} PRIVATE -static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)
  set_target_properties(${name} PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endfunction()
