# Fails when Install.exe contains code from a library or start-up object that the third-party
# notices don't name, so a new library can't reach players without its licence.
#   cmake -DMAP=<the link's map> -DNOTICES=<THIRD-PARTY-NOTICES.txt> -DBUILD_DIR=<build folder>
#         -P CheckNotices.cmake
# In GNU ld's map, every "library.a(member)" is a member that went into the exe, and every "LOAD"
# of an object file is an object linked in whole. Our own libraries and objects are in the build
# folder, which the linker is given relative paths into.
cmake_minimum_required(VERSION 3.25)

file(STRINGS ${MAP} member_lines REGEX "\\.a\\(")
string(REGEX MATCHALL "[^ \t();]+\\.a\\(" members "${member_lines}")
list(REMOVE_DUPLICATES members)
list(TRANSFORM members REPLACE "\\($" "")
file(STRINGS ${MAP} loaded_objects REGEX "^LOAD .*\\.o$")
list(TRANSFORM loaded_objects REPLACE "^LOAD " "")

file(READ ${NOTICES} notices)
string(REGEX MATCHALL "[A-Za-z0-9_.+-]+\\.[ao]" named "${notices}")

set(unnamed "")
foreach(input IN LISTS members loaded_objects)
    get_filename_component(input ${input} ABSOLUTE BASE_DIR ${BUILD_DIR})
    cmake_path(IS_PREFIX BUILD_DIR ${input} ours)
    get_filename_component(name ${input} NAME)
    if(NOT ours AND NOT name IN_LIST named)
        list(APPEND unnamed ${input})
    endif()
endforeach()
if(unnamed)
    list(JOIN unnamed "\n  " unnamed)
    message(FATAL_ERROR "Install.exe now contains code from\n  ${unnamed}\nwhich ${NOTICES} doesn't "
                        "name. Add each with its licence, from the Debian copyright file of the package "
                        "it comes from (dpkg -S <file>, then /usr/share/doc/<package>/copyright).")
endif()
