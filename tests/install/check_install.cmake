# Run by CTest: installs BUILD_DIR under a scratch DESTDIR with a prefix of its own and checks
# the layout.
set(stage "${BUILD_DIR}/install-check")
set(prefix "/opt/lorvane-check")
file(REMOVE_RECURSE "${stage}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${stage}
          ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result})")
endif()

set(root "${stage}${prefix}")
set(folder "${LIBDIR}/lorvane")
foreach(file
    ${folder}/lorvane ${folder}/lorvane-identify ${folder}/lorvane-decoder ${folder}/LorvaneMain.skn ${folder}/viewer.spl
    ${folder}/lorvane.html ${folder}/icons/lorvane.svg ${folder}/icons/jpg.svg
    ${DATADIR}/icons/hicolor/scalable/apps/lorvane.svg ${DATADIR}/applications/lorvane.desktop)
  if(NOT EXISTS "${root}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

# bin/lorvane is a relative link to the program, so the program finds its files beside itself.
file(RELATIVE_PATH expected_link /${BINDIR} /${folder}/lorvane)
file(READ_SYMLINK "${root}/${BINDIR}/lorvane" link)
if(NOT link STREQUAL expected_link)
  message(FATAL_ERROR "bin/lorvane points at '${link}', not '${expected_link}'")
endif()

# The entry starts the program under the prefix given at install time.
file(READ "${root}/${DATADIR}/applications/lorvane.desktop" entry)
if(NOT entry MATCHES "\nExec=${prefix}/${BINDIR}/lorvane %f\n")
  message(FATAL_ERROR "the desktop entry does not start ${prefix}/${BINDIR}/lorvane:\n${entry}")
endif()
# The entry and the installed program tell the same version.
execute_process(COMMAND "${root}/${BINDIR}/lorvane" --version
                RESULT_VARIABLE result OUTPUT_VARIABLE printed TIMEOUT 20)
if(NOT result EQUAL 0 OR NOT printed MATCHES "^Lorvane ([0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+)\n$")
  message(FATAL_ERROR "lorvane --version gave '${printed}' (${result})")
endif()
set(version "${CMAKE_MATCH_1}")
if(NOT entry MATCHES "\nX-Lorvane-Version=${version}\n")
  message(FATAL_ERROR "the desktop entry does not name version ${version}:\n${entry}")
endif()
find_program(validate desktop-file-validate)
if(validate)
  execute_process(COMMAND ${validate} "${root}/${DATADIR}/applications/lorvane.desktop"
                  RESULT_VARIABLE result OUTPUT_VARIABLE complaints ERROR_VARIABLE complaints)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "desktop-file-validate: ${complaints}")
  endif()
endif()
file(REMOVE_RECURSE "${stage}")
