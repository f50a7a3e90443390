# How the engine itself is compiled for speed: position-dependent code,
# link-time optimisation, profile-guided optimisation trained by "bench", and
# an opt-in build for the build machine's own instruction set. Included after
# the engine's targets.
#
# Profile-guided build (GCC): a second, instrumented configuration of this
# source tree is built in <build>/pgo-training; it runs "bench" once, which
# writes its profile to <build>/pgo-profile, and the engine of this build is
# then compiled with that profile. The search is the same; only the code
# layout and the compiler's choices change.

set(CORVANTIS_ENGINE_TARGETS corvantis_helper_copy corvantis_core corvantis)

# Link-time optimisation: not with the sanitizers or for debugging, which gain
# nothing from it.
if(CORVANTIS_LTO AND NOT CORVANTIS_SANITIZE AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
  include(CheckIPOSupported)
  check_ipo_supported(RESULT corvantis_ipo_ok OUTPUT corvantis_ipo_message LANGUAGES CXX)
  if(corvantis_ipo_ok)
    set_target_properties(${CORVANTIS_ENGINE_TARGETS} PROPERTIES INTERPROCEDURAL_OPTIMIZATION ON)
  else()
    message(WARNING "Link-time optimisation not available: ${corvantis_ipo_message}")
  endif()
endif()

# A position-independent executable reaches every global table through an
# extra address computation; the engine is all global tables (about 10% more
# instructions per node). Not for Windows, whose executables are built apart.
if(NOT CORVANTIS_PIE AND NOT CORVANTIS_SANITIZE AND NOT WIN32)
  include(CheckCXXCompilerFlag)
  include(CheckLinkerFlag)
  check_cxx_compiler_flag(-fno-pie corvantis_has_no_pie_compile)
  check_linker_flag(CXX -no-pie corvantis_has_no_pie_link)
  if(corvantis_has_no_pie_compile AND corvantis_has_no_pie_link)
    foreach(t IN LISTS CORVANTIS_ENGINE_TARGETS)
      target_compile_options(${t} PRIVATE -fno-pie)
    endforeach()
    target_link_options(corvantis PRIVATE -no-pie)
    # Everything linked with the engine's code afterwards (tests, benchmarks).
    add_link_options(-no-pie)
  endif()
endif()

if(CORVANTIS_NATIVE)
  foreach(t IN LISTS CORVANTIS_ENGINE_TARGETS)
    target_compile_options(${t} PRIVATE -march=native)
  endforeach()
endif()

# The training run of the instrumented configuration (see below).
if(CORVANTIS_PROFILE_GENERATE)
  foreach(t IN LISTS CORVANTIS_ENGINE_TARGETS)
    # Atomic counters: the training runs a helper thread too.
    target_compile_options(${t} PRIVATE -fprofile-generate=${CORVANTIS_PROFILE_GENERATE} -fprofile-update=atomic
                                        -fprofile-prefix-path=${CMAKE_BINARY_DIR})
  endforeach()
  target_link_options(corvantis PRIVATE -fprofile-generate=${CORVANTIS_PROFILE_GENERATE})
  set(stamp ${CORVANTIS_PROFILE_GENERATE}/training.stamp)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DENGINE=$<TARGET_FILE:corvantis> -DPROFILE_DIR=${CORVANTIS_PROFILE_GENERATE}
            -P ${PROJECT_SOURCE_DIR}/cmake/pgo_training.cmake
    DEPENDS corvantis ${PROJECT_SOURCE_DIR}/cmake/pgo_training.cmake
    COMMENT "Training run of the instrumented engine (bench)"
    VERBATIM)
  add_custom_target(corvantis_training ALL DEPENDS ${stamp})
  return()
endif()

if(NOT CORVANTIS_PGO OR CORVANTIS_SANITIZE)
  return()
endif()

include(CheckCXXCompilerFlag)
check_cxx_compiler_flag(-fprofile-prefix-path=${CMAKE_BINARY_DIR} corvantis_has_profile_prefix)
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR NOT corvantis_has_profile_prefix)
  message(WARNING "CORVANTIS_PGO needs GCC 11 or newer; building without profile")
  return()
endif()

include(ExternalProject)
set(corvantis_profile_dir ${CMAKE_BINARY_DIR}/pgo-profile)
set(corvantis_profile_stamp ${corvantis_profile_dir}/training.stamp)
ExternalProject_Add(corvantis_pgo_training
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/pgo-training
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
             -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
             "-DCMAKE_CXX_FLAGS=${CMAKE_CXX_FLAGS}"
             -DCORVANTIS_TESTS=OFF
             -DCORVANTIS_BENCHMARKS=OFF
             -DCORVANTIS_PGO=OFF
             -DCORVANTIS_LTO=${CORVANTIS_LTO}
             -DCORVANTIS_NATIVE=${CORVANTIS_NATIVE}
             -DCORVANTIS_PIE=${CORVANTIS_PIE}
             -DCORVANTIS_PROFILE_GENERATE=${corvantis_profile_dir}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${corvantis_profile_stamp})

# Code the training never reached is optimised as without a profile. Tail
# duplication and hot/cold splitting of functions, which the profile switches
# on, cost more in mispredicted branches than they gain here (measured with
# bench: without them the profile-guided engine is faster than the plain one,
# with them slower).
set(corvantis_pgo_options -fprofile-use=${corvantis_profile_dir} -fprofile-partial-training
                          -fprofile-prefix-path=${CMAKE_BINARY_DIR} -fno-tracer -fno-reorder-blocks-and-partition)
target_link_options(corvantis PRIVATE -fno-tracer -fno-reorder-blocks-and-partition)
foreach(t IN LISTS CORVANTIS_ENGINE_TARGETS)
  add_dependencies(${t} corvantis_pgo_training)
  target_compile_options(${t} PRIVATE ${corvantis_pgo_options})
  get_target_property(sources ${t} SOURCES)
  # A new profile recompiles the engine.
  set_source_files_properties(${sources} TARGET_DIRECTORY ${t} PROPERTIES OBJECT_DEPENDS ${corvantis_profile_stamp})
endforeach()
