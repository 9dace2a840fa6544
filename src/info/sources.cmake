list(APPEND AUDREL_CORE_SOURCES
  src/info/binaryfile.cpp
  src/info/genres.cpp
  src/info/infotext.cpp
  src/info/mpegaudio.cpp
  src/info/wavfile.cpp
  src/info/wmafile.cpp
  src/info/audiotags.cpp
)
list(APPEND AUDREL_UI_SOURCES
  src/info/infodialog.cpp
  src/info/form_property.cpp
  src/info/form_wavproperty.cpp
  src/info/form_wmaproperty.cpp
  src/info/form_mediaproperty.cpp
)
