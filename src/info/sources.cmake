list(APPEND AUDREL_CORE_SOURCES
  src/info/binaryfile.cpp
  src/info/genres.cpp
  src/info/infotext.cpp
  src/info/mpegaudio.cpp
  src/info/wavfile.cpp
  src/info/wmafile.cpp
)
