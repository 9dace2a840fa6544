# The audio engine shared by the stand-ins of the outside player components:
# decoders and outputs. Position-independent, so shared libraries can take it in.
find_package(Qt6 6.4 REQUIRED COMPONENTS Multimedia)
pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)

add_library(audrel_audio STATIC
  src/platform/audio/audioerror.h
  src/platform/audio/audioformat.h
  src/platform/audio/audiodecoder.h
  src/platform/audio/audiooutput.h
  src/platform/audio/mpg123decoder.cpp
  src/platform/audio/wavfileoutput.cpp
  src/platform/audio/silentoutput.cpp
  src/platform/audio/deviceoutput.cpp
)
set_target_properties(audrel_audio PROPERTIES
  POSITION_INDEPENDENT_CODE ON
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)
target_include_directories(audrel_audio PUBLIC src)
target_link_libraries(audrel_audio PUBLIC Qt6::Core Qt6::Multimedia PkgConfig::MPG123)
