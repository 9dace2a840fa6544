# The audio engine shared by the stand-ins of the outside player components:
# decoders, outputs and the transport that plays the one into the other.
# Position-independent, so shared libraries can take it in.
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Multimedia)
pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)

# Decoding and the outputs that need no device: Qt Core, libmpg123 and
# libsndfile only, so a conversion to a file maps nothing of Qt Multimedia, and
# nothing of FFmpeg unless it is a WMA file.
add_library(audrel_audio STATIC
  src/platform/audio/audioerror.h
  src/platform/audio/audioerror.cpp
  src/platform/audio/audioformat.h
  src/platform/audio/audiodecoder.h
  src/platform/audio/audiooutput.h
  src/platform/audio/inputfile.h
  src/platform/audio/inputfile.cpp
  src/platform/audio/mpg123decoder.cpp
  src/platform/audio/wavdecoder.h
  src/platform/audio/wavdecoder.cpp
  src/platform/audio/wavfileoutput.cpp
  src/platform/audio/silentoutput.cpp
  src/platform/audio/playbacktransport.h
  src/platform/audio/playbacktransport.cpp
)
# The kind of a file by its name, which the lists, the tags and the players
# share; it sits in the lowest library, which every program takes in.
target_sources(audrel_audio PRIVATE src/platform/filekind.h src/platform/filekind.cpp)
set_target_properties(audrel_audio PROPERTIES
  POSITION_INDEPENDENT_CODE ON
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)
target_include_directories(audrel_audio PUBLIC src)
# libsndfile is loaded when a WAV file first needs it (see wavdecoder.cpp): only its header is used here.
target_include_directories(audrel_audio PRIVATE ${SNDFILE_INCLUDE_DIRS})
target_link_libraries(audrel_audio PUBLIC Qt6::Core PkgConfig::MPG123 PRIVATE ${CMAKE_DL_LIBS})

# The loader of the FFmpeg module; the program itself links no FFmpeg.
target_sources(audrel_audio PRIVATE
  src/platform/audio/ffmpegmodule.h
  src/platform/audio/ffmpegmodule.cpp
  src/platform/audio/transcoder.h
  src/platform/audio/transcodeengine.h
  src/platform/audio/transcodeengine.cpp
)
target_link_libraries(audrel_audio PRIVATE ${CMAKE_DL_LIBS})

# WMA (and every other format FFmpeg reads) decoded, WMA v2 in ASF written, and
# any format FFmpeg reads transcoded into FLAC, Ogg Vorbis, Opus, AAC or ALAC
# in MP4, or WAV, through FFmpeg: a static library for the module and for the tests of the
# pieces themselves, and the module libaudrel_ffmpeg.so beside the program.
pkg_check_modules(LIBAV REQUIRED IMPORTED_TARGET libavformat libavcodec libswresample libavutil)
add_library(audrel_ffmpeg STATIC
  src/platform/audio/ffmpegresampler.h
  src/platform/audio/ffmpegresampler.cpp
  src/platform/audio/ffmpegdecoder.cpp
  src/platform/audio/ffmpegtranscoder.h
  src/platform/audio/ffmpegtranscoder.cpp
  src/platform/audio/wmafileoutput.cpp
)
set_target_properties(audrel_ffmpeg PROPERTIES
  POSITION_INDEPENDENT_CODE ON
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)
target_link_libraries(audrel_ffmpeg PUBLIC audrel_audio PkgConfig::LIBAV)
add_library(audrel_ffmpeg_module MODULE src/platform/audio/ffmpegmoduleentry.cpp)
set_target_properties(audrel_ffmpeg_module PROPERTIES
  OUTPUT_NAME audrel_ffmpeg
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_libraries(audrel_ffmpeg_module PRIVATE audrel_ffmpeg)
target_link_options(audrel_ffmpeg_module PRIVATE -Wl,--exclude-libs,ALL -Wl,-z,nodelete -Wl,--no-undefined)

# The default audio device through Qt Multimedia, which brings Qt Gui, Qt
# Network and many more libraries with it. The player library reaches it
# through the module libxaudio_device.so, loaded on first need.
add_library(audrel_audio_device STATIC
  src/platform/audio/deviceoutput.h
  src/platform/audio/deviceoutput.cpp
)
set_target_properties(audrel_audio_device PROPERTIES
  POSITION_INDEPENDENT_CODE ON
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)
target_link_libraries(audrel_audio_device PUBLIC audrel_audio Qt6::Multimedia)
