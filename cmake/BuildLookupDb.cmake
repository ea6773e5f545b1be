# Runs the lookup SQL files, in order, into a fresh database file (script mode).
foreach(sql ${SQL_FILES})
  execute_process(COMMAND ${SQLITE3} -bail ${OUT} ".read ${sql}" RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "Lookup SQL ${sql} failed: ${err}")
  endif()
endforeach()
