# One static library per source folder, so that the dependencies between folders are
# explicit. Every .cpp file of the folder belongs to it. Which folder may use which is
# scripts/check-layering's table.
#
#   korvo_library(NAME <target> [DEPS <targets>...])
function(korvo_library)
    cmake_parse_arguments(ARG "" "NAME" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
    add_library(${ARG_NAME} STATIC ${sources})
    target_include_directories(${ARG_NAME} PUBLIC "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(${ARG_NAME} PUBLIC ${ARG_DEPS})
endfunction()

# A GoogleTest executable registered with CTest.
#   korvo_test(NAME <target> SOURCES <files>... [DEPS <targets>...]
#              [PLATFORM <backend targets>...] [LABELS <labels>...])
function(korvo_test)
    cmake_parse_arguments(ARG "" "NAME" "SOURCES;DEPS;PLATFORM;LABELS" ${ARGN})
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
    korvo_use_platform(${ARG_NAME} ${ARG_PLATFORM})
    target_include_directories(${ARG_NAME} PRIVATE "${PROJECT_SOURCE_DIR}/src" "${PROJECT_SOURCE_DIR}/tests")
    gtest_discover_tests(${ARG_NAME} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}")
endfunction()

# Chooses the platform backends an executable links (real ones or fakes).
#   korvo_use_platform(<target> <backend targets>...)
function(korvo_use_platform target)
    set_property(TARGET ${target} PROPERTY KORVO_PLATFORM_BACKENDS ${ARGN})
    target_link_libraries(${target} PRIVATE korvo_platform)
endfunction()
