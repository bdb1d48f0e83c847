# Compiles the .rc with windres, dumps the result back as text and checks the
# icon group, the version record and the manifest with their types.
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${WINDRES} -i ${RC} -O res -o ${WORK}/kavrelo.res
    RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "windres could not compile ${RC}: ${errors}")
endif()
execute_process(COMMAND ${WINDRES} -i ${WORK}/kavrelo.res -O rc
    OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "windres could not dump ${WORK}/kavrelo.res")
endif()

set(expected
    # The icon group under its name, type 14, one 128 x 128 image of 32 bits.
    "\"IDI_ICON1\" 14 /\\* RT_GROUP_ICON \\*/"
    "Has 1 elements"
    "\"\\\\200\\\\200\\\\000\\\\000\", 1, 32,"
    # The version record: 0.0.0.0, US English with the Unicode code page.
    "1 VERSIONINFO"
    "BLOCK \"040904b0\""
    "VALUE \"CompanyName\", \"\"\n"
    "VALUE \"FileDescription\", \"\"\n"
    "VALUE \"FileVersion\", \"0.0.0.0\"\n"
    "VALUE \"InternalName\", \"\"\n"
    "VALUE \"LegalCopyright\", \"\"\n"
    "VALUE \"OriginalFilename\", \"Kavrelo.exe\"\n"
    "VALUE \"ProductName\", \"Kavrelo\"\n"
    "VALUE \"ProductVersion\", \"0.0.0.0\"\n"
    "FILETYPE 0x1\n"
    "VALUE \"Translation\", 0x409, 1200"
    # The manifest as resource 1 of type 24, not a named string type.
    "\n1 24 /\\* RT_MANIFEST \\*/"
    "requestedExecutionLevel level=\"\"asInvoker\"\""
    "name=\"\"Microsoft.Windows.Common-Controls\"\" version=\"\"6.0.0.0\"\"")
foreach(pattern IN LISTS expected)
    if(NOT dump MATCHES "${pattern}")
        message(FATAL_ERROR "the compiled resources lack: ${pattern}\n--- dump ---\n${dump}")
    endif()
endforeach()
# Version 0.0.0.0 leaves FILEVERSION out of the dump; anything else shows up.
if(dump MATCHES "FILEVERSION|PRODUCTVERSION")
    message(FATAL_ERROR "the version record is not 0.0.0.0:\n${dump}")
endif()
message(STATUS "icon group, version record and manifest are as expected")
