# The desktop entry and the AppStream metainfo pass their validators; the entry declares what
# the program reads and takes a file. A missing validator is a failure: the test packages
# install both (scripts/install-deps.sh test).
foreach(tool DESKTOP_FILE_VALIDATE APPSTREAMCLI)
  if(NOT ${tool} OR NOT EXISTS "${${tool}}")
    message(FATAL_ERROR "${tool} is not installed (desktop-file-utils, appstream): "
                        "run scripts/install-deps.sh test and configure again")
  endif()
endforeach()
foreach(check
    "${DESKTOP_FILE_VALIDATE};${DESKTOP_DIR}/org.orasent.Orasent.desktop"
    "${APPSTREAMCLI};validate;--no-net;${DESKTOP_DIR}/org.orasent.Orasent.metainfo.xml")
  execute_process(COMMAND ${check} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${check} failed:\n${out}")
  endif()
endforeach()
file(READ "${DESKTOP_DIR}/org.orasent.Orasent.desktop" entry)
foreach(needed "Categories=Education;Accessibility;" "%f" "application/pdf" "application/epub+zip"
    "X-GNOME-SingleWindow=true")
  string(FIND "${entry}" "${needed}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the desktop entry lacks ${needed}")
  endif()
endforeach()
