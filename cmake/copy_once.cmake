# cmake -D FROM=folder -D TO=folder -P copy_once.cmake: copies FROM to TO unless TO exists, so that
# a demo keeps what was done in it until its folder is removed.
if(NOT EXISTS "${TO}")
  file(COPY "${FROM}/" DESTINATION "${TO}")
endif()
