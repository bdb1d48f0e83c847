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
    usr/share/doc/kavrelo/changelog.gz)
foreach(size 16 32 48 64 128 256)
    list(APPEND installed usr/share/icons/hicolor/${size}x${size}/apps/com.example.Kavrelo.png)
endforeach()
foreach(file IN LISTS installed)
    if(NOT EXISTS ${stage}/${file})
        message(FATAL_ERROR "the install lacks /${file}")
    endif()
endforeach()

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
foreach(field "Package: kavrelo" "Version: ${VERSION}" "Section: " "Maintainer: "
        "Depends: .*libqt5widgets5")
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
run_checker(lintian --fail-on error ${deb})
