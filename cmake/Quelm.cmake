# Helpers shared by every folder's CMakeLists.txt.
set(QUELM_TEST_ENV
  "QT_QPA_PLATFORM=offscreen"
  "QT_QPA_FONTDIR=/usr/share/fonts/truetype/dejavu"
  "LC_NUMERIC=C"
  "QUELM_TEST_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
)

# Sets AUTOMOC on <target> only when one of <files> declares a Qt meta-object (Q_OBJECT or
# Q_GADGET): moc and its scanning cost nothing where no file needs them.
function(quelm_moc_where_needed target)
  foreach(file IN LISTS ARGN)
    file(STRINGS ${file} hits REGEX "Q_OBJECT|Q_GADGET")
    if(hits)
      set_target_properties(${target} PROPERTIES AUTOMOC ON)
      return()
    endif()
  endforeach()
  set_target_properties(${target} PROPERTIES AUTOMOC OFF)
endfunction()

# quelm_add_library(<target> [DEPS <libs>...] [SOURCES <files>...])
# Without SOURCES, every .cpp of the calling folder (not its tests/) is compiled.
function(quelm_add_library target)
  cmake_parse_arguments(ARG "" "" "DEPS;SOURCES" ${ARGN})
  if(NOT ARG_SOURCES)
    file(GLOB ARG_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  # the headers beside the sources belong to the library (and only those: a folder may hold several)
  set(source_dirs ${CMAKE_CURRENT_SOURCE_DIR})
  if(ARG_SOURCES)
    set(source_dirs "")
    foreach(source IN LISTS ARG_SOURCES)
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
      cmake_path(GET source PARENT_PATH source_dir)
      list(APPEND source_dirs ${source_dir})
    endforeach()
    list(REMOVE_DUPLICATES source_dirs)
  endif()
  set(headers "")
  foreach(source_dir IN LISTS source_dirs)
    file(GLOB more CONFIGURE_DEPENDS ${source_dir}/*.h)
    list(APPEND headers ${more})
  endforeach()
  if(NOT ARG_SOURCES)
    # a folder that has no units yet still gives a library that others can link
    set(stub ${CMAKE_CURRENT_BINARY_DIR}/${target}_empty.cpp)
    file(WRITE ${stub} "// no units yet\n")
    set(ARG_SOURCES ${stub})
  endif()
  add_library(${target} STATIC ${ARG_SOURCES} ${headers})
  # headers are included by their path from the repository root (scripts/root_includes.py)
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS})
  quelm_moc_where_needed(${target} ${ARG_SOURCES} ${headers})
endfunction()

# quelm_add_gtest(<name> [DEPS <libs>...] [SOURCES <files>...])
# Without SOURCES, every tests/*.cpp of the calling folder goes into one test program.
# The program runs with a QApplication on the offscreen platform (platform_testing's main).
function(quelm_add_gtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "DEPS;SOURCES" ${ARGN})
  if(NOT ARG_SOURCES)
    file(GLOB ARG_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
  endif()
  if(NOT ARG_SOURCES)
    message(FATAL_ERROR "The test program ${name} has no sources")
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 600)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  # The test code itself compiles unoptimised (the code under test keeps its build's flags): the
  # assertion macros give the optimiser a lot of work for no gain, and this halves their compile time.
  target_compile_options(${name} PRIVATE -O0)
  # All files of a test program compile in one batch: the test framework's and Qt's headers are
  # parsed once per program (so test files keep their file-local names apart, as units do).
  set_target_properties(${name} PROPERTIES UNITY_BUILD_BATCH_SIZE 0)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} quelm_test_main GTest::gtest Qt6::Test)
  file(GLOB test_headers ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.h)
  quelm_moc_where_needed(${name} ${ARG_SOURCES} ${test_headers})
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${QUELM_TEST_ENV}" TIMEOUT ${ARG_TIMEOUT})
endfunction()

# quelm_add_fuzzer(<name> SOURCES <files>... [DEPS <libs>...])
# Built only with QUELM_FUZZ (clang). The test starts from the checked-in seeds (fuzz/<name>_seeds:
# small valid inputs of every format or language the target reads) and tries a fixed number of
# mutations from a fixed random seed, keeping what it finds in memory only: the same tree always
# gives the same result, whatever the machine's speed or what earlier runs found. There is no time
# limit; the numbers of runs below keep the whole fuzz step of CI within about two minutes on two
# cores. scripts/fuzz.sh fuzzes for longer, with fresh randomness.
set(QUELM_FUZZ_RUNS 40000 CACHE STRING "Mutations each fuzz target tries in the test run")
# Targets whose single run costs more (a grid, a drawing, a whole model input file of several
# kilobytes) try fewer.
set(quelm_fuzz_runs_grid_stringgrid_fuzzer 4000)
# The cell stream's once slow input (a stream declaring a hundred thousand empty rows, which held
# the reader for over a minute) is a seed; the reader now visits only stored cells, and 30000 runs
# cost about as much as the targets that try the full number (about 10 s of one loaded core;
# 60000 would take about 20 s).
set(quelm_fuzz_runs_grid_cellstream_fuzzer 30000)
set(quelm_fuzz_runs_grid_htmlrender_fuzzer 15000)
set(quelm_fuzz_runs_grid_picture_fuzzer 15000) # pictures that decode to large frames cost seconds each
set(quelm_fuzz_runs_plotwell_drawing_fuzzer 15000) # each run writes its files and draws a whole graph
set(quelm_fuzz_runs_plotwell_grid_fuzzer 15000)
set(quelm_fuzz_runs_plotwell_imagelib_fuzz_jpeg 15000) # each decode runs the whole JPEG library
set(quelm_fuzz_runs_fuzz_wmf_reader 30000)
set(quelm_fuzz_runs_fuzz_emf_player 20000) # bitmaps in JPEG and PNG decode on many runs
# The metafile converters' pens and brushes that a 16-bit metafile creates and never deletes
# are freed at the end of playback (their seed pen-brush-in-saved-state.wmf); 10000 runs take a
# few seconds.
set(quelm_fuzz_runs_fuzz_metafile_converters 10000)
set(quelm_fuzz_runs_fuzz_rich_text 30000)
set(quelm_fuzz_runs_quelm_kernel_input_fuzzer 1000)
function(quelm_add_fuzzer name)
  cmake_parse_arguments(ARG "" "" "DEPS;SOURCES" ${ARGN})
  if(NOT QUELM_FUZZ)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  set_property(GLOBAL APPEND PROPERTY QUELM_FUZZ_TARGETS ${name})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  set(seed_folder ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/${name}_seeds)
  file(GLOB seeds CONFIGURE_DEPENDS ${seed_folder}/*)
  if(NOT seeds)
    message(FATAL_ERROR "The fuzz target ${name} has no seeds in ${seed_folder}")
  endif()
  list(JOIN seeds "," seed_list)
  set(seed_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_seeds.txt)
  file(WRITE ${seed_file} "${seed_list}")
  set(runs ${QUELM_FUZZ_RUNS})
  if(DEFINED quelm_fuzz_runs_${name})
    set(runs ${quelm_fuzz_runs_${name}})
  endif()
  add_test(NAME ${name} COMMAND ${name} -seed=1 -runs=${runs} -rss_limit_mb=4096 -seed_inputs=@${seed_file}
           -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/${name}-)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${QUELM_TEST_ENV}" LABELS fuzz TIMEOUT 600)
endfunction()

# quelm_unity_apart(<target> <regex>)
# Batches the units of <target> so that the units whose text matches <regex> share batches only
# with each other: two helper sets that use the same names, each brought into its units by a
# using-directive, never meet in one compiler run.
function(quelm_unity_apart target regex)
  get_target_property(sources ${target} SOURCES)
  get_target_property(size ${target} UNITY_BUILD_BATCH_SIZE)
  if(NOT size)
    set(size 8)
  endif()
  set(count_apart 0)
  set(count_rest 0)
  foreach(source IN LISTS sources)
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} OUTPUT_VARIABLE file)
    if(NOT file MATCHES "\\.cpp$" OR NOT EXISTS ${file})
      continue()
    endif()
    file(STRINGS ${file} hits REGEX "${regex}")
    if(hits)
      set(kind apart)
    else()
      set(kind rest)
    endif()
    math(EXPR batch "${count_${kind}} / ${size}")
    math(EXPR count_${kind} "${count_${kind}} + 1")
    set_source_files_properties(${file} PROPERTIES UNITY_GROUP ${kind}_${batch})
  endforeach()
  set_target_properties(${target} PROPERTIES UNITY_BUILD_MODE GROUP)
endfunction()
