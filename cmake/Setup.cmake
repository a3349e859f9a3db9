# The setup: bin/tessara7-setup.exe, made with NSIS from setup/tessara7.nsi.
# Its generated include (the shared names, and the policy values the
# uninstaller switches off, from the restriction catalogue) is written by a
# small program built for and run on the build machine; the help file is
# compiled from setup/help.
find_program(MAKENSIS makensis REQUIRED)
find_program(CHMCMD chmcmd REQUIRED)
find_program(HOST_CXX NAMES g++ c++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)

set(SETUP_DIR ${CMAKE_BINARY_DIR}/setup)
set(SETUP_EXE ${CMAKE_BINARY_DIR}/bin/tessara7-setup.exe)

add_custom_command(
  OUTPUT ${SETUP_DIR}/setup.nsh
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SETUP_DIR}
  COMMAND ${HOST_CXX} -std=c++20 -O0 -I${ROOT} ${ROOT}/setup/make_setup_include.cpp
          ${ROOT}/tessara7/restrictions/catalogue.cpp -o ${SETUP_DIR}/make_setup_include
  COMMAND ${SETUP_DIR}/make_setup_include ${SETUP_DIR}/setup.nsh
  DEPENDS ${ROOT}/setup/make_setup_include.cpp ${ROOT}/tessara7/restrictions/catalogue.cpp
          ${ROOT}/tessara7/restrictions/catalogue.h ${ROOT}/shared/names.h ${ROOT}/tessara7/settings/store_keys.h
  COMMENT "Generating the setup's names and policy list"
  VERBATIM)

add_custom_command(
  OUTPUT ${SETUP_DIR}/tessara.chm
  COMMAND ${CMAKE_COMMAND} -E copy ${ROOT}/setup/help/tessara.hhp ${ROOT}/setup/help/index.html ${SETUP_DIR}
  COMMAND ${CHMCMD} tessara.hhp
  WORKING_DIRECTORY ${SETUP_DIR}
  DEPENDS ${ROOT}/setup/help/tessara.hhp ${ROOT}/setup/help/index.html
  COMMENT "Compiling the help file"
  VERBATIM)

set(SETUP_PROGRAMS tessara7 hivexfer tsrrun tsrmenu tsrguard)
set(SETUP_PROGRAM_FILES)
foreach(program ${SETUP_PROGRAMS})
  list(APPEND SETUP_PROGRAM_FILES $<TARGET_FILE:${program}>)
endforeach()

add_custom_command(
  OUTPUT ${SETUP_EXE}
  COMMAND ${MAKENSIS} -V2 -DBIN=${CMAKE_BINARY_DIR}/bin -DGENERATED=${SETUP_DIR} -DSOURCE=${ROOT}/setup
          -DVERSION=${PROJECT_VERSION} -DOUTFILE=${SETUP_EXE} ${ROOT}/setup/tessara7.nsi
  DEPENDS ${ROOT}/setup/tessara7.nsi ${ROOT}/setup/tsrorder.doc ${ROOT}/setup/policy/tessara.admx
          ${ROOT}/setup/policy/en-US/tessara.adml ${ROOT}/res/tessara.ico ${SETUP_DIR}/setup.nsh ${SETUP_DIR}/tessara.chm
          ${SETUP_PROGRAMS} ${SETUP_PROGRAM_FILES}
  COMMENT "Building the setup"
  VERBATIM)
add_custom_target(setup ALL DEPENDS ${SETUP_EXE})
add_dependencies(e2e_tests setup)
