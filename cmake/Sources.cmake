# Source sets shared by the native and the Windows tree. Globbing keeps new
# files of a subsystem picked up without touching the build files.
set(ROOT ${CMAKE_CURRENT_SOURCE_DIR})

file(GLOB FORMS_SOURCES CONFIGURE_DEPENDS ${ROOT}/forms/*.cpp)
file(GLOB PLATFORM_SIM_SOURCES CONFIGURE_DEPENDS ${ROOT}/platform/sim/*.cpp)
file(GLOB PLATFORM_COMMON_SOURCES CONFIGURE_DEPENDS ${ROOT}/platform/*.cpp)
file(GLOB_RECURSE TESSARA7_SOURCES CONFIGURE_DEPENDS ${ROOT}/tessara7/*.cpp)
list(FILTER TESSARA7_SOURCES EXCLUDE REGEX "/tessara7/main\\.cpp$")
# The history's lines and files: the guard service writes them, the program reads them.
file(GLOB HISTORY_SOURCES CONFIGURE_DEPENDS ${ROOT}/history/*.cpp)

# Platform-neutral logic of the main program: forms, settings, shell, locking ...
add_library(tessara_core STATIC ${FORMS_SOURCES} ${PLATFORM_COMMON_SOURCES} ${TESSARA7_SOURCES} ${HISTORY_SOURCES})
target_include_directories(tessara_core PUBLIC ${ROOT})
target_compile_definitions(tessara_core PUBLIC TESSARA_WEB_PAGE="${TESSARA_WEB_PAGE}"
  TESSARA_VERSION_MAJOR=7 TESSARA_VERSION_MINOR=1 TESSARA_VERSION_REVISION=3)

add_library(platform_sim STATIC ${PLATFORM_SIM_SOURCES})
target_link_libraries(platform_sim PUBLIC tessara_core)
