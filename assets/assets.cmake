# What ships beside the executables: the synthesised sounds in ${TALOMIR_BIN_DIR}/sound and
# the files of this folder named in TALOMIR_SHIPPED_FILES. Every file is copied only when
# its destination does not exist yet, so a build never overwrites the player's own sounds or
# settings.
#
# Run as a script (cmake -DTALOMIR_SHIP_MANIFEST=<file> -P assets.cmake) this file does the
# copying: the manifest holds one "source|destination" pair a line.

if(CMAKE_SCRIPT_MODE_FILE)
  if(NOT EXISTS "${TALOMIR_SHIP_MANIFEST}")
    message(FATAL_ERROR "No manifest: ${TALOMIR_SHIP_MANIFEST}")
  endif()
  file(STRINGS "${TALOMIR_SHIP_MANIFEST}" entries)
  foreach(entry IN LISTS entries)
    string(FIND "${entry}" "|" bar)
    if(bar LESS 1)
      continue()
    endif()
    string(SUBSTRING "${entry}" 0 ${bar} source)
    math(EXPR rest "${bar} + 1")
    string(SUBSTRING "${entry}" ${rest} -1 destination)
    if(NOT EXISTS "${destination}" AND NOT IS_SYMLINK "${destination}")
      get_filename_component(folder "${destination}" DIRECTORY)
      file(MAKE_DIRECTORY "${folder}")
      file(COPY_FILE "${source}" "${destination}")
      message(STATUS "Installed ${destination}")
    endif()
  endforeach()
  return()
endif()

# Files kept in this folder, by name; each lands under the same name beside the executables.
set(TALOMIR_SHIPPED_FILES
    TaloVostrun.ini
)

# The generator writes into a staging folder of the build tree (tests read the shipped
# sounds from there, never from the player's folder).
set(TALOMIR_SOUND_STAGE ${CMAKE_CURRENT_BINARY_DIR}/generated/sound)
set(TALOMIR_SOUND_NAMES
    left1.WAV right1.WAV rotate1.WAV drop1.WAV drop2.WAV down1.WAV down2.WAV dellin1.WAV
    talomir1.WAV bkgmusic.WAV)

set(staged_sounds)
set(ship_sources)
set(ship_manifest "")
foreach(name IN LISTS TALOMIR_SOUND_NAMES)
  list(APPEND staged_sounds ${TALOMIR_SOUND_STAGE}/${name})
  string(APPEND ship_manifest "${TALOMIR_SOUND_STAGE}/${name}|${TALOMIR_BIN_DIR}/sound/${name}\n")
endforeach()
foreach(name IN LISTS TALOMIR_SHIPPED_FILES)
  list(APPEND ship_sources ${CMAKE_CURRENT_SOURCE_DIR}/${name})
  string(APPEND ship_manifest "${CMAKE_CURRENT_SOURCE_DIR}/${name}|${TALOMIR_BIN_DIR}/${name}\n")
endforeach()

add_custom_command(
  OUTPUT ${staged_sounds}
  COMMAND talomir-wavgen ${TALOMIR_SOUND_STAGE}
  DEPENDS talomir-wavgen
  COMMENT "Synthesising the game's sounds"
  VERBATIM)

set(ship_manifest_file ${CMAKE_CURRENT_BINARY_DIR}/ship-manifest.txt)
file(GENERATE OUTPUT ${ship_manifest_file} CONTENT "${ship_manifest}")

add_custom_target(talomir-assets ALL
  COMMAND ${CMAKE_COMMAND} -DTALOMIR_SHIP_MANIFEST=${ship_manifest_file}
          -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS ${staged_sounds} ${ship_sources}
  COMMENT "Putting missing sounds and settings beside the program"
  VERBATIM)
