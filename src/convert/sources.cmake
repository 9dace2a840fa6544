list(APPEND AUDREL_CORE_SOURCES
  src/convert/cvtitem.cpp
  src/convert/lamecoder.cpp
  src/convert/destinationfile.cpp
  src/convert/conversionpath.cpp
  src/convert/directions.cpp
  src/convert/batchrunner.cpp
  src/convert/wmapath.cpp
  src/convert/anyformatpath.cpp
  src/convert/mp3towavpath.cpp
  src/convert/wavtomp3path.cpp
  src/convert/wmatowavpath.cpp
  src/convert/wavtowmapath.cpp
)
list(APPEND AUDREL_UI_SOURCES
  src/convert/conversiondialog.cpp
  src/convert/convertform.cpp
  src/convert/form_wavtomp3.cpp
  src/convert/form_wmatowav.cpp
  src/convert/form_wavtowma.cpp
  src/convert/form_anyformat.cpp
)
