# The project database: its schema and shipped data as SQL, compiled into general_units, and
# the demo database that the build makes from them (the machine-wide default "theDatabase").
qt_add_resources(general_units quelm_database
  PREFIX /quelm
  FILES database/schema.sql database/constraints.sql database/demo.sql)

add_executable(make_demo_database database/make_demo_database.cpp)
target_link_libraries(make_demo_database PRIVATE general_units)
set(quelm_demo_database_file ${CMAKE_BINARY_DIR}/demo/Projects.vantor)
add_custom_command(OUTPUT ${quelm_demo_database_file}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:make_demo_database> --replace ${quelm_demo_database_file}
  DEPENDS make_demo_database database/schema.sql database/constraints.sql database/demo.sql
  WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
  COMMENT "Making the demo project database"
  VERBATIM)
# The server check's connection test database in the program folder's "Bin" (the install
# folder of the build is build/bin).
set(quelm_connection_test_file ${CMAKE_BINARY_DIR}/bin/Bin/ConnectionTest.vantor)
add_custom_command(OUTPUT ${quelm_connection_test_file}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:make_demo_database> --replace --empty ${quelm_connection_test_file}
  DEPENDS make_demo_database database/schema.sql database/constraints.sql
  WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
  COMMENT "Making the connection test database"
  VERBATIM)
add_custom_target(quelm_demo_database ALL DEPENDS ${quelm_demo_database_file} ${quelm_connection_test_file})

# Time to open the connection and every table of the data module (median of several runs).
add_executable(db_open_bench bench/db_open_bench.cpp)
target_link_libraries(db_open_bench PRIVATE general_units)
