# The version text of a build: the project's version, and where the build
# comes from a git checkout, the commit that `git describe` names.
#
#   tarvek2_version_string(OUT PROJECT_VERSION DESCRIBE)
#
# DESCRIBE is the output of
#   git describe --tags --always --dirty=-dirty --abbrev=7 --match "v[0-9]*"
# or empty (a build from a source tarball: no commit to name).
#
#   describe                 version text
#   (empty)                  1.0.0              tarball
#   v1.0.0                   1.0.0              the release tag of this version
#   v1.0.0-dirty             1.0.0+dirty        that tag with local changes
#   47e9957                  1.0.0+g47e9957     no release tag in the history
#   47e9957-dirty            1.0.0+g47e9957.dirty
#   v1.0.0-3-g47e9957        1.0.0+3.g47e9957   three commits after that tag
#   v0.9.0-12-g47e9957       1.0.0+v0.9.0.12.g47e9957  (tag of another version)
#
# Only characters that a Debian version, a file name and a Windows version
# string all take: digits, letters, '.', '+'.
function(tarvek2_version_string out project_version describe)
  set(text "${project_version}")
  string(STRIP "${describe}" d)
  if(NOT d STREQUAL "")
    set(dirty FALSE)
    if(d MATCHES "^(.*)-dirty$")
      set(dirty TRUE)
      set(d "${CMAKE_MATCH_1}")
    endif()
    set(suffix "")
    string(REPLACE "." "\\." version_re "${project_version}")
    if(d STREQUAL "v${project_version}")
      # The release tag itself: the plain version.
    elseif(d MATCHES "^v${version_re}-([0-9]+)-(g[0-9a-f]+)$")
      set(suffix "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}")
    elseif(d MATCHES "^(v.*)-([0-9]+)-(g[0-9a-f]+)$")
      set(suffix "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}")
    elseif(d MATCHES "^[0-9a-f]+$")
      set(suffix "g${d}")
    else()
      set(suffix "${d}")
    endif()
    if(dirty)
      if(suffix STREQUAL "")
        set(suffix "dirty")
      else()
        string(APPEND suffix ".dirty")
      endif()
    endif()
    string(REGEX REPLACE "[^0-9A-Za-z.+]" "." suffix "${suffix}")
    if(NOT suffix STREQUAL "")
      string(APPEND text "+${suffix}")
    endif()
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
