# The media player of the WAV and WMA player windows: a decoder chosen by the
# kind of file, played on the audio device through the playback transport, on
# a thread of the player's own. It brings Qt Multimedia with the device
# output, so only the program's windows link it; audrel-cli does not.
add_library(audrel_mci STATIC
  src/platform/mci/emcideviceerror.h
  src/platform/mci/mediadecoder.h
  src/platform/mci/mediadecoder.cpp
  src/platform/mci/mediaplayer.h
  src/platform/mci/mediaplayer.cpp
  src/platform/mci/mediaplayerengine.h
  src/platform/mci/mediaplayerengine.cpp
)
target_link_libraries(audrel_mci PUBLIC audrel_audio_device)
