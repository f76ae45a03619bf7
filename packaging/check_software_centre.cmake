# cmake -DUNPACKED=... -DRESULT=... -DMETAINFO=... -DVERSION=... -P check_software_centre.cmake:
# the package as a software centre reads it. appstreamcli compose, which
# makes a distribution's software catalogue, must take its metadata with
# nothing to say: the menu entry the metadata launches found, its icon found
# and cached. What compose does not look at is checked here: the program the
# metadata says the package provides is installed, the release it names is
# this version, the name and summary are the menu entry's, so that the
# software centre and the menu say the same, and no address is given while
# the project has no public home (packaging/CMakeLists.txt).
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${RESULT})
execute_process(COMMAND appstreamcli compose --result-root=${RESULT}/catalogue --hints-dir=${RESULT}/hints
                        --prefix=/usr --origin=morvane ${UNPACKED}
  OUTPUT_VARIABLE report ERROR_VARIABLE report RESULT_VARIABLE failed)
if(failed OR NOT report MATCHES "Success!")
  message(FATAL_ERROR "appstreamcli compose does not take the package:\n${report}")
endif()
file(GLOB icons ${RESULT}/catalogue/usr/share/swcatalog/icons/morvane/*/*.png)
if(NOT icons)
  message(FATAL_ERROR "the software catalogue has no icon for the package")
endif()

file(READ ${UNPACKED}/usr/share/metainfo/${METAINFO} metainfo)
function(element name out)
  if(NOT metainfo MATCHES "<${name}( [^>]*)?>([^<]*)</${name}>")
    message(FATAL_ERROR "the metadata has no <${name}>")
  endif()
  set(${out} "${CMAKE_MATCH_2}" PARENT_SCOPE)
endfunction()
element(binary binary)
if(NOT EXISTS ${UNPACKED}/usr/bin/${binary})
  message(FATAL_ERROR "the metadata says the package provides ${binary}, which it does not install")
endif()
if(NOT metainfo MATCHES "<release version=\"${VERSION}\"")
  message(FATAL_ERROR "the metadata's release is not version ${VERSION}")
endif()
element(launchable desktop_id)
file(STRINGS ${UNPACKED}/usr/share/applications/${desktop_id} entry REGEX "^(Name|Comment)=")
element(name name)
element(summary summary)
if(NOT entry STREQUAL "Name=${name};Comment=${summary}")
  message(FATAL_ERROR "the metadata names it \"${name}\" (${summary}), the menu entry ${entry}")
endif()
if(metainfo MATCHES "<(url|screenshots?)[ >]")
  message(FATAL_ERROR "the metadata gives an address (${CMAKE_MATCH_0}), but the project has no home to lead to")
endif()
