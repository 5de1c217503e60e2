# Run by CPack after it has made the packages (CPACK_POST_BUILD_SCRIPTS).
# CPack's -dbgsym packages list their file in md5sums by the absolute path
# it had in CPack's work folder, which dpkg --verify and lintian then miss,
# and carry no copyright. Each .ddeb is made again with the path as it is
# installed and its doc folder as a link to its program's, as Debian's own
# debug packages have it.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.ddeb$")
    continue()
  endif()
  set(tree ${package}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb -R ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  file(STRINGS ${tree}/DEBIAN/md5sums lines)
  set(fixed "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^([0-9a-f]+  ).*/(usr/lib/debug/.*)$" "\\1\\2" line "${line}")
    string(APPEND fixed "${line}\n")
  endforeach()
  file(WRITE ${tree}/DEBIAN/md5sums "${fixed}")
  execute_process(COMMAND dpkg-deb -f ${package} Package OUTPUT_VARIABLE name OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX REPLACE "-dbgsym$" "" program "${name}")
  file(MAKE_DIRECTORY ${tree}/usr/share/doc)
  file(CREATE_LINK ${program} ${tree}/usr/share/doc/${name} SYMBOLIC)
  execute_process(COMMAND dpkg-deb --root-owner-group -Zxz -b ${tree} ${package} OUTPUT_QUIET
    COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()
