#!/bin/sh
# The tests' share of all code, in non-blank lines: the C++ under tests/
# against the program's C++, the form, the tools' C++ and the tests.
set -eu
cd "$(dirname "$0")/.."
count() { cat "$@" | grep -cv '^[[:space:]]*$'; }
tests=$(count $(git ls-files 'tests/*.cpp' 'tests/*.h'))
program=$(count $(git ls-files 'src/*.cpp' 'src/*.h'))
form=$(count forms/mainwindow.ui)
tools=$(count $(git ls-files 'tools/*.cpp' 'tools/*.h'))
all=$((tests + program + form + tools))
share=$((tests * 10000 / all))
printf 'tests %d, program %d, form %d, tools %d: %d.%02d%% of %d\n' \
    "$tests" "$program" "$form" "$tools" $((share / 100)) $((share % 100)) "$all"
