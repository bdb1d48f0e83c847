#!/bin/sh
# Formats the C++ sources that git tracks with the committed .clang-format.
# C++ only: the manual pages, the completion, the scripts and the form have
# syntaxes of their own, which clang-format would mangle.
set -eu
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' | xargs clang-format -i
