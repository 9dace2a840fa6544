# The MP3 player library, loaded by the program at run time from its own
# folder: libxaudio.so beside the executables, exporting only its 17 entry points.
add_library(xaudio SHARED
  src/platform/xaudio/xaudio.h
  src/platform/xaudio/xaudio.cpp
  src/platform/xaudio/command.h
  src/platform/xaudio/devicemodule.h
  src/platform/xaudio/notification.cpp
  src/platform/xaudio/player.cpp
)
set_target_properties(xaudio PROPERTIES
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_compile_definitions(xaudio PRIVATE XAUDIO_BUILDING_LIBRARY)
target_link_libraries(xaudio PRIVATE audrel_audio ${CMAKE_DL_LIBS})
# Nothing of the static engine leaks out, and the library stays mapped once
# loaded: Qt Multimedia keeps process-wide state that must outlive an unload.
target_link_options(xaudio PRIVATE -Wl,--exclude-libs,ALL -Wl,-z,nodelete -Wl,--no-undefined)

# The audio device output, a module of its own that the player loads from the
# folder of libxaudio.so the first time a device output is asked for: loading
# the player library for a conversion to a file maps no Qt Multimedia.
add_library(xaudio_device MODULE
  src/platform/xaudio/devicemodule.h
  src/platform/xaudio/devicemodule.cpp
)
set_target_properties(xaudio_device PROPERTIES
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_libraries(xaudio_device PRIVATE audrel_audio_device)
target_link_options(xaudio_device PRIVATE -Wl,--exclude-libs,ALL -Wl,-z,nodelete -Wl,--no-undefined)
# Whatever needs the player library gets the module beside it.
add_dependencies(xaudio xaudio_device)
