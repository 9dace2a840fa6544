list(APPEND AUDREL_UI_SOURCES
  src/app/application.cpp
  src/app/directionviews.cpp
  src/app/form_about.cpp
  src/app/form_changefolder.cpp
  src/app/joblistview.cpp
  src/app/mainform.cpp
)
