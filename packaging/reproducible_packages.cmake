# Run by cpack once it has made a package (CPACK_POST_BUILD_SCRIPTS): what
# CPack leaves to the builder's machine is made the same whoever builds it,
# wherever and however the file system lists files.
#
# A .deb is an ar archive of three members, and CPack writes each member's
# owner and mode as the file it was made from has them: the builder's user
# and group, and the mode the builder's umask left (-rw-rw-r-- under umask
# 0002). They become what dpkg-deb writes, root's and -rw-r--r--. The ar
# header of a member is 60 ASCII bytes: name (16), time (12), owner (6),
# group (6), mode (8), size (10), then "`\n"; members start on even offsets.
#
# CPack adds a zip's files in the order the file system lists them, which
# differs from one file system to another, and from one build to the next:
# the zip is made again from the same files in the order of their names,
# by CMake's own archiver, which gives each file the time SOURCE_DATE_EPOCH
# names (cpack_settings) and keeps no other time of it.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.deb$")
    file(SIZE ${package} size)
    set(offset 8)
    while(offset LESS size)
      file(READ ${package} header OFFSET ${offset} LIMIT 60)
      string(SUBSTRING "${header}" 48 10 member_size)
      string(STRIP "${member_size}" member_size)
      if(NOT header MATCHES "`\n$" OR NOT member_size MATCHES "^[0-9]+$")
        message(FATAL_ERROR "${package}: no ar member header at byte ${offset}")
      endif()
      math(EXPR fields "${offset} + 28")
      execute_process(COMMAND printf "0     0     100644  "
        COMMAND dd of=${package} bs=1 seek=${fields} conv=notrunc status=none
        COMMAND_ERROR_IS_FATAL ANY)
      math(EXPR offset "${offset} + 60 + ${member_size} + ${member_size} % 2")
    endwhile()
  elseif(package MATCHES "\\.zip$")
    get_filename_component(staged ${CPACK_TEMPORARY_DIRECTORY} DIRECTORY)
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${staged} ${CPACK_TEMPORARY_DIRECTORY}/*)
    list(SORT files)
    file(REMOVE ${package})
    execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${package} --format=zip -- ${files}
      WORKING_DIRECTORY ${staged} COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
