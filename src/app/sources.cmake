list(APPEND AUDREL_CORE_SOURCES
  src/app/jobrecords.h
  src/app/counttext.cpp
  src/app/joblist.cpp
  src/app/playlists.cpp
  src/app/rowbuilder.cpp
)
list(APPEND AUDREL_UI_SOURCES
  src/app/application.cpp
  src/app/form_about.cpp
  src/app/form_changefolder.cpp
  src/app/joblistview.cpp
  src/app/mainform.cpp
)
