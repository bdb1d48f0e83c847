cmake_minimum_required(VERSION 3.25)

# Installs into a fresh DESTDIR and builds the Debian package, then checks
# both the way a distribution would: the files in their places, the desktop
# entry and metainfo through their validators, the package through dpkg-deb
# and lintian. Validators that are not installed are skipped with a note.
set(stage ${WORK}/stage)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${stage}
    ${CMAKE_COMMAND} --install ${BUILD} --prefix /usr
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

set(installed
    usr/bin/kavrelo
    usr/bin/kavrelo-cli
    usr/share/man/man1/kavrelo-cli.1.gz
    usr/share/bash-completion/completions/kavrelo-cli
    usr/share/applications/com.example.Kavrelo.desktop
    usr/share/metainfo/com.example.Kavrelo.metainfo.xml
    usr/share/icons/hicolor/scalable/apps/com.example.Kavrelo.svg
    usr/share/man/man1/kavrelo.1.gz
    usr/share/doc/kavrelo/copyright
    usr/share/lintian/overrides/kavrelo
    usr/share/doc/kavrelo/changelog.gz)
foreach(size 16 32 48 64 128 256)
    list(APPEND installed usr/share/icons/hicolor/${size}x${size}/apps/com.example.Kavrelo.png)
endforeach()
foreach(file IN LISTS installed)
    if(NOT EXISTS ${stage}/${file})
        message(FATAL_ERROR "the install lacks /${file}")
    endif()
endforeach()

# The desktop entry as a menu and a dock read it: Exec starts the installed
# program (through env and its assignments, if any), StartupWMClass is the
# class Qt gives the window, which is the binary's name, and Icon names an
# icon the install put in hicolor.
file(STRINGS ${stage}/usr/share/applications/com.example.Kavrelo.desktop entry)
foreach(key Exec StartupWMClass Icon)
    set(line ${entry})
    list(FILTER line INCLUDE REGEX "^${key}=")
    string(REGEX REPLACE "^${key}=" "" ${key} "${line}")
endforeach()
separate_arguments(command UNIX_COMMAND "${Exec}")
list(FILTER command EXCLUDE REGEX "^env$|=")
list(GET command 0 program)
execute_process(COMMAND test -f ${stage}/usr/bin/${program} -a -x ${stage}/usr/bin/${program}
    RESULT_VARIABLE not_executable)
if(not_executable)
    message(FATAL_ERROR "the desktop entry's Exec=${Exec} starts no installed program")
endif()
if(NOT StartupWMClass STREQUAL program)
    message(FATAL_ERROR "StartupWMClass=${StartupWMClass} is not the window's class ${program}")
endif()
file(GLOB icons ${stage}/usr/share/icons/hicolor/*/apps/${Icon}.png
    ${stage}/usr/share/icons/hicolor/*/apps/${Icon}.svg)
if(NOT icons)
    message(FATAL_ERROR "Icon=${Icon} is not in the installed hicolor theme")
endif()

# The manual pages render without a warning and give man -k its whatis
# line; the completion is valid bash (tst_clifiles checks what it completes).
foreach(page kavrelo kavrelo-cli)
    set(manual ${stage}/usr/share/man/man1/${page}.1.gz)
    execute_process(COMMAND sh -c "zcat \"$0\" | groff -man -ww -z" ${manual}
        RESULT_VARIABLE status ERROR_VARIABLE warnings)
    if(NOT status EQUAL 0 OR warnings)
        message(FATAL_ERROR "${page}.1 does not render cleanly:\n${warnings}")
    endif()
    execute_process(COMMAND lexgrog ${manual} OUTPUT_VARIABLE whatis RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR NOT whatis MATCHES ": \"${page} - [a-z]")
        message(FATAL_ERROR "${page}.1 gives no whatis line for ${page}: ${whatis}")
    endif()
endforeach()
execute_process(COMMAND bash -n ${stage}/usr/share/bash-completion/completions/kavrelo-cli
    RESULT_VARIABLE status ERROR_VARIABLE problem)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the bash completion is not valid bash:\n${problem}")
endif()

file(READ ${stage}/usr/share/metainfo/com.example.Kavrelo.metainfo.xml metainfo)
if(NOT metainfo MATCHES "<release version=\"${VERSION}\"")
    message(FATAL_ERROR "the metainfo does not name release ${VERSION}")
endif()

function(run_checker program)
    find_program(checker ${program})
    if(NOT checker)
        message(STATUS "${program} is not installed: skipped")
        return()
    endif()
    execute_process(COMMAND ${checker} ${ARGN}
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${program} ${ARGN} failed:\n${output}")
    endif()
    message(STATUS "${program}: ${output}")
    unset(checker CACHE)
    set(output "${output}" PARENT_SCOPE)
endfunction()
run_checker(desktop-file-validate ${stage}/usr/share/applications/com.example.Kavrelo.desktop)
run_checker(appstreamcli validate --no-net
    ${stage}/usr/share/metainfo/com.example.Kavrelo.metainfo.xml)

execute_process(COMMAND ${CPACK} -G DEB --config ${BUILD}/CPackConfig.cmake -B ${WORK}/package
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
set(deb ${WORK}/package/kavrelo_${VERSION}_amd64.deb)
if(NOT EXISTS ${deb})
    message(FATAL_ERROR "cpack made no ${deb}")
endif()
execute_process(COMMAND dpkg-deb --field ${deb} Package Version Section Maintainer Depends
    OUTPUT_VARIABLE fields COMMAND_ERROR_IS_FATAL ANY)
set(wanted "Package: kavrelo" "Version: ${VERSION}" "Section: " "Maintainer: "
    "Depends: .*libqt5widgets5" "Depends: .*fonts-dejavu-core")
# A build that links kavrelo-cli with jemalloc must bring it.
if(JEMALLOC)
    list(APPEND wanted "Depends: .*libjemalloc2")
endif()
foreach(field IN LISTS wanted)
    if(NOT fields MATCHES "${field}")
        message(FATAL_ERROR "the package's control lacks ${field}:\n${fields}")
    endif()
endforeach()
execute_process(COMMAND dpkg-deb --contents ${deb} OUTPUT_VARIABLE contents COMMAND_ERROR_IS_FATAL ANY)
foreach(file IN LISTS installed)
    if(NOT contents MATCHES " \\./${file}\n")
        message(FATAL_ERROR "the package lacks /${file}:\n${contents}")
    endif()
endforeach()
# lintian fails on errors; its warnings and notes are printed for the record.
# A release build's binaries must carry Debian's hardening.
run_checker(lintian --fail-on error -I ${deb})
if(BUILD_TYPE STREQUAL "Release" AND output MATCHES "hardening-[a-z-]*")
    message(FATAL_ERROR "the package lacks hardening: ${CMAKE_MATCH_0}")
endif()
