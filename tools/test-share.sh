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
echo "tests $tests, program $program, form $form, tools $tools: $((tests * 1000 / all / 10)).$((tests * 1000 / all % 10))% of $all"
