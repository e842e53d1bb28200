#!/usr/bin/env bash
# Prints the project's version, from its one home: the project() line of the
# top CMakeLists.txt.
sed -n 's/^project(Quorbel VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../CMakeLists.txt"
