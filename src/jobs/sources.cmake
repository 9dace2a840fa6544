list(APPEND AUDREL_CORE_SOURCES
  src/jobs/jobrecords.h
  src/jobs/counttext.cpp
  src/jobs/joblist.cpp
  src/jobs/playlists.cpp
  src/jobs/rowbuilder.cpp
)
