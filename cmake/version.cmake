# The one version of the program is project()'s; these spell it the ways Windows wants it.
# Four numbers for the version resource and the manifest (an unset fourth one is 0).
if(PROJECT_VERSION_TWEAK STREQUAL "")
  set(ORVANTA_VERSION_TWEAK 0)
else()
  set(ORVANTA_VERSION_TWEAK ${PROJECT_VERSION_TWEAK})
endif()
set(ORVANTA_VERSION_QUAD
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${ORVANTA_VERSION_TWEAK}")
