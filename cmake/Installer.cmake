# The installer (Debian's makensis) made from the programs of this build:
# build/<preset>/dist/Quorvel-Setup-<version>.exe. The programs are stripped
# on the way in; the build's own copies keep their debug information.
find_program(QV_MAKENSIS makensis)
if(QV_WINDOWS AND QV_MAKENSIS AND TARGET quorvel AND TARGET quorvel-cli)
  set(QV_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
  set(QV_SETUP_EXE ${QV_DIST_DIR}/Quorvel-Setup-${PROJECT_VERSION}.exe)
  set(QV_NSI ${PROJECT_SOURCE_DIR}/resources/installer/Quorvel.nsi)
  set(QV_ICON_ARG "")
  if(EXISTS ${PROJECT_SOURCE_DIR}/resources/icons/quorvel.ico)
    set(QV_ICON_ARG -DICON=${PROJECT_SOURCE_DIR}/resources/icons/quorvel.ico)
  endif()
  add_custom_command(OUTPUT ${QV_SETUP_EXE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QV_DIST_DIR}/programs
    COMMAND ${CMAKE_STRIP} -o ${QV_DIST_DIR}/programs/quorvel.exe $<TARGET_FILE:quorvel>
    COMMAND ${CMAKE_STRIP} -o ${QV_DIST_DIR}/programs/quorvel-cli.exe $<TARGET_FILE:quorvel-cli>
    COMMAND ${QV_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DBINDIR=${QV_DIST_DIR}/programs
      -DOUTFILE=${QV_SETUP_EXE} ${QV_ICON_ARG} ${QV_NSI}
    DEPENDS quorvel quorvel-cli ${QV_NSI}
    COMMENT "Installer ${QV_SETUP_EXE}"
    VERBATIM)
  add_custom_target(installer ALL DEPENDS ${QV_SETUP_EXE})
endif()
