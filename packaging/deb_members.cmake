# Run by cpack once it has made the .deb (CPACK_POST_BUILD_SCRIPTS). A .deb
# is an ar archive of three members, and CPack writes each member's owner
# and mode as the file it was made from has them: the builder's user and
# group, and the mode the builder's umask left (-rw-rw-r-- under umask 0002).
# Here they become what dpkg-deb writes, root's and -rw-r--r--, so that the
# package is the same bytes whoever builds it under whatever umask. The ar
# header of a member is 60 ASCII bytes: name (16), time (12), owner (6),
# group (6), mode (8), size (10), then "`\n"; members start on even offsets.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  file(SIZE ${deb} size)
  set(offset 8)
  while(offset LESS size)
    file(READ ${deb} header OFFSET ${offset} LIMIT 60)
    string(SUBSTRING "${header}" 48 10 member_size)
    string(STRIP "${member_size}" member_size)
    if(NOT header MATCHES "`\n$" OR NOT member_size MATCHES "^[0-9]+$")
      message(FATAL_ERROR "${deb}: no ar member header at byte ${offset}")
    endif()
    math(EXPR fields "${offset} + 28")
    execute_process(COMMAND printf "0     0     100644  "
      COMMAND dd of=${deb} bs=1 seek=${fields} conv=notrunc status=none
      COMMAND_ERROR_IS_FATAL ANY)
    math(EXPR offset "${offset} + 60 + ${member_size} + ${member_size} % 2")
  endwhile()
endforeach()
