# The README states the version twice over: its version line and the package names. Both must be
# the project version, so a release cannot ship a README that names the one before.
#   cmake -DREADME=README.md -DVERSION=x.y.z -P readme_version.cmake
file(READ ${README} text)
string(REGEX MATCH "\nVersion ([0-9][0-9.]*)" version_line "\n${text}")
if(NOT version_line)
  message(FATAL_ERROR "${README} has no line starting \"Version x.y.z\"")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "${README} says version ${CMAKE_MATCH_1}; the project is ${VERSION}")
endif()

string(REGEX MATCHALL "orvanta-[0-9][0-9.]*-win(32|64)" package_names "${text}")
if(NOT package_names)
  message(FATAL_ERROR "${README} names no package")
endif()
foreach(name IN LISTS package_names)
  if(NOT name STREQUAL "orvanta-${VERSION}-win32" AND NOT name STREQUAL "orvanta-${VERSION}-win64")
    message(FATAL_ERROR "${README} names the package ${name}; the project is ${VERSION}")
  endif()
endforeach()
list(LENGTH package_names count)
message(STATUS "version line and ${count} package names say ${VERSION}")
